#pragma once
// The output controls the conversion, ICC-to-LUT and merge dialogs share: the profile list,
// the size box with its "Default" text and its keys, the bit-depth list, the LUT file the
// ICC-to-LUT and merge dialogs write, and how they follow the chosen profile.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "core/VornLut.h"

class QComboBox;
class QEvent;
class QKeyEvent;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;

namespace vorn::ui {

class IDialogs;
class TFormRows;

// not translated: the word the size rules of the conversions read
inline const QString kDefaultSize = QStringLiteral("Default");

inline constexpr const char* kSizeTooSmall = QT_TRANSLATE_NOOP(
    "vorn::ui",
    "The dimension size must be at least 2. Please type a larger size or choose 'Default'.");

inline constexpr const char* kSizeNotANumber = QT_TRANSLATE_NOOP(
    "vorn::ui",
    "The dimension size must be a number. Please type digits only or choose 'Default'.");

// "cbxOutFormat": a TProfileBox, the output profiles grouped 3D then 1D, each item's text
// the profile's name and its data the profile's index (a header's kHeaderItemData); only
// those that write a 3D grid, without a header, when gridsOnly. None is selected.
QComboBox* MakeOutputProfileBox(QWidget* parent, bool gridsOnly);
// The profile chosen in such a box, or null.
const TLutOutputProfile* SelectedProfileOf(const QComboBox& box);

// "cbxDimSize": editable, showing "Default", disabled until a profile lets the size be chosen.
QComboBox* MakeSizeBox(QWidget* parent);
// "cbxBits": the bit depths of FillBitsBox, disabled until a profile lets them be chosen.
QComboBox* MakeBitsBox(QWidget* parent);

// "Default", "8 bit", ... "16 bit", the first selected.
void FillBitsBox(QComboBox& box);
// -1 for "Default", else 8, 10, 12, 14 or 16.
int SelectedBitsOf(const QComboBox& box);

// A change of output profile (null for none): the size and bits boxes are enabled as the
// profile allows and show "Default" again; a size box that is enabled lists gridSizes for a
// profile that writes a 3D grid, the table sizes for one that writes 1D.
void FollowOutputProfile(const TLutOutputProfile* profile, const QStringList& gridSizes,
                         QComboBox& sizeBox, QComboBox& bitsBox);

// The size the size box gives for the profile; raises kSizeNotANumber for a text other than
// digits or "Default" (an empty box means the default) and kSizeTooSmall below 2.
int OutputSizeOf(const QComboBox& sizeBox, const TLutOutputProfile& profile);
// As OutputSizeOf; a size it refuses puts the focus in the size box first.
int CheckedOutputSize(QComboBox& sizeBox, const TLutOutputProfile& profile);

// The keys of an editable size box: a "Default" text is emptied before typing or on Delete;
// only digits (at most 5) and Backspace are accepted. Answers true when the key is
// swallowed.
bool FilterSizeBoxKey(QComboBox& box, QKeyEvent& key);

// The key handling of a dialog with output controls: Alt alone is swallowed, and the keys
// of the size box's edit (sizeBox may be null) go through FilterSizeBoxKey. Nothing for an
// event it leaves to the dialog.
std::optional<bool> FilterDialogKey(QComboBox* sizeBox, QObject* watched, QEvent& event);

// The output rows of the ICC-to-LUT and merge dialogs, "Output LUT Format", "Output LUT
// File" with its "..." button, "LUT dimension size" and "Bits per color", and how they
// react. A dialog derives from it as from a form class, so the controls carry the dialog's
// names.
class TLutFileOutput {
 public:
  // The profile chosen, or null.
  const TLutOutputProfile* SelectedProfile() const;
  // -1 for "Default", else 8, 10, 12, 14 or 16.
  int SelectedBits() const;

  QComboBox* cbxOutFormat = nullptr;
  QLineEdit* edtLUTFile = nullptr;
  QPushButton* btnSetLUTFile = nullptr;
  QComboBox* cbxDimSize = nullptr;
  QComboBox* cbxBits = nullptr;

 protected:
  // What the dialog writes once the user has pressed its button.
  struct TTarget {
    const TLutOutputProfile* Profile = nullptr;
    int Size = 0;
    std::string Path;
  };

  TLutFileOutput() = default;
  ~TLutFileOutput() = default;

  // Builds the rows, the profile list with every output profile or only those that write a
  // 3D grid (gridsOnly); the other controls are disabled until a profile is chosen.
  void AddLutFileRows(TFormRows& rows, bool gridsOnly);
  // A change of profile: the size and bits boxes as FollowOutputProfile does; the file edit
  // and its button are enabled with a profile, and a path already there takes the profile's
  // extension.
  void FollowSelectedProfile();
  // Asks for the file to write through the chosen profile ("Select the destination LUT file
  // name", starting in folder). A path chosen is shown in edtLUTFile and its folder becomes
  // folder. False when no profile is chosen or the box is cancelled.
  bool BrowseLutFile(IDialogs& dialogs, QWidget* parent, std::string& folder);
  // The profile, size and file to write; nothing when no profile is chosen or the user keeps
  // an existing file. Raises kSizeTooSmall (CheckedOutputSize).
  std::optional<TTarget> TargetToWrite(IDialogs& dialogs, QWidget* parent);

 private:
  std::string ConfirmedLutFile_;  // the path as the save box confirmed it
};

// True when path may be written: it is the path the save box confirmed, no file is there, or
// the user answers Yes to OverwriteQuestion.
bool MayReplace(IDialogs& dialogs, QWidget* parent, const std::string& path,
                const std::string& confirmed);

// The profile's name, "|*." and its extension.
std::string SaveFilterOf(const TLutOutputProfile& profile);

// "The file PATH already exists. Overwrite it?"
std::string OverwriteQuestion(const std::string& path);

}  // namespace vorn::ui
