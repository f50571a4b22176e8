#include "ui/ICCConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/VornLut.h"
#include "imaging/IccToLut.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/FormRows.h"
#include "ui/MainForm.h"
#include "ui/OutputChoice.h"
#include "ui/PictureBox.h"
#include "ui/PictureConvert.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"
#include "ui/Settings.h"

namespace vorn::ui {

namespace {}  // namespace

TfrmICCConvert::TfrmICCConvert(QWidget* owner, IDialogs& dialogs, TRememberedFolders& folders,
                               const TBitmap24& testPicture, TPictureLoader loadPicture)
    : QDialog(owner),
      Dialogs_(dialogs),
      Folders_(folders),
      TestPicture_(testPicture),
      LoadPicture_(std::move(loadPicture)) {
  setObjectName("frmICCConvert");
  setWindowTitle(tr("ICC Profile to LUT Conversion"));
  BuildControls();
  ConnectControls();
  RestoreOutputChoice(QStringLiteral("iccToLut"), *cbxOutFormat, *cbxDimSize, *cbxBits);
  if (owner != nullptr) move(owner->mapToGlobal(QPoint(0, 0)));
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmICCConvert::BuildControls() {
  auto* layout = MakeChild<QHBoxLayout>(this);
  layout->setContentsMargins(20, 18, 20, 16);
  layout->setSpacing(20);
  auto* formPanel = MakeChild<QWidget>(this);
  auto* form = MakeChild<QGridLayout>(formPanel);
  form->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(formPanel, 1);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(8);
  form->setColumnMinimumWidth(0, 330);
  TFormRows rows(*this, *form);

  edtSrcProfile = MakePathEdit(this, "edtSrcProfile", false);
  btnOpenICCProfile =
      MakeBrowseButton(this, "btnOpenICCProfile", tr("Select the ICC profile to convert"));
  rows.AddCaptionedWithButton(tr("ICC Profile File"), edtSrcProfile, btnOpenICCProfile);
  lblICCType = MakeChild<QLabel>(this);
  lblICCType->setObjectName("lblICCType");
  rows.AddWide(lblICCType);

  edtSecondProfile = MakePathEdit(this, "edtSecondProfile", false);
  edtSecondProfile->setText(tr("sRGB (Default)"));
  btnOpenSecondProfile = MakeBrowseButton(this, "btnOpenSecondProfile");
  lblSecondProfile =
      rows.AddCaptionedWithButton(tr("Input Color Space"), edtSecondProfile, btnOpenSecondProfile);
  lblSecondProfile->setObjectName("lblSecondProfile");
  cbxInvertTransform = MakeChild<QCheckBox>(this, tr("Invert colors transformation"));
  cbxInvertTransform->setObjectName("cbxInvertTransform");
  rows.AddWide(cbxInvertTransform);
  ShowSecondProfileControls(false);

  AddLutFileRows(rows, false);

  const TButtonRow buttons = MakeButtonRow(this, 8, "btnConvert", tr("Convert"), tr("Close"));
  btnConvert = buttons.Default;
  btnConvert->setEnabled(false);
  btnCancel = buttons.Cancel;
  rows.AddStretch();
  rows.AddWide(buttons.Panel);

  auto* picturePanel = MakeChild<QWidget>(this);
  auto* pictures = MakeChild<QVBoxLayout>(picturePanel);
  pictures->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picturePanel);
  Image1 = MakeChild<TPictureBox>(this, TfrmMain::kPreviewBoxWidth, TfrmMain::kPreviewBoxHeight);
  Image1->setObjectName("Image1");
  Image1->setToolTip(tr("The test image, click to load another image"));
  Image1->SetImage(ToQImage(TestPicture_));
  Image1->setCursor(Qt::PointingHandCursor);
  Image2 = MakeChild<TPictureBox>(this, TfrmMain::kPreviewBoxWidth, TfrmMain::kPreviewBoxHeight);
  Image2->setObjectName("Image2");
  pictures->addWidget(Image1);
  pictures->addWidget(Image2);
  pictures->addStretch(1);
}

// QDialog's destructor hides the dialog, which takes the focus from a path field and makes it
// finish its editing; by then this form's own parts are gone, so nothing may answer.
TfrmICCConvert::~TfrmICCConvert() {
  disconnect(edtSrcProfile, nullptr, this, nullptr);
  disconnect(edtSecondProfile, nullptr, this, nullptr);
}

void TfrmICCConvert::ConnectControls() {
  connect(btnOpenICCProfile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { OpenICCProfileClicked(); }); });
  connect(btnOpenSecondProfile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { OpenSecondProfileClicked(); }); });
  connect(cbxInvertTransform, &QCheckBox::toggled, this, [this] { InvertTransformClicked(); });
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, [this] { OutFormatChanged(); });
  connect(edtSrcProfile, &QLineEdit::textChanged, this, [this] { SrcProfileChanged(); });
  connect(edtSrcProfile, &QLineEdit::editingFinished, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SourceProfileTyped(); }); });
  connect(edtSecondProfile, &QLineEdit::editingFinished, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SecondProfileTyped(); }); });
  connect(edtLUTFile, &QLineEdit::textChanged, this, [this] { SrcProfileChanged(); });
  connect(btnSetLUTFile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SetLUTFileClicked(); }); });
  connect(btnConvert, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { ConvertClicked(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmICCConvert::ShowSecondProfileControls(bool shown) {
  lblSecondProfile->setVisible(shown);
  edtSecondProfile->setVisible(shown);
  btnOpenSecondProfile->setVisible(shown);
  cbxInvertTransform->setVisible(shown);
}

void TfrmICCConvert::OpenICCProfileClicked() {
  const std::string path = Dialogs_.OpenFile(this, FromQt(tr("Select the ICC profile to convert")),
                                             Folders_.Icc, kIccProfileFilter);
  if (path.empty()) return;
  Folders_.Icc = ExtractFileDir(path) + "/";
  edtSrcProfile->setText(ToQt(path));
  UseSourceProfile(path);
}

// A profile picked or typed: its class sets the controls, and the preview follows.
void TfrmICCConvert::UseSourceProfile(const std::string& path) {
  CheckProfileExists(path);
  {
    const QSignalBlocker quiet(cbxInvertTransform);  // a new profile starts uninverted
    cbxInvertTransform->setChecked(false);
  }
  TProfileClass profileClass = 0;
  {
    const TProfileHandle profile = OpenProfile(path);
    profileClass = GetProfileClass(profile);
  }
  lblICCType->setText(tr("Profile Type: %1").arg(ToQt(ProfileClassName(profileClass))));
  ShowSecondProfileControls(ClassTakesSecondProfile(profileClass));
  lblSecondProfile->setText(profileClass == kClassInput ? tr("Output Color Space")
                                                        : tr("Input Color Space"));
  Image2->SetImage(QImage());
  RunTransform(true);
}

// A path typed or pasted counts once the user leaves the box or presses Enter.
void TfrmICCConvert::SourceProfileTyped() {
  if (!edtSrcProfile->isModified()) return;
  edtSrcProfile->setModified(false);
  const std::string path = FromQt(edtSrcProfile->text());
  if (!path.empty()) Folders_.Icc = ExtractFileDir(path) + "/";
  SrcProfileChanged();
  UseSourceProfile(path);
}

void TfrmICCConvert::SecondProfileTyped() {
  if (!edtSecondProfile->isModified()) return;
  edtSecondProfile->setModified(false);
  CheckSecondProfile();
  if (!edtSrcProfile->text().isEmpty()) RunTransform(true);
}

void TfrmICCConvert::CheckProfileExists(const std::string& path) const {
  if (!FileExists(path)) {
    throw Exception(FromQt(tr("The ICC profile %1 does not exist.").arg(ToQt(path))));
  }
}

// The second profile's box names a file, or still offers the default sRGB.
void TfrmICCConvert::CheckSecondProfile() const {
  if (edtSecondProfile->isHidden() || edtSecondProfile->text() == tr("sRGB (Default)")) return;
  CheckProfileExists(FromQt(edtSecondProfile->text()));
}

void TfrmICCConvert::OpenSecondProfileClicked() {
  const std::string path = Dialogs_.OpenFile(this, FromQt(tr("Select the second ICC profile")),
                                             Folders_.Icc, kIccProfileFilter);
  if (path.empty()) return;
  Folders_.Icc = ExtractFileDir(path) + "/";
  edtSecondProfile->setText(ToQt(path));
  RunTransform(true);
}

// A transform that cannot be turned round gives the warning, and the box is unchecked
// again, which previews the transform the right way round.
void TfrmICCConvert::InvertTransformClicked() {
  try {
    RunTransform(true);
  } catch (const std::exception&) {
    Dialogs_.Warning(this, FromQt(Translated(kInversionImpossible)));
    if (cbxInvertTransform->isChecked()) cbxInvertTransform->setChecked(false);
  }
}

void TfrmICCConvert::Image1Clicked() {
  RunGuarded(Dialogs_, this, [this] {
    if (LoadPicture_ && LoadPicture_(TestPicture_)) Image1->SetImage(ToQImage(TestPicture_));
    if (!edtSrcProfile->text().isEmpty()) RunTransform(true);
  });
}

void TfrmICCConvert::RunTransform(bool preview) {
  const TIccChain chain =
      BuildIccChain(FromQt(edtSrcProfile->text()), FromQt(edtSecondProfile->text()),
                    cbxInvertTransform->isChecked());
  if (!chain.Transform) throw EICCError(NoTransformMessage(chain.Class));
  if (!preview) {
    BuildLutFromTransform(*chain.Transform);
    return;
  }
  TBitmap24 picture = TestPicture_;
  PreviewTransform(*chain.Transform, picture);
  Transformed_ = std::move(picture);
  Image2->SetImage(ToQImage(Transformed_));
  Image2->setToolTip(tr("The test image with ICC colors transformation"));
}

void TfrmICCConvert::BuildLutFromTransform(const TTransformHandle& transform) {
  const TLutOutputProfile* profile = SelectedProfile();
  const TLUTFormat* format = profile != nullptr ? GetFormat(profile->FormatIndex) : nullptr;
  if (format == nullptr) return;
  const int size = OutputSizeOf(*cbxDimSize, *profile);
  auto lut = std::make_unique<TLUT>();
  SampleTransform(transform, format->Is3D, size, *lut);
  SaveLut(FromQt(edtLUTFile->text()), *lut, *profile, SelectedBits());
}

void TfrmICCConvert::OutFormatChanged() {
  FollowSelectedProfile();
  SrcProfileChanged();
}

void TfrmICCConvert::SrcProfileChanged() {
  const TLutOutputProfile* profile = SelectedProfile();
  // A path being typed is proposed from once it is complete (SourceProfileTyped).
  if (edtLUTFile->text().isEmpty() && !edtSrcProfile->text().isEmpty() && profile != nullptr &&
      !edtSrcProfile->isModified()) {
    edtLUTFile->setText(
        ToQt(ChangeFileExt(FromQt(edtSrcProfile->text()), "." + profile->Extension)));
  }
  btnConvert->setEnabled(!edtSrcProfile->text().isEmpty() && profile != nullptr &&
                         !edtLUTFile->text().isEmpty());
}

void TfrmICCConvert::SetLUTFileClicked() {
  BrowseLutFile(Dialogs_, this, Folders_.Output);
}

void TfrmICCConvert::ConvertClicked() {
  CheckProfileExists(FromQt(edtSrcProfile->text()));
  CheckSecondProfile();
  const std::optional<TTarget> target = TargetToWrite(Dialogs_, this);
  if (!target) return;
  RunTransform(false);
  WrittenFile_ = target->Path;
  SaveOutputChoice(QStringLiteral("iccToLut"), *cbxOutFormat, *cbxDimSize, *cbxBits);
  Dialogs_.Information(this,
                       FromQt(tr("The LUT file %1 has been written.").arg(ToQt(target->Path))));
}

bool TfrmICCConvert::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && watched == Image1) {
    Image1Clicked();
    return true;
  }
  if (const std::optional<bool> answer = FilterDialogKey(cbxDimSize, watched, *event)) {
    return *answer;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn::ui
