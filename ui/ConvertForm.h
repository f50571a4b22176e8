#pragma once
// The conversion dialog: output folder, output format, size and bit depth; then the batch
// that converts every checked file of the list with a progress window.

#include <QDialog>
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
  // writing in list order. The first error ends the batch and
  // passes to the caller, with context naming the file that raised it. With "Report the
  // conversion loss" checked, every written file is read back and compared with its
  // source, and a batch that wrote files ends with their summary (TfrmLossReport).
  void ConvertChecked(const TFileListModel& files, const TClock& clock, TActionContext& context);

  QLineEdit* edtOutFolder = nullptr;
  QPushButton* btnSelectFolder = nullptr;
  QComboBox* cbxOutFormat = nullptr;
  QComboBox* cbxDimSize = nullptr;
  QLabel* lblDefaultHint = nullptr;
  QComboBox* cbxBits = nullptr;
  QCheckBox* cbxReportLoss = nullptr;
  QPushButton* btnConvert = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void OutputChanged();
  void UpdateConvertButton();
  void SelectFolder();
  void ConvertClicked();

  IDialogs& Dialogs_;
  std::string& OutputFolder_;
};

}  // namespace vorn::ui
