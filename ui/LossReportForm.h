#pragma once
// The summary of what a batch lost, shown after it when the conversion dialog's "Report
// the conversion loss" was checked: one line per converted file, in a text box whose text
// can be selected and copied, or copied whole with "Copy".

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vorn::ui {

class TfrmLossReport : public QDialog {
  Q_OBJECT
 public:
  TfrmLossReport(QWidget* owner, const std::string& report);

  QLabel* lblExplanation = nullptr;
  QPlainTextEdit* mmReport = nullptr;
  QPushButton* btnCopy = nullptr;
  QPushButton* btnOK = nullptr;
};

}  // namespace vorn::ui
