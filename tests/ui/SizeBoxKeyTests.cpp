// The size box of the conversion, ICC-to-LUT and merge dialogs typed into as a keyboard does:
// keys go to whichever widget Qt gave the focus, which for an editable combo box is the box
// itself, not its line edit.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "core/LUTFormat.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/ICCConvertForm.h"
#include "ui/LutJoinForm.h"
#include "ui/OutputChoice.h"

namespace vorn::ui::test {
namespace {

const TLutOutputProfile& SizedGrid() {
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    if (format != nullptr && format->Is3D && profile->SizeSelectable) return *profile;
  }
  throw std::runtime_error("no 3D output with a selectable size");
}

struct TKeyCase {
  const char* Start;
  QString Keys;  // typed text; empty means the key below
  Qt::Key Key;
  const char* Expected;
};

const TKeyCase kKeyCases[] = {
    {"Default", "7", Qt::Key_unknown, "7"},    {"Default", "7xy99999", Qt::Key_unknown, "79999"},
    {"Default", "9x", Qt::Key_unknown, "9"},   {"Default", "", Qt::Key_Delete, ""},
    {"Default", "", Qt::Key_Backspace, ""},    {"123", "", Qt::Key_Backspace, "12"},
    {"123", "4a56", Qt::Key_unknown, "12345"},
};

// Shows the dialog with a sized grid output chosen, puts the focus in the size box as a click
// or Tab would, and types each case into the focused widget.
void ExpectSizeKeyRules(QDialog& dialog, QComboBox& profiles, QComboBox& sizeBox) {
  profiles.setCurrentIndex(profiles.findText(QString::fromStdString(SizedGrid().Name)));
  ASSERT_TRUE(sizeBox.isEnabled());
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  for (const TKeyCase& keyCase : kKeyCases) {
    sizeBox.setEditText(keyCase.Start);
    sizeBox.setFocus();
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    if (keyCase.Keys.isEmpty()) {
      QTest::keyClick(focused, keyCase.Key);
    } else {
      QTest::keyClicks(focused, keyCase.Keys);
    }
    EXPECT_EQ(sizeBox.currentText().toStdString(), keyCase.Expected)
        << dialog.objectName().toStdString() << ": " << keyCase.Start << " + "
        << keyCase.Keys.toStdString();
  }
}

class SizeBoxKeys : public ::testing::Test {
 protected:
  TScriptedDialogs Dialogs;
  TRememberedFolders Folders;
  std::string OutputFolder;
};

TEST_F(SizeBoxKeys, TheConversionDialogFiltersTheKeysWhereTheyArrive) {
  TfrmConvert dialog(nullptr, Dialogs, OutputFolder);
  ExpectSizeKeyRules(dialog, *dialog.cbxOutFormat, *dialog.cbxDimSize);
}

TEST_F(SizeBoxKeys, TheIccDialogFiltersTheKeysWhereTheyArrive) {
  TfrmICCConvert dialog(nullptr, Dialogs, Folders, TBitmap24(4, 4),
                        [](TBitmap24&) { return false; });
  ExpectSizeKeyRules(dialog, *dialog.cbxOutFormat, *dialog.cbxDimSize);
}

TEST_F(SizeBoxKeys, TheMergeDialogFiltersTheKeysWhereTheyArrive) {
  TfrmJoinLut dialog(nullptr, Dialogs, Folders, {"/a.cube", "/b.cube"});
  ExpectSizeKeyRules(dialog, *dialog.cbxOutFormat, *dialog.cbxDimSize);
}

// A text the keys cannot make but a paste can is refused rather than read as the default.
TEST(SizeBoxText, OnlyDigitsDefaultOrNothingGiveASize) {
  const TLutOutputProfile& profile = SizedGrid();
  QComboBox box;
  box.setEditable(true);
  const std::pair<const char*, int> accepted[] = {
      {"Default", profile.DefaultSize}, {"", profile.DefaultSize}, {"17", 17}, {"00064", 64}};
  for (const auto& [text, size] : accepted) {
    box.setEditText(text);
    EXPECT_EQ(OutputSizeOf(box, profile), size) << text;
  }
  for (const char* text : {"Default9x", "Default7", "9x", " 17", "-5", "1.5"}) {
    box.setEditText(text);
    try {
      OutputSizeOf(box, profile);
      ADD_FAILURE() << text << " was accepted";
    } catch (const std::exception& error) {
      EXPECT_STREQ(error.what(), kSizeNotANumber) << text;
    }
  }
}

}  // namespace
}  // namespace vorn::ui::test
