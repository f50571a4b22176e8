#pragma once
// The about box: program icon, product name, version; its links open through the desktop.

#include <QDialog>

class QLabel;

namespace vorn::ui {

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* owner);

  QLabel* lblVersion = nullptr;
  QLabel* lblLinks = nullptr;
};

}  // namespace vorn::ui
