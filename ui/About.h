#pragma once
// The about box: program icon, product name, version, licence, the versions of the libraries
// the program is built with, and the documentation; its links open through the desktop.

#include <QDialog>

class QLabel;

namespace vorn::ui {

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* owner);

  // The text of lblLicence and lblLibraries.
  static QString LicenceText();
  static QString LibrariesText();

  QLabel* lblVersion = nullptr;
  QLabel* lblLicence = nullptr;
  QLabel* lblLibraries = nullptr;
  QLabel* lblLinks = nullptr;
};

}  // namespace vorn::ui
