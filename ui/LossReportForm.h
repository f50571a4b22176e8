#pragma once
// The end-of-batch dialog: the batch's summary (converted, failed, skipped, unclaimed) with
// the failed files and their reasons ("Copy list" puts them on the clipboard), and, when
// the conversion dialog's "Report the conversion loss" was checked, what the batch lost:
// one line per converted file, in a text box whose text can be selected and copied, or
// copied whole with "Copy".

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

// What the end-of-batch dialog says besides the loss report.
struct TBatchSummary {
  std::string Line;                 // BatchSummaryLine
  std::vector<std::string> Failed;  // "path: reason", one per failed file, in list order
};

// The failed files with their reasons, one per line, as "Copy list" copies them.
std::string FailedListText(const TBatchSummary& summary);

class TfrmLossReport : public QDialog {
  Q_OBJECT
 public:
  // The loss report alone.
  TfrmLossReport(QWidget* owner, const std::string& report);
  // The summary, with the loss report when report is not empty.
  TfrmLossReport(QWidget* owner, const TBatchSummary& summary, const std::string& report);

  QLabel* lblSummary = nullptr;
  QPlainTextEdit* mmFailed = nullptr;  // shown when files failed
  QPushButton* btnCopyList = nullptr;  // shown when files failed
  QLabel* lblExplanation = nullptr;
  QPlainTextEdit* mmReport = nullptr;
  QPushButton* btnCopy = nullptr;
  QPushButton* btnOK = nullptr;

 private:
  void BuildSummary(const TBatchSummary& summary);
  void BuildReport(const std::string& report);
  void BuildButtons();
};

}  // namespace vorn::ui
