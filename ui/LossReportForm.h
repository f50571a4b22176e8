#pragma once
// The summary of what a batch lost, shown after it when the conversion dialog's "Report
// the conversion loss" was checked: one line per converted file, in a text box whose text
// can be selected and copied, or copied whole with "Copy".

#include <QDialog>
#include <string>
#include <vector>

#include "core/Conversion.h"
#include "imaging/LutComparison.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vorn::ui {

struct TLossReportEntry {
  std::string FileName;  // of the source
  TConversionLoss Loss;
};

// The summary as a table for a fixed-pitch font: the output folder, then per file its
// largest, 99th-percentile and mean difference in 10-bit codes and its largest CIEDE2000
// difference, or why it was not compared.
std::string LossReportText(const std::string& outputFolder,
                           const std::vector<TLossReportEntry>& entries);

// What the conversion dropped because the output cannot hold it (TConversionNote), one line
// per loss: "file name: message", after a line that says so.
std::string ConversionNotesText(const std::vector<TConversionNote>& notes);

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
