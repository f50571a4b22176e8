#pragma once
// The conversion dialog: output folder, output format, size and bit depth; then the batch
// that converts every checked file of the list with a progress window.

#include <QDialog>
#include <optional>
#include <string>

#include "core/VornLut.h"
#include "ui/OutputChoice.h"
#include "ui/TimeEstimate.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorn::ui {

class IDialogs;
class TFileListModel;
struct TActionContext;

class TfrmConvert : public QDialog {
  Q_OBJECT
 public:
  // outputFolder is the remembered output folder: shown at the start, replaced when the
  // user picks another.
  TfrmConvert(QWidget* owner, IDialogs& dialogs, std::string& outputFolder);

  // The profile of the selected output, or null.
  const TLutOutputProfile* SelectedProfile() const;
  // -1 for "Default", else 8, 10, 12, 14 or 16.
  int SelectedBits() const;
  // The size the batch uses; raises when it is below 2.
  int OutputSize() const;

  // Converts the checked rows of files, one per core at a time (ConvertBatch), asking and
  // writing in list order. Files that would overwrite each other's output are refused
  // before anything is written (a message lists them; when keeping the folder tree would
  // set them apart, the user is offered that instead). A file that fails is noted and the
  // batch goes on; a batch in which files failed ends with the summary (TfrmLossReport),
  // whose "Copy list" copies the failed files with their reasons. A batch of one file that
  // fails passes its error to the caller, with context naming the file. With "Report the
  // conversion loss" checked, every written file is read back and compared with its
  // source, and a batch that wrote files ends with the summary and the loss report.
  std::string OutputFolder() const;
  // Answers how many files were written.
  std::size_t ConvertChecked(const TFileListModel& files, const TClock& clock,
                             TActionContext& context);

  QLineEdit* edtOutFolder = nullptr;
  QPushButton* btnSelectFolder = nullptr;
  QComboBox* cbxOutFormat = nullptr;
  QComboBox* cbxDimSize = nullptr;
  QLabel* lblDefaultHint = nullptr;
  QComboBox* cbxBits = nullptr;
  QCheckBox* cbxReportLoss = nullptr;
  // Each file goes below the output folder into the subfolder it has below the folder it
  // was dropped with (TFileRow::Subfolder), as vorn-lut's --keep-tree.
  QCheckBox* cbxKeepTree = nullptr;
  QPushButton* btnConvert = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Raises for a typed folder that is not a full path or names a file.
  void CheckOutputFolder() const;

 private:
  void BuildControls();
  void OutputChanged();
  void UpdateConvertButton();
  void SelectFolder();
  void ConvertClicked();
  static std::vector<TBatchFile> BatchOf(const TFileListModel& files, bool keepTree);
  std::optional<TDestinationSurvey> OutputsApart(const TFileListModel& files,
                                                 const TBatchSettings& settings,
                                                 std::vector<TBatchFile>& batch);

  IDialogs& Dialogs_;
  std::string& OutputFolder_;
};

}  // namespace vorn::ui
