#include "ui/ConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "core/VornLut.h"
#include "imaging/LutComparison.h"
#include "platform/Exception.h"
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
#include "ui/Settings.h"

namespace vorn::ui {

namespace {

// The grid sizes the conversion offers.
const QString kSettingsGroup = QStringLiteral("conversion");
const QString kReportLossKey = QStringLiteral("conversion/reportLoss");

const QStringList kConversionGridSizes = {"8", "16", "17", "32", "33", "64"};

}  // namespace

TfrmConvert::TfrmConvert(QWidget* owner, IDialogs& dialogs, std::string& outputFolder)
    : QDialog(owner), Dialogs_(dialogs), OutputFolder_(outputFolder) {
  setObjectName("frmConvert");
  setWindowTitle(tr("Conversion Settings"));
  BuildControls();

  edtOutFolder->setText(ToQt(OutputFolder_));
  btnConvert->setEnabled(false);

  connect(btnSelectFolder, &QPushButton::clicked, this, &TfrmConvert::SelectFolder);
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TfrmConvert::OutputChanged);
  connect(edtOutFolder, &QLineEdit::textChanged, this, &TfrmConvert::UpdateConvertButton);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmConvert::ConvertClicked);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  RestoreOutputChoice(kSettingsGroup, *cbxOutFormat, *cbxDimSize, *cbxBits);
  RestoreChecked(kReportLossKey, *cbxReportLoss);
  cbxOutFormat->setFocus();
}

void TfrmConvert::BuildControls() {
  auto* layout = MakeChild<QGridLayout>(this);
  layout->setContentsMargins(20, 18, 20, 16);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(12);
  layout->setColumnMinimumWidth(1, 360);

  auto addLabel = [&](const QString& text, int row, QWidget* buddy) {
    auto* label = MakeChild<QLabel>(this, text);
    label->setBuddy(buddy);
    layout->addWidget(label, row, 0);
  };

  edtOutFolder = MakePathEdit(this, "edtOutFolder", true);
  btnSelectFolder = MakeBrowseButton(this, "btnSelectFolder", tr("Select the output folder"));
  addLabel(tr("Output Folder"), 0, edtOutFolder);
  layout->addWidget(edtOutFolder, 0, 1);
  layout->addWidget(btnSelectFolder, 0, 2);
  cbxKeepTree = MakeChild<QCheckBox>(this, tr("Keep the folder tree"));
  cbxKeepTree->setObjectName("cbxKeepTree");
  cbxKeepTree->setToolTip(
      tr("Write the files of a dropped folder into the same subfolders below the "
         "output folder instead of all into the output folder itself"));
  layout->addWidget(cbxKeepTree, 1, 1, 1, 2);

  cbxOutFormat = MakeOutputProfileBox(this, false);
  addLabel(tr("Output Format"), 2, cbxOutFormat);
  layout->addWidget(cbxOutFormat, 2, 1, 1, 2);

  cbxDimSize = MakeSizeBox(this);
  addLabel(tr("Dimension size"), 3, cbxDimSize);
  layout->addWidget(cbxDimSize, 3, 1, 1, 2);
  lblDefaultHint =
      MakeChild<QLabel>(this, tr("Please use the 'Default' option if you are not sure"));
  lblDefaultHint->setObjectName("lblDefaultHint");
  lblDefaultHint->setVisible(false);

  cbxBits = MakeBitsBox(this);
  addLabel(tr("Bits per color"), 4, cbxBits);
  layout->addWidget(cbxBits, 4, 1, 1, 2);

  cbxReportLoss = MakeChild<QCheckBox>(this, tr("Report the conversion loss"));
  cbxReportLoss->setObjectName("cbxReportLoss");
  cbxReportLoss->setChecked(false);
  layout->addWidget(cbxReportLoss, 5, 1, 1, 2);

  const TButtonRow buttons = MakeButtonRow(this, 8, "btnConvert", tr("Convert"), tr("Cancel"));
  btnConvert = buttons.Default;
  btnCancel = buttons.Cancel;
  layout->addWidget(buttons.Panel, 6, 0, 1, 3);

  setTabOrder(edtOutFolder, btnSelectFolder);
  setTabOrder(btnSelectFolder, cbxKeepTree);
  setTabOrder(cbxKeepTree, cbxOutFormat);
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

// A typed folder is taken as a full path; the conversion makes a folder that is not there.
void TfrmConvert::CheckOutputFolder() const {
  const QString folder = edtOutFolder->text();
  const QFileInfo info(folder);
  if (info.isRelative() || (info.exists() && !info.isDir())) {
    throw Exception(
        FromQt(tr("The output folder must be the full path of a folder: %1").arg(folder)));
  }
}

std::string TfrmConvert::OutputFolder() const {
  return FromQt(edtOutFolder->text());
}

void TfrmConvert::UpdateConvertButton() {
  btnConvert->setEnabled(SelectedProfile() != nullptr && !edtOutFolder->text().isEmpty());
}

void TfrmConvert::SelectFolder() {
  RunGuarded(Dialogs_, this, [&] {
    const std::string folder = Dialogs_.SelectFolder(
        this, FromQt(tr("Please select a folder for converted files")), OutputFolder_);
    if (folder.empty()) return;
    edtOutFolder->setText(ToQt(folder));
    OutputFolder_ = folder;
  });
}

void TfrmConvert::ConvertClicked() {
  if (!RunGuarded(Dialogs_, this, [&] { CheckOutputFolder(); })) {
    edtOutFolder->setFocus();
    return;
  }
  const bool sizeAccepted = RunGuarded(Dialogs_, this, [&] { OutputSize(); });
  if (sizeAccepted) {
    OutputFolder_ = FromQt(edtOutFolder->text());
    SaveOutputChoice(kSettingsGroup, *cbxOutFormat, *cbxDimSize, *cbxBits);
    SaveChecked(kReportLossKey, *cbxReportLoss);
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

namespace {

TOverwriteAnswer OverwriteAnswerOf(TAnswer answer) {
  switch (answer) {
    case TAnswer::Yes:
    case TAnswer::YesToAll:
      return TOverwriteAnswer::Yes;
    case TAnswer::No:
    case TAnswer::NoToAll:
      return TOverwriteAnswer::No;
    case TAnswer::Cancel:
      break;
  }
  return TOverwriteAnswer::Cancel;
}

// "path: reason" (with the line where the text did not parse).
std::string FailureLine(const std::exception_ptr& error, const std::string& path) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& failure) {
    return LineText(ReportError(failure, path));
  } catch (...) {
    return LineText(ReportUnknownError(path));
  }
}

std::size_t UnclaimedRows(const TFileListModel& files) {
  std::size_t unclaimed = 0;
  for (int r = 0; r < files.Count(); ++r) unclaimed += files.Row(r).Info ? 0 : 1;
  return unclaimed;
}

}  // namespace

std::vector<TBatchFile> TfrmConvert::BatchOf(const TFileListModel& files, bool keepTree) {
  std::vector<TBatchFile> batch;
  batch.reserve(static_cast<std::size_t>(files.Count()));
  for (int r = 0; r < files.Count(); ++r) {
    const TFileRow& row = files.Row(r);
    batch.push_back({row.FullPath(), row.Info ? row.Info->InputBits : -1, row.Checked,
                     keepTree ? row.Subfolder : std::string(), row.Member, row.MemberTag});
  }
  return batch;
}

// The survey of the batch's destinations when every file has its own output, or the user
// chose to keep the folder tree that sets them apart (batch then follows the tree); nothing
// when files would overwrite each other's output and the user was told so.
std::optional<TDestinationSurvey> TfrmConvert::OutputsApart(const TFileListModel& files,
                                                            const TBatchSettings& settings,
                                                            std::vector<TBatchFile>& batch) {
  TDestinationSurvey survey = SurveyDestinations(batch, settings);
  if (survey.Collisions.empty()) return survey;
  const std::string listing = EOutputCollision(std::move(survey.Collisions)).what();
  if (!cbxKeepTree->isChecked()) {
    std::vector<TBatchFile> kept = BatchOf(files, true);
    TDestinationSurvey keptSurvey = SurveyDestinations(kept, settings);
    if (keptSurvey.Collisions.empty()) {
      if (!Dialogs_.YesNo(parentWidget(),
                          listing + FromQt(tr("\n\nKeep the folder tree instead? Each file then "
                                              "goes into the subfolder it has below the folder "
                                              "it was added with.")))) {
        return std::nullopt;
      }
      cbxKeepTree->setChecked(true);
      batch = std::move(kept);
      return keptSurvey;
    }
  }
  Dialogs_.Warning(parentWidget(), listing);
  return std::nullopt;
}

std::size_t TfrmConvert::ConvertChecked(const TFileListModel& files, const TClock& clock,
                                        TActionContext& context) {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return 0;
  const int size = OutputSize();
  const int bits = SelectedBits();
  const std::string folder = FromQt(edtOutFolder->text());
  TBatchSettings settings{profile, size, bits, folder, true};
  settings.Jobs = 0;  // one per core
  settings.FailFast = false;
  std::vector<TBatchFile> batch = BatchOf(files, cbxKeepTree->isChecked());
  std::optional<TDestinationSurvey> survey = OutputsApart(files, settings, batch);
  if (!survey) return 0;

  TfrmProgress progress(parentWidget(), clock);
  progress.setWindowTitle(tr("Converting..."));
  progress.SetText(tr("The checked files are being converted. Please wait..."));
  progress.SetAveragedEstimate(true);
  progress.show();
  const auto checkedCount = static_cast<int>(std::count_if(
      batch.begin(), batch.end(), [](const TBatchFile& file) { return file.Checked; }));
  int started = 0;

  TBatchCallbacks callbacks;
  std::optional<TOverwriteAnswer> answerToAll;  // after "Yes to All" or "No to All"
  callbacks.AskOverwrite = [&](const std::string& destination) {
    if (answerToAll) return *answerToAll;
    const TAnswer answer = Dialogs_.YesNoCancelToAll(&progress, OverwriteQuestion(destination));
    if (answer == TAnswer::YesToAll || answer == TAnswer::NoToAll) {
      answerToAll = OverwriteAnswerOf(answer);
    }
    return OverwriteAnswerOf(answer);
  };
  // The cube file a Premiere look writes beside itself is asked about with Yes and No.
  callbacks.AskReplaceCompanion = [&](const std::string& companion) {
    return Dialogs_.YesNo(&progress, OverwriteQuestion(companion));
  };
  callbacks.Progress = [&](std::size_t position, double percent) {
    progress.SetCurrentFile(ToQt(ExtractFileName(batch[position].Path)), ++started, checkedCount);
    progress.SetPosition(percent);
    return !progress.IsCancelled();
  };
  // Keeps the window and its Cancel alive while the batch waits for its workers.
  callbacks.Waiting = [&] { return !progress.IsCancelled(); };
  TBatchSummary summary;
  std::exception_ptr firstError;
  callbacks.Failed = [&](std::size_t position, const std::exception_ptr& error) {
    if (!firstError) {
      firstError = error;
      context.File = batch[position].Path;
    }
    summary.Failed.push_back(FailureLine(error, batch[position].Path));
  };
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
  const TBatchResult result = ConvertBatch(batch, settings, callbacks, std::move(*survey));
  progress.hide();
  const auto checked = std::count_if(batch.begin(), batch.end(),
                                     [](const TBatchFile& file) { return file.Checked; });
  // One file's error is the whole story: it shows in the error box.
  if (checked == 1 && firstError) std::rethrow_exception(firstError);
  context.File.clear();
  if (!notes.empty()) Dialogs_.Warning(parentWidget(), ConversionNotesText(notes));
  const auto converted = static_cast<std::size_t>(result.Converted);
  if (losses.empty() && !firstError) return converted;
  summary.Line = BatchSummaryLine(static_cast<std::size_t>(result.Converted),
                                  static_cast<std::size_t>(result.Failed),
                                  static_cast<std::size_t>(result.Skipped), UnclaimedRows(files));
  TfrmLossReport dialog(parentWidget(), summary,
                        losses.empty() ? std::string() : LossReportText(folder, losses));
  Dialogs_.ExecModal(dialog);
  return converted;
}

}  // namespace vorn::ui
