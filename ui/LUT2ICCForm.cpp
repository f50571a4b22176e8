#include "ui/LUT2ICCForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Files.h"
#include "ui/DialogFilters.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/OutputChoice.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

// The class list in the order the dialog shows it.
constexpr TLutIccClass kClasses[] = {TLutIccClass::Display, TLutIccClass::Input,
                                     TLutIccClass::DeviceLink};

}  // namespace

TfrmLUT2ICC::TfrmLUT2ICC(QWidget* owner, IDialogs& dialogs)
    : QDialog(owner), Dialogs_(dialogs), GammaTable_(MakeCaptureOneGammaTable()) {
  setObjectName("frmLUT2ICC");
  setWindowTitle("LUT to ICC Profile Conversion");
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
  if (owner != nullptr) move(owner->mapToGlobal(QPoint(0, 0)));
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmLUT2ICC::BuildControls() {
  auto* form = MakeChild<QGridLayout>(this);
  form->setContentsMargins(20, 18, 20, 16);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(8);
  form->setColumnMinimumWidth(0, 380);
  int row = 0;
  auto addLabel = [&](const char* text, QWidget* buddy) {
    auto* label = MakeChild<QLabel>(this, QString::fromUtf8(text));
    label->setBuddy(buddy);
    form->addWidget(label, row++, 0, 1, 2);
  };
  auto addBrowse = [&](QLineEdit*& edit, QPushButton*& button, const char* editName,
                       const char* buttonName, const char* label, const char* hint) {
    edit = MakeChild<QLineEdit>(this);
    edit->setObjectName(editName);
    edit->setReadOnly(true);
    button = MakeChild<QPushButton>(this, QStringLiteral("..."));
    button->setObjectName(buttonName);
    button->setToolTip(QString::fromUtf8(hint));
    button->setFixedWidth(36);
    addLabel(label, edit);
    form->addWidget(edit, row, 0);
    form->addWidget(button, row++, 1);
  };
  addBrowse(edtLUTFile, btnSetLUTFile, "edtLUTFile", "btnSetLUTFile", "Input LUT File",
            "Select the LUT file to convert");
  addBrowse(edtDestProfile, btnOpenICCProfile, "edtDestProfile", "btnOpenICCProfile",
            "Output ICC Profile File", "Select the destination ICC profile file");

  cbxICCProfileClass = MakeChild<QComboBox>(this);
  cbxICCProfileClass->setObjectName("cbxICCProfileClass");
  cbxICCProfileClass->addItems({"Display", "Input", "Device Link"});
  cbxICCProfileClass->setCurrentIndex(1);
  addLabel("ICC Profile Class", cbxICCProfileClass);
  form->addWidget(cbxICCProfileClass, row++, 0, 1, 2);

  edtDescription = MakeChild<QLineEdit>(this);
  edtDescription->setObjectName("edtDescription");
  addLabel("ICC Profile Description", edtDescription);
  form->addWidget(edtDescription, row++, 0, 1, 2);
  edtCopyright = MakeChild<QLineEdit>(this, QStringLiteral("Copyright (c)"));
  edtCopyright->setObjectName("edtCopyright");
  addLabel("ICC Profile Copyright", edtCopyright);
  form->addWidget(edtCopyright, row++, 0, 1, 2);

  cbxCaptureOneGamma = MakeChild<QCheckBox>(this, QStringLiteral("Adjust Gamma for Capture One"));
  cbxCaptureOneGamma->setObjectName("cbxCaptureOneGamma");
  form->addWidget(cbxCaptureOneGamma, row++, 0, 1, 2);
  cbxGlobalUsage = MakeChild<QCheckBox>(
      this, QStringLiteral("Use ICC profile for whole screen by video card LUTs"));
  cbxGlobalUsage->setObjectName("cbxGlobalUsage");
  cbxGlobalUsage->setVisible(false);

  auto* buttonPanel = MakeChild<QWidget>(this);
  auto* buttons = MakeChild<QHBoxLayout>(buttonPanel);
  buttons->setContentsMargins(0, 8, 0, 0);
  buttons->addStretch(1);
  btnConvert = MakeChild<QPushButton>(this, QStringLiteral("Convert"));
  btnConvert->setObjectName("btnConvert");
  btnConvert->setDefault(true);
  btnConvert->setEnabled(false);
  btnCancel = MakeChild<QPushButton>(this, QStringLiteral("Close"));
  btnCancel->setObjectName("btnCancel");
  buttons->addWidget(btnConvert);
  buttons->addWidget(btnCancel);
  form->addWidget(buttonPanel, row, 0, 1, 2);
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
  const std::string path =
      Dialogs_.OpenFile(this, "Select the LUT file to convert", std::string(), kLutFileFilter);
  if (path.empty()) return;
  edtLUTFile->setText(ToQt(path));
  if (edtDestProfile->text().isEmpty()) edtDestProfile->setText(ToQt(ChangeFileExt(path, ".icc")));
  edtDescription->setText(ToQt(ChangeFileExt(ExtractFileName(path), "")));
}

void TfrmLUT2ICC::OpenICCProfileClicked() {
  const std::string path = Dialogs_.SaveFile(this, "Select the destination ICC profile file",
                                             std::string(), "icc", kIccSaveFilter);
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
  if (profile != ConfirmedProfile_ && FileExists(profile) &&
      !Dialogs_.YesNo(this, OverwriteQuestion(profile))) {
    return;
  }
  ConvertLutToIcc(FromQt(edtLUTFile->text()), profile, Options());
  accept();
}

bool TfrmLUT2ICC::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt) {
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn::ui
