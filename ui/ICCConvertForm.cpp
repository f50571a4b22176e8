#include "ui/ICCConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/Conversion.h"
#include "imaging/IccToLut.h"
#include "platform/Files.h"
#include "ui/ConvertForm.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/MainForm.h"
#include "ui/OutputChoice.h"
#include "ui/PictureBox.h"
#include "ui/PictureConvert.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

const QString kDefaultSecondProfile = QStringLiteral("sRGB (Default)");

QPushButton* MakeBrowseButton(QWidget* parent, const char* name, const char* hint) {
  auto* button = MakeChild<QPushButton>(parent, QStringLiteral("..."));
  button->setObjectName(name);
  if (hint != nullptr) button->setToolTip(QString::fromUtf8(hint));
  button->setFixedWidth(36);
  return button;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name) {
  auto* edit = MakeChild<QLineEdit>(parent);
  edit->setObjectName(name);
  edit->setReadOnly(true);
  return edit;
}

}  // namespace

TfrmICCConvert::TfrmICCConvert(QWidget* owner, IDialogs& dialogs, TRememberedFolders& folders,
                               const TBitmap24& testPicture, TPictureLoader loadPicture)
    : QDialog(owner),
      Dialogs_(dialogs),
      Folders_(folders),
      TestPicture_(testPicture),
      LoadPicture_(std::move(loadPicture)) {
  setObjectName("frmICCConvert");
  setWindowTitle("ICC Profile to LUT Conversion");
  BuildControls();
  ConnectControls();
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
  int row = 0;
  auto addLabel = [&](const char* text, QWidget* buddy) {
    auto* label = MakeChild<QLabel>(this, QString::fromUtf8(text));
    label->setBuddy(buddy);
    form->addWidget(label, row++, 0, 1, 2);
    return label;
  };

  edtSrcProfile = MakeReadOnlyEdit(this, "edtSrcProfile");
  btnOpenICCProfile =
      MakeBrowseButton(this, "btnOpenICCProfile", "Select the ICC profile to convert");
  addLabel("ICC Profile File", edtSrcProfile);
  form->addWidget(edtSrcProfile, row, 0);
  form->addWidget(btnOpenICCProfile, row++, 1);
  lblICCType = MakeChild<QLabel>(this);
  lblICCType->setObjectName("lblICCType");
  form->addWidget(lblICCType, row++, 0, 1, 2);

  edtSecondProfile = MakeReadOnlyEdit(this, "edtSecondProfile");
  edtSecondProfile->setText(kDefaultSecondProfile);
  btnOpenSecondProfile = MakeBrowseButton(this, "btnOpenSecondProfile", nullptr);
  lblSecondProfile = addLabel("Input Color Space", edtSecondProfile);
  lblSecondProfile->setObjectName("lblSecondProfile");
  form->addWidget(edtSecondProfile, row, 0);
  form->addWidget(btnOpenSecondProfile, row++, 1);
  cbxInvertTransform = MakeChild<QCheckBox>(this, QStringLiteral("Invert colors transformation"));
  cbxInvertTransform->setObjectName("cbxInvertTransform");
  form->addWidget(cbxInvertTransform, row++, 0, 1, 2);
  ShowSecondProfileControls(false);

  cbxOutFormat = MakeChild<QComboBox>(this);
  cbxOutFormat->setObjectName("cbxOutFormat");
  cbxOutFormat->setMaxVisibleItems(20);
  for (int i = 0; i < static_cast<int>(OutputProfiles().size()); ++i) {
    cbxOutFormat->addItem(ToQt(GetOutputProfile(i).Name), i);
  }
  cbxOutFormat->setCurrentIndex(-1);
  addLabel("Output LUT Format", cbxOutFormat);
  form->addWidget(cbxOutFormat, row++, 0, 1, 2);

  edtLUTFile = MakeReadOnlyEdit(this, "edtLUTFile");
  edtLUTFile->setEnabled(false);
  btnSetLUTFile = MakeBrowseButton(this, "btnSetLUTFile", "Select the destination LUT file name");
  btnSetLUTFile->setEnabled(false);
  addLabel("Output LUT File", edtLUTFile);
  form->addWidget(edtLUTFile, row, 0);
  form->addWidget(btnSetLUTFile, row++, 1);

  cbxDimSize = MakeChild<QComboBox>(this);
  cbxDimSize->setObjectName("cbxDimSize");
  cbxDimSize->setEditable(true);
  cbxDimSize->setInsertPolicy(QComboBox::NoInsert);
  cbxDimSize->addItem(kDefaultSize);
  cbxDimSize->setEditText(kDefaultSize);
  cbxDimSize->setEnabled(false);
  addLabel("LUT dimension size", cbxDimSize);
  form->addWidget(cbxDimSize, row++, 0, 1, 2);

  cbxBits = MakeChild<QComboBox>(this);
  cbxBits->setObjectName("cbxBits");
  FillBitsBox(*cbxBits);
  cbxBits->setEnabled(false);
  addLabel("Bits per color", cbxBits);
  form->addWidget(cbxBits, row++, 0, 1, 2);

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
  form->setRowStretch(row++, 1);
  form->addWidget(buttonPanel, row, 0, 1, 2);

  auto* picturePanel = MakeChild<QWidget>(this);
  auto* pictures = MakeChild<QVBoxLayout>(picturePanel);
  pictures->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picturePanel);
  Image1 = MakeChild<TPictureBox>(this, TfrmMain::kPreviewBoxWidth, TfrmMain::kPreviewBoxHeight);
  Image1->setObjectName("Image1");
  Image1->setToolTip("The test image, click to load another image");
  Image1->SetImage(ToQImage(TestPicture_));
  Image1->setCursor(Qt::PointingHandCursor);
  Image2 = MakeChild<TPictureBox>(this, TfrmMain::kPreviewBoxWidth, TfrmMain::kPreviewBoxHeight);
  Image2->setObjectName("Image2");
  pictures->addWidget(Image1);
  pictures->addWidget(Image2);
  pictures->addStretch(1);
}

void TfrmICCConvert::ConnectControls() {
  connect(btnOpenICCProfile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { OpenICCProfileClicked(); }); });
  connect(btnOpenSecondProfile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { OpenSecondProfileClicked(); }); });
  connect(cbxInvertTransform, &QCheckBox::toggled, this, [this] { InvertTransformClicked(); });
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, [this] { OutFormatChanged(); });
  connect(edtSrcProfile, &QLineEdit::textChanged, this, [this] { SrcProfileChanged(); });
  connect(edtLUTFile, &QLineEdit::textChanged, this, [this] { SrcProfileChanged(); });
  connect(btnSetLUTFile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SetLUTFileClicked(); }); });
  connect(btnConvert, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { ConvertClicked(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

const TLutOutputProfile* TfrmICCConvert::SelectedProfile() const {
  const int item = cbxOutFormat->currentIndex();
  if (item < 0) return nullptr;
  return &GetOutputProfile(cbxOutFormat->itemData(item).toInt());
}

int TfrmICCConvert::SelectedBits() const {
  return SelectedBitsOf(*cbxBits);
}

void TfrmICCConvert::ShowSecondProfileControls(bool shown) {
  lblSecondProfile->setVisible(shown);
  edtSecondProfile->setVisible(shown);
  btnOpenSecondProfile->setVisible(shown);
  cbxInvertTransform->setVisible(shown);
}

void TfrmICCConvert::OpenICCProfileClicked() {
  const std::string path =
      Dialogs_.OpenFile(this, "Select the ICC profile to convert", Folders_.Icc, kIccProfileFilter);
  if (path.empty()) return;
  Folders_.Icc = ExtractFileDir(path) + "/";
  edtSrcProfile->setText(ToQt(path));
  {
    const QSignalBlocker quiet(cbxInvertTransform);  // a new profile starts uninverted
    cbxInvertTransform->setChecked(false);
  }
  TProfileClass profileClass = 0;
  {
    const TProfileHandle profile = OpenProfile(path);
    profileClass = GetProfileClass(profile);
  }
  lblICCType->setText(ToQt("Profile Type: " + ProfileClassName(profileClass)));
  ShowSecondProfileControls(ClassTakesSecondProfile(profileClass));
  lblSecondProfile->setText(profileClass == kClassInput ? "Output Color Space"
                                                        : "Input Color Space");
  Image2->SetImage(QImage());
  RunTransform(true);
}

void TfrmICCConvert::OpenSecondProfileClicked() {
  const std::string path =
      Dialogs_.OpenFile(this, "Select the second ICC profile", Folders_.Icc, kIccProfileFilter);
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
    Dialogs_.Warning(this, kInversionImpossible);
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
  Image2->setToolTip("The test image with ICC colors transformation");
}

void TfrmICCConvert::BuildLutFromTransform(const TTransformHandle& transform) {
  const TLutOutputProfile* profile = SelectedProfile();
  const TLUTFormat* format = profile != nullptr ? GetFormat(profile->FormatIndex) : nullptr;
  if (format == nullptr) return;
  const int size = ResolveOutputSize(FromQt(cbxDimSize->currentText()), *profile);
  auto lut = std::make_unique<TLUT>();
  SampleTransform(transform, format->Is3D, size, *lut);
  SaveLut(FromQt(edtLUTFile->text()), *lut, *profile, SelectedBits());
}

void TfrmICCConvert::OutFormatChanged() {
  const TLutOutputProfile* profile = SelectedProfile();
  const TLUTFormat* format = profile != nullptr ? GetFormat(profile->FormatIndex) : nullptr;
  const bool sizeSelectable = profile != nullptr && profile->SizeSelectable;
  cbxDimSize->setEnabled(sizeSelectable);
  if (sizeSelectable) {
    cbxDimSize->clear();
    cbxDimSize->addItem(kDefaultSize);
    cbxDimSize->addItems(
        format != nullptr && format->Is3D
            ? QStringList{"17", "32", "33", "64"}
            : QStringList{"1024", "2048", "4096", "8192", "16384", "32768", "65536"});
  }
  cbxDimSize->setEditText(kDefaultSize);
  cbxBits->setEnabled(profile != nullptr && profile->BitsSelectable);
  cbxBits->setCurrentIndex(0);
  edtLUTFile->setEnabled(profile != nullptr);
  btnSetLUTFile->setEnabled(profile != nullptr);
  if (profile != nullptr && !edtLUTFile->text().isEmpty()) {
    edtLUTFile->setText(ToQt(ChangeFileExt(FromQt(edtLUTFile->text()), "." + profile->Extension)));
  }
  SrcProfileChanged();
}

void TfrmICCConvert::SrcProfileChanged() {
  const TLutOutputProfile* profile = SelectedProfile();
  if (edtLUTFile->text().isEmpty() && !edtSrcProfile->text().isEmpty() && profile != nullptr) {
    edtLUTFile->setText(
        ToQt(ChangeFileExt(FromQt(edtSrcProfile->text()), "." + profile->Extension)));
  }
  btnConvert->setEnabled(!edtSrcProfile->text().isEmpty() && profile != nullptr &&
                         !edtLUTFile->text().isEmpty());
}

void TfrmICCConvert::SetLUTFileClicked() {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return;
  const std::string path =
      Dialogs_.SaveFile(this, "Select the destination LUT file name", Folders_.Output,
                        profile->Extension, SaveFilterOf(*profile));
  if (path.empty()) return;
  edtLUTFile->setText(ToQt(path));
  ConfirmedLutFile_ = path;
  Folders_.Output = ExtractFileDir(path);
}

void TfrmICCConvert::ConvertClicked() {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return;
  if (ResolveOutputSize(FromQt(cbxDimSize->currentText()), *profile) < 2) {
    cbxDimSize->setFocus();
    throw Exception(kSizeTooSmall);
  }
  const std::string path = FromQt(edtLUTFile->text());
  if (path != ConfirmedLutFile_ && FileExists(path) &&
      !Dialogs_.YesNo(this, OverwriteQuestion(path))) {
    return;
  }
  RunTransform(false);
  Dialogs_.Information(this, "The LUT file " + path + " has been written.");
}

bool TfrmICCConvert::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && watched == Image1) {
    Image1Clicked();
    return true;
  }
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto& key = static_cast<QKeyEvent&>(*event);
  if (key.key() == Qt::Key_Alt) return true;
  if (watched == cbxDimSize->lineEdit()) return FilterSizeBoxKey(*cbxDimSize, key);
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn::ui
