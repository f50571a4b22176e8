#include "ui/ConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/VornLut.h"
#include "imaging/LutComparison.h"
#include "platform/Files.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/FileListModel.h"
#include "ui/FormRows.h"
#include "ui/LossReportForm.h"
#include "ui/OutputChoice.h"
#include "ui/ProgressDlg.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

// The grid sizes the conversion offers.
const QStringList kConversionGridSizes = {"8", "16", "17", "32", "33", "64"};

}  // namespace

TfrmConvert::TfrmConvert(QWidget* owner, IDialogs& dialogs, std::string& outputFolder)
    : QDialog(owner), Dialogs_(dialogs), OutputFolder_(outputFolder) {
  setObjectName("frmConvert");
  setWindowTitle("Convertion Settings");
  BuildControls();

  edtOutFolder->setText(ToQt(OutputFolder_));
  btnConvert->setEnabled(false);

  connect(btnSelectFolder, &QPushButton::clicked, this, &TfrmConvert::SelectFolder);
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TfrmConvert::OutputChanged);
  connect(edtOutFolder, &QLineEdit::textChanged, this, &TfrmConvert::UpdateConvertButton);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmConvert::ConvertClicked);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  cbxOutFormat->setFocus();
}

void TfrmConvert::BuildControls() {
  auto* layout = MakeChild<QGridLayout>(this);
  layout->setContentsMargins(20, 18, 20, 16);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(12);
  layout->setColumnMinimumWidth(1, 360);

  auto addLabel = [&](const char* text, int row, QWidget* buddy) {
    auto* label = MakeChild<QLabel>(this, QString::fromUtf8(text));
    label->setBuddy(buddy);
    layout->addWidget(label, row, 0);
  };

  edtOutFolder = MakeReadOnlyEdit(this, "edtOutFolder");
  btnSelectFolder = MakeBrowseButton(this, "btnSelectFolder", "Select the output folder");
  addLabel("Output Folder", 0, edtOutFolder);
  layout->addWidget(edtOutFolder, 0, 1);
  layout->addWidget(btnSelectFolder, 0, 2);

  cbxOutFormat = MakeOutputProfileBox(this, false);
  addLabel("Output Format", 1, cbxOutFormat);
  layout->addWidget(cbxOutFormat, 1, 1, 1, 2);

  cbxDimSize = MakeSizeBox(this);
  addLabel("Dimension size", 2, cbxDimSize);
  layout->addWidget(cbxDimSize, 2, 1, 1, 2);
  lblDefaultHint = MakeChild<QLabel>(
      this, QStringLiteral("Please use the 'Default' option if you are not sure"));
  lblDefaultHint->setObjectName("lblDefaultHint");
  lblDefaultHint->setVisible(false);

  cbxBits = MakeBitsBox(this);
  addLabel("Bits per color", 3, cbxBits);
  layout->addWidget(cbxBits, 3, 1, 1, 2);

  cbxReportLoss = MakeChild<QCheckBox>(this, QStringLiteral("Report the conversion loss"));
  cbxReportLoss->setObjectName("cbxReportLoss");
  cbxReportLoss->setChecked(false);
  layout->addWidget(cbxReportLoss, 4, 1, 1, 2);

  const TButtonRow buttons = MakeButtonRow(this, 8, "btnConvert", "Convert", "Cancel");
  btnConvert = buttons.Default;
  btnCancel = buttons.Cancel;
  layout->addWidget(buttons.Panel, 5, 0, 1, 3);

  setTabOrder(edtOutFolder, btnSelectFolder);
  setTabOrder(btnSelectFolder, cbxOutFormat);
  setTabOrder(cbxOutFormat, cbxDimSize);
  setTabOrder(cbxDimSize, cbxBits);
  setTabOrder(cbxBits, cbxReportLoss);
  setTabOrder(cbxReportLoss, btnConvert);
  setTabOrder(btnConvert, btnCancel);
  setFixedSize(sizeHint());
}

const TLutOutputProfile* TfrmConvert::SelectedProfile() const {
  return SelectedProfileOf(*cbxOutFormat);
}

int TfrmConvert::SelectedBits() const {
  return SelectedBitsOf(*cbxBits);
}

int TfrmConvert::OutputSize() const {
  const TLutOutputProfile* profile = SelectedProfile();
  return profile != nullptr ? OutputSizeOf(*cbxDimSize, *profile) : 0;
}

void TfrmConvert::OutputChanged() {
  FollowOutputProfile(SelectedProfile(), kConversionGridSizes, *cbxDimSize, *cbxBits);
  UpdateConvertButton();
}

void TfrmConvert::UpdateConvertButton() {
  btnConvert->setEnabled(SelectedProfile() != nullptr && !edtOutFolder->text().isEmpty());
}

void TfrmConvert::SelectFolder() {
  RunGuarded(Dialogs_, this, [&] {
    const std::string folder =
        Dialogs_.SelectFolder(this, "Please select a folder for converted files", OutputFolder_);
    if (folder.empty()) return;
    edtOutFolder->setText(ToQt(folder));
    OutputFolder_ = folder;
  });
}

void TfrmConvert::ConvertClicked() {
  const bool sizeAccepted = RunGuarded(Dialogs_, this, [&] { OutputSize(); });
  if (sizeAccepted) {
    accept();
  } else {
    cbxDimSize->setFocus();
  }
}

bool TfrmConvert::eventFilter(QObject* watched, QEvent* event) {
  if (const std::optional<bool> answer = FilterDialogKey(cbxDimSize, watched, *event)) {
    return *answer;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmConvert::ConvertChecked(const TFileListModel& files, const TClock& clock,
                                 TActionContext& context) {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return;
  const int size = OutputSize();
  const int bits = SelectedBits();
  const std::string folder = FromQt(edtOutFolder->text());

  TfrmProgress progress(parentWidget(), clock);
  progress.setWindowTitle("Convertion...");
  progress.SetText("The selected files are being converted. Please wait...");
  progress.show();

  std::vector<TBatchFile> batch;
  batch.reserve(static_cast<std::size_t>(files.Count()));
  for (int r = 0; r < files.Count(); ++r) {
    const TFileRow& row = files.Row(r);
    batch.push_back({row.FullPath(), row.Info ? row.Info->InputBits : -1, row.Checked});
  }
  TBatchCallbacks callbacks;
  callbacks.AskOverwrite = [&](const std::string& destination) {
    switch (Dialogs_.YesNoCancel(&progress, OverwriteQuestion(destination))) {
      case TAnswer::Yes:
        return TOverwriteAnswer::Yes;
      case TAnswer::No:
        return TOverwriteAnswer::No;
      case TAnswer::Cancel:
        break;
    }
    return TOverwriteAnswer::Cancel;
  };
  // The cube file a Premiere look writes beside itself is asked about with Yes and No.
  callbacks.AskReplaceCompanion = [&](const std::string& companion) {
    return Dialogs_.YesNo(&progress, OverwriteQuestion(companion));
  };
  callbacks.Progress = [&](std::size_t, double percent) {
    progress.SetPosition(percent);
    return !progress.IsCancelled();
  };
  // Keeps the window and its Cancel alive while the batch waits for its workers.
  callbacks.Waiting = [&] { return !progress.IsCancelled(); };
  callbacks.Failed = [&](std::size_t position) { context.File = batch[position].Path; };
  const bool reportLoss = cbxReportLoss->isChecked();
  // Measured on the workers, each file's in its own place; listed in order by Finished.
  std::vector<TConversionLoss> measured(reportLoss ? batch.size() : 0);
  if (reportLoss) {
    callbacks.AfterWrite = [&](std::size_t position, const std::string& destination) {
      const TBatchFile& file = batch[position];
      measured[position] = MeasureConversionLoss(
          file.Path, file.InputBits, destination, WrittenBitDepth(*profile, bits),
          GetFormat(profile->FormatIndex)->CompanionPaths(destination));
    };
  }
  std::vector<TLossReportEntry> losses;
  callbacks.Finished = [&](std::size_t position, const std::string&, bool converted) {
    if (reportLoss && converted) {
      losses.push_back({ExtractFileName(batch[position].Path), std::move(measured[position])});
    }
  };
  std::vector<TConversionNote> notes;
  callbacks.Note = [&](std::size_t, const TConversionNote& note) { notes.push_back(note); };
  TBatchSettings settings{profile, size, bits, folder};
  settings.Jobs = 0;  // one per core
  ConvertBatch(batch, settings, callbacks);
  progress.hide();
  if (!notes.empty()) Dialogs_.Warning(parentWidget(), ConversionNotesText(notes));
  if (!losses.empty()) {
    TfrmLossReport summary(parentWidget(), LossReportText(folder, losses));
    Dialogs_.ExecModal(summary);
  }
}

}  // namespace vorn::ui
