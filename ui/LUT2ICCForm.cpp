#include "ui/LUT2ICCForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "ui/DialogFilters.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/FormRows.h"
#include "ui/OutputChoice.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"
#include "ui/Settings.h"

namespace vorn::ui {

namespace {

// The class list in the order the dialog shows it.
constexpr TLutIccClass kClasses[] = {TLutIccClass::Display, TLutIccClass::Input,
                                     TLutIccClass::DeviceLink};

}  // namespace

TfrmLUT2ICC::TfrmLUT2ICC(QWidget* owner, IDialogs& dialogs)
    : QDialog(owner), Dialogs_(dialogs), GammaTable_(MakeCaptureOneGammaTable()) {
  setObjectName("frmLUT2ICC");
  setWindowTitle(tr("LUT to ICC Profile Conversion"));
  BuildControls();
  connect(btnSetLUTFile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SetLUTFileClicked(); }); });
  connect(btnOpenICCProfile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { OpenICCProfileClicked(); }); });
  for (QLineEdit* edit : {edtLUTFile, edtDestProfile, edtDescription, edtCopyright}) {
    connect(edit, &QLineEdit::textChanged, this, [this] { TextsChanged(); });
  }
  connect(btnConvert, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { ConvertClicked(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  RestoreChoice(QStringLiteral("lutToIcc/class"), *cbxICCProfileClass);
  RestoreChecked(QStringLiteral("lutToIcc/captureOneGamma"), *cbxCaptureOneGamma);
  RestoreChecked(QStringLiteral("lutToIcc/globalUsage"), *cbxGlobalUsage);
  if (owner != nullptr) move(owner->mapToGlobal(QPoint(0, 0)));
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmLUT2ICC::BuildControls() {
  auto* form = MakeChild<QGridLayout>(this);
  form->setContentsMargins(20, 18, 20, 16);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(8);
  form->setColumnMinimumWidth(0, 380);
  TFormRows rows(*this, *form);

  edtLUTFile = MakeReadOnlyEdit(this, "edtLUTFile");
  btnSetLUTFile = MakeBrowseButton(this, "btnSetLUTFile", tr("Select the LUT file to convert"));
  rows.AddCaptionedWithButton(tr("Input LUT File"), edtLUTFile, btnSetLUTFile);
  edtDestProfile = MakePathEdit(this, "edtDestProfile", false);
  btnOpenICCProfile =
      MakeBrowseButton(this, "btnOpenICCProfile", tr("Select the destination ICC profile file"));
  rows.AddCaptionedWithButton(tr("Output ICC Profile File"), edtDestProfile, btnOpenICCProfile);

  cbxICCProfileClass = MakeChild<QComboBox>(this);
  cbxICCProfileClass->setObjectName("cbxICCProfileClass");
  cbxICCProfileClass->addItems({tr("Display"), tr("Input"), tr("Device Link")});
  cbxICCProfileClass->setCurrentIndex(1);
  rows.AddCaptioned(tr("ICC Profile Class"), cbxICCProfileClass);

  edtDescription = MakeChild<QLineEdit>(this);
  edtDescription->setObjectName("edtDescription");
  rows.AddCaptioned(tr("ICC Profile Description"), edtDescription);
  // not translated: the start of a text written into the profile
  edtCopyright = MakeChild<QLineEdit>(this, QStringLiteral("Copyright (c)"));
  edtCopyright->setObjectName("edtCopyright");
  rows.AddCaptioned(tr("ICC Profile Copyright"), edtCopyright);

  cbxCaptureOneGamma = MakeChild<QCheckBox>(this, tr("Adjust Gamma for Capture One"));
  cbxCaptureOneGamma->setObjectName("cbxCaptureOneGamma");
  rows.AddWide(cbxCaptureOneGamma);
  cbxGlobalUsage = MakeChild<QCheckBox>(
      this, tr("Use the ICC profile for the whole screen through the video card's LUTs"));
  cbxGlobalUsage->setObjectName("cbxGlobalUsage");
  cbxGlobalUsage->setVisible(false);

  const TButtonRow buttons = MakeButtonRow(this, 8, "btnConvert", tr("Convert"), tr("Close"));
  btnConvert = buttons.Default;
  btnConvert->setEnabled(false);
  btnCancel = buttons.Cancel;
  rows.AddWide(buttons.Panel);
}

TLutToIccOptions TfrmLUT2ICC::Options() const {
  TLutToIccOptions options;
  const int item = cbxICCProfileClass->currentIndex();
  options.Class = item >= 0 && item < 3 ? kClasses[item] : TLutIccClass::Input;
  options.Description = FromQt(edtDescription->text());
  options.Copyright = FromQt(edtCopyright->text());
  options.CaptureOneGamma = cbxCaptureOneGamma->isChecked() ? &GammaTable_ : nullptr;
  return options;
}

void TfrmLUT2ICC::SetLUTFileClicked() {
  const std::string path = Dialogs_.OpenFile(this, FromQt(tr("Select the LUT file to convert")),
                                             std::string(), kLutFileFilter);
  if (path.empty()) return;
  edtLUTFile->setText(ToQt(path));
  if (edtDestProfile->text().isEmpty()) edtDestProfile->setText(ToQt(ChangeFileExt(path, ".icc")));
  edtDescription->setText(ToQt(ChangeFileExt(ExtractFileName(path), "")));
}

void TfrmLUT2ICC::OpenICCProfileClicked() {
  const std::string path =
      Dialogs_.SaveFile(this, FromQt(tr("Select the destination ICC profile file")), std::string(),
                        "icc", kIccSaveFilter);
  if (path.empty()) return;
  edtDestProfile->setText(ToQt(path));
  ConfirmedProfile_ = path;
}

void TfrmLUT2ICC::TextsChanged() {
  btnConvert->setEnabled(!edtLUTFile->text().isEmpty() && !edtDestProfile->text().isEmpty() &&
                         !edtDescription->text().isEmpty() && !edtCopyright->text().isEmpty());
}

void TfrmLUT2ICC::ConvertClicked() {
  const std::string profile = FromQt(edtDestProfile->text());
  const QFileInfo target(edtDestProfile->text());
  if (target.isRelative() || target.isDir() || !target.dir().exists()) {
    throw Exception(FromQt(
        tr("The ICC profile cannot be written to %1: give the full path of a file in a folder "
           "that exists.")
            .arg(edtDestProfile->text())));
  }
  if (!MayReplace(Dialogs_, this, profile, ConfirmedProfile_)) return;
  std::vector<std::string> warnings;
  ConvertLutToIcc(FromQt(edtLUTFile->text()), profile, Options(),
                  [&](const TLoadWarning& warning) { warnings.push_back(warning.Message); });
  WrittenProfile_ = profile;
  SaveChoice(QStringLiteral("lutToIcc/class"), *cbxICCProfileClass);
  SaveChecked(QStringLiteral("lutToIcc/captureOneGamma"), *cbxCaptureOneGamma);
  SaveChecked(QStringLiteral("lutToIcc/globalUsage"), *cbxGlobalUsage);
  // The profile is written; what it could not keep (values clipped) is said after.
  for (const std::string& warning : warnings) Dialogs_.Warning(this, warning);
  accept();
}

bool TfrmLUT2ICC::eventFilter(QObject* watched, QEvent* event) {
  if (const std::optional<bool> answer = FilterDialogKey(nullptr, watched, *event)) {
    return *answer;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn::ui
