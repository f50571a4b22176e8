#include "ui/OutputChoice.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "core/VornLut.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "ui/Dialogs.h"
#include "ui/FormRows.h"
#include "ui/ProfileBox.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

constexpr int kLongestSizeText = 5;
constexpr const char* kDestinationLutTitle =
    QT_TRANSLATE_NOOP("vorn::ui", "Select the destination LUT file name");

// The grid sizes the ICC-to-LUT and merge dialogs offer.
const QStringList kGridSizes = {"17", "32", "33", "64"};

bool IsDialogKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
         key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

bool WritesGrid(const TLutOutputProfile& profile) {
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  return format != nullptr && format->Is3D;
}

// "Default", nothing (the default too) or digits only: what the size box's keys let through.
bool IsSizeText(const QString& text) {
  if (text == kDefaultSize) return true;
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int SizeInBox(const QComboBox& sizeBox, const TLutOutputProfile& profile) {
  return ResolveOutputSize(FromQt(sizeBox.currentText()), profile);
}

}  // namespace

QComboBox* MakeOutputProfileBox(QWidget* parent, bool gridsOnly) {
  return MakeChild<TProfileBox>(parent, gridsOnly);
}

const TLutOutputProfile* SelectedProfileOf(const QComboBox& box) {
  const int item = box.currentIndex();
  if (item < 0) return nullptr;
  const int profile = box.itemData(item).toInt();
  return profile == kHeaderItemData ? nullptr : &GetOutputProfile(profile);
}

QComboBox* MakeSizeBox(QWidget* parent) {
  auto* box = MakeChild<QComboBox>(parent);
  box->setObjectName("cbxDimSize");
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItem(kDefaultSize);
  box->setEditText(kDefaultSize);
  box->setEnabled(false);
  return box;
}

QComboBox* MakeBitsBox(QWidget* parent) {
  auto* box = MakeChild<QComboBox>(parent);
  box->setObjectName("cbxBits");
  FillBitsBox(*box);
  box->setEnabled(false);
  return box;
}

void FillBitsBox(QComboBox& box) {
  box.clear();
  box.addItem(kDefaultSize);
  for (int bits : kOfferedBitDepths) box.addItem(QString::number(bits) + Translated(" bit"));
  box.setCurrentIndex(0);
}

int SelectedBitsOf(const QComboBox& box) {
  const int item = box.currentIndex();
  // Item 0 is "Default"; item i is the (i - 1)th offered depth.
  return item <= 0 || item > static_cast<int>(kOfferedBitDepths.size())
             ? -1
             : kOfferedBitDepths[static_cast<std::size_t>(item - 1)];
}

void FollowOutputProfile(const TLutOutputProfile* profile, const QStringList& gridSizes,
                         QComboBox& sizeBox, QComboBox& bitsBox) {
  const bool sizeSelectable = profile != nullptr && profile->SizeSelectable;
  sizeBox.setEnabled(sizeSelectable);
  if (sizeSelectable) {
    sizeBox.clear();
    sizeBox.addItem(kDefaultSize);
    sizeBox.addItems(WritesGrid(*profile)
                         ? gridSizes
                         : QStringList{"1024", "2048", "4096", "8192", "16384", "32768", "65536"});
  }
  sizeBox.setEditText(kDefaultSize);
  bitsBox.setEnabled(profile != nullptr && profile->BitsSelectable);
  bitsBox.setCurrentIndex(0);
}

int OutputSizeOf(const QComboBox& sizeBox, const TLutOutputProfile& profile) {
  if (!IsSizeText(sizeBox.currentText())) throw Exception(FromQt(Translated(kSizeNotANumber)));
  const int size = SizeInBox(sizeBox, profile);
  if (size < 2) throw Exception(FromQt(Translated(kSizeTooSmall)));
  return size;
}

int CheckedOutputSize(QComboBox& sizeBox, const TLutOutputProfile& profile) {
  if (!IsSizeText(sizeBox.currentText()) || SizeInBox(sizeBox, profile) < 2) sizeBox.setFocus();
  return OutputSizeOf(sizeBox, profile);
}

bool FilterSizeBoxKey(QComboBox& box, QKeyEvent& key) {
  QLineEdit& edit = *box.lineEdit();
  if (key.key() == Qt::Key_Delete) {
    if (edit.text() == kDefaultSize) edit.clear();
    return false;
  }
  const QString text = key.text();
  if (text.isEmpty() || IsDialogKey(key.key())) return false;  // moving, not typing
  if (edit.text() == kDefaultSize) edit.clear();
  if (key.key() == Qt::Key_Backspace) return false;
  const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
  return !(digit && edit.text().size() < kLongestSizeText);
}

std::optional<bool> FilterDialogKey(QComboBox* sizeBox, QObject* watched, QEvent& event) {
  if (event.type() != QEvent::KeyPress) return std::nullopt;
  auto& key = static_cast<QKeyEvent&>(event);
  if (key.key() == Qt::Key_Alt) return true;
  // The box keeps the focus and hands keys to its edit directly, past the edit's filters;
  // code and tests may still send keys to the edit itself.
  const bool sizeKey = sizeBox != nullptr && (watched == sizeBox || watched == sizeBox->lineEdit());
  if (sizeKey && sizeBox->isEditable()) return FilterSizeBoxKey(*sizeBox, key);
  return std::nullopt;
}

const TLutOutputProfile* TLutFileOutput::SelectedProfile() const {
  return SelectedProfileOf(*cbxOutFormat);
}

int TLutFileOutput::SelectedBits() const {
  return SelectedBitsOf(*cbxBits);
}

void TLutFileOutput::AddLutFileRows(TFormRows& rows, bool gridsOnly) {
  QWidget* owner = &rows.Owner();
  cbxOutFormat = MakeOutputProfileBox(owner, gridsOnly);
  rows.AddCaptioned(Translated("Output LUT Format"), cbxOutFormat);

  edtLUTFile = MakeReadOnlyEdit(owner, "edtLUTFile");
  edtLUTFile->setEnabled(false);
  btnSetLUTFile = MakeBrowseButton(owner, "btnSetLUTFile", Translated(kDestinationLutTitle));
  btnSetLUTFile->setEnabled(false);
  rows.AddCaptionedWithButton(Translated("Output LUT File"), edtLUTFile, btnSetLUTFile);

  cbxDimSize = MakeSizeBox(owner);
  rows.AddCaptioned(Translated("LUT dimension size"), cbxDimSize);
  cbxBits = MakeBitsBox(owner);
  rows.AddCaptioned(Translated("Bits per color"), cbxBits);
}

void TLutFileOutput::FollowSelectedProfile() {
  const TLutOutputProfile* profile = SelectedProfile();
  FollowOutputProfile(profile, kGridSizes, *cbxDimSize, *cbxBits);
  edtLUTFile->setEnabled(profile != nullptr);
  btnSetLUTFile->setEnabled(profile != nullptr);
  if (profile != nullptr && !edtLUTFile->text().isEmpty()) {
    edtLUTFile->setText(ToQt(ChangeFileExt(FromQt(edtLUTFile->text()), "." + profile->Extension)));
  }
}

bool TLutFileOutput::BrowseLutFile(IDialogs& dialogs, QWidget* parent, std::string& folder) {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return false;
  const std::string path = dialogs.SaveFile(parent, FromQt(Translated(kDestinationLutTitle)),
                                            folder, profile->Extension, SaveFilterOf(*profile));
  if (path.empty()) return false;
  edtLUTFile->setText(ToQt(path));
  ConfirmedLutFile_ = path;
  folder = ExtractFileDir(path);
  return true;
}

std::optional<TLutFileOutput::TTarget> TLutFileOutput::TargetToWrite(IDialogs& dialogs,
                                                                     QWidget* parent) {
  TTarget target;
  target.Profile = SelectedProfile();
  if (target.Profile == nullptr) return std::nullopt;
  target.Size = CheckedOutputSize(*cbxDimSize, *target.Profile);
  target.Path = FromQt(edtLUTFile->text());
  if (!MayReplace(dialogs, parent, target.Path, ConfirmedLutFile_)) return std::nullopt;
  return target;
}

bool MayReplace(IDialogs& dialogs, QWidget* parent, const std::string& path,
                const std::string& confirmed) {
  return path == confirmed || !FileExists(path) || dialogs.YesNo(parent, OverwriteQuestion(path));
}

std::string SaveFilterOf(const TLutOutputProfile& profile) {
  return profile.Name + "|*." + profile.Extension;
}

std::string OverwriteQuestion(const std::string& path) {
  return FromQt(Translated("The file %1 already exists. Overwrite it?").arg(ToQt(path)));
}

}  // namespace vorn::ui
