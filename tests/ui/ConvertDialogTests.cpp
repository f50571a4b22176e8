// The conversion dialog on its own: initial state, the output choice, the folder picker,
// the Convert button's rule and the keys of the size box.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>

#include "core/BitDepths.h"
#include "core/LUTFormat.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/OutputChoice.h"
#include "ui/ProfileBox.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

std::vector<std::string> Items(const QComboBox& box) {
  std::vector<std::string> items;
  for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i).toStdString());
  return items;
}

QWidget* NextTabStop(QWidget* widget) {
  QWidget* next = widget->nextInFocusChain();
  while (next != widget && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  return next;
}

// The first output for which test answers true, or -1.
int FindProfile(const std::function<bool(const TLutOutputProfile&, const TLUTFormat&)>& test) {
  for (int i = 0; i < static_cast<int>(OutputProfiles().size()); ++i) {
    const TLutOutputProfile& profile = GetOutputProfile(i);
    const TLUTFormat* format = GetFormat(profile.FormatIndex);
    if (format != nullptr && test(profile, *format)) return i;
  }
  return -1;
}

// Every profile once, its number as its data, the 3D ones under their header before the 1D
// ones under theirs, each group in the registry's order; the headers cannot be chosen.
void ExpectEveryProfileOnceGrouped(const TfrmConvert& dialog) {
  const QComboBox& box = *dialog.cbxOutFormat;
  const int profiles = static_cast<int>(OutputProfiles().size());
  ASSERT_GT(profiles, 0);
  std::vector<int> expected;
  for (bool grids : {true, false}) {
    expected.push_back(kHeaderItemData);
    for (int i = 0; i < profiles; ++i) {
      if (GetFormat(GetOutputProfile(i).FormatIndex)->Is3D == grids) expected.push_back(i);
    }
  }
  std::vector<int> offered;
  for (int item = 0; item < box.count(); ++item) {
    const int data = box.itemData(item).toInt();
    offered.push_back(data);
    const auto& model = static_cast<const QStandardItemModel&>(*box.model());
    EXPECT_EQ(model.item(item)->isSelectable(), data != kHeaderItemData) << item;
    if (data != kHeaderItemData) {
      EXPECT_EQ(box.itemText(item).toStdString(), GetOutputProfile(data).Name);
    }
  }
  EXPECT_EQ(offered, expected);
  EXPECT_EQ(box.itemText(0), "3D LUTs");
}

class TConvertDialogTest : public ::testing::Test {
 protected:
  void Choose(const std::string& output) {
    const int item = Dialog.cbxOutFormat->findText(QString::fromStdString(output));
    ASSERT_GE(item, 0) << output;
    Dialog.cbxOutFormat->setCurrentIndex(item);
  }
  void Type(const QString& keys) { QTest::keyClicks(Dialog.cbxDimSize->lineEdit(), keys); }
  void Key(Qt::Key key) { QTest::keyClick(Dialog.cbxDimSize->lineEdit(), key); }
  QString SizeText() const { return Dialog.cbxDimSize->currentText(); }

  TScriptedDialogs Dialogs;
  std::string Folder;
  TfrmConvert Dialog{nullptr, Dialogs, Folder};
};

TEST_F(TConvertDialogTest, OpensWithEveryOutputAndNothingChosen) {
  EXPECT_EQ(Dialog.windowTitle(), "Conversion Settings");
  EXPECT_FALSE(Dialog.edtOutFolder->isReadOnly()) << "a folder may be typed or pasted";
  EXPECT_EQ(Dialog.edtOutFolder->text(), "");
  EXPECT_EQ(Dialog.btnSelectFolder->toolTip(), "Select the output folder");
  EXPECT_EQ(Dialog.cbxOutFormat->currentIndex(), -1);
  ExpectEveryProfileOnceGrouped(Dialog);
  EXPECT_FALSE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(SizeText(), "Default");
  EXPECT_FALSE(Dialog.cbxBits->isEnabled());
  EXPECT_EQ(Items(*Dialog.cbxBits),
            (std::vector<std::string>{"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"}));
  EXPECT_EQ(Dialog.cbxBits->currentIndex(), 0);
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());
  EXPECT_TRUE(Dialog.btnConvert->isDefault());
  EXPECT_TRUE(Dialog.btnCancel->isEnabled());
  EXPECT_TRUE(Dialog.lblDefaultHint->isHidden());
  EXPECT_EQ(Dialog.cbxReportLoss->text(), "Report the conversion loss");
  EXPECT_FALSE(Dialog.cbxReportLoss->isChecked());
  EXPECT_TRUE(Dialog.cbxReportLoss->isEnabled());
  EXPECT_EQ(NextTabStop(Dialog.cbxBits), Dialog.cbxReportLoss);
  EXPECT_EQ(NextTabStop(Dialog.cbxReportLoss), Dialog.btnConvert);
  EXPECT_EQ(Dialog.SelectedProfile(), nullptr);
  EXPECT_EQ(Dialog.SelectedBits(), -1);
}

TEST_F(TConvertDialogTest, OpensWithTheFocusOnTheOutputFormat) {
  Dialog.show();
  Dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
  EXPECT_EQ(QApplication::focusWidget(), Dialog.cbxOutFormat);
}

// An ignored key travels up to the dialog and ends unaccepted; a swallowed one never
// reaches a handler that could ignore it.
TEST_F(TConvertDialogTest, TheAltKeyIsSwallowedBeforeAnyControlSeesIt) {
  Choose("Cube 3D Davinci");
  Dialog.show();
  auto delivered = [](QWidget* control, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    return !press.isAccepted();
  };
  for (QWidget* control :
       {static_cast<QWidget*>(Dialog.edtOutFolder), static_cast<QWidget*>(Dialog.cbxOutFormat),
        static_cast<QWidget*>(Dialog.cbxDimSize->lineEdit()), static_cast<QWidget*>(Dialog.cbxBits),
        static_cast<QWidget*>(Dialog.btnConvert)}) {
    EXPECT_TRUE(delivered(control, Qt::Key_Shift)) << control->objectName().toStdString();
    EXPECT_FALSE(delivered(control, Qt::Key_Alt)) << control->objectName().toStdString();
  }
  EXPECT_EQ(SizeText(), "Default");
}

TEST_F(TConvertDialogTest, ConvertNeedsAnOutputAndAFolder) {
  Choose("Cube 3D Davinci");
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());

  Dialogs.FoldersToSelect.push_back("");  // cancelled
  Dialog.btnSelectFolder->click();
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());
  EXPECT_EQ(Dialogs.LastTitle, "Please select a folder for converted files");

  Dialogs.FoldersToSelect.push_back("/tmp/out");
  Dialog.btnSelectFolder->click();
  EXPECT_EQ(Dialog.edtOutFolder->text(), "/tmp/out");
  EXPECT_EQ(Folder, "/tmp/out");
  EXPECT_TRUE(Dialog.btnConvert->isEnabled());

  Dialog.cbxOutFormat->setCurrentIndex(-1);
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());
}

TEST_F(TConvertDialogTest, TheRememberedFolderOpensTheNextDialogAndThePicker) {
  Dialogs.FoldersToSelect.push_back("/tmp/first");
  Dialog.btnSelectFolder->click();
  TfrmConvert next(nullptr, Dialogs, Folder);
  EXPECT_EQ(next.edtOutFolder->text(), "/tmp/first");
  Dialogs.FoldersToSelect.push_back("/tmp/second");
  next.btnSelectFolder->click();
  EXPECT_EQ(Dialogs.LastStartFolder, "/tmp/first");
  EXPECT_EQ(Folder, "/tmp/second");
}

TEST_F(TConvertDialogTest, A3DOutputWithSelectableSizeOffersGridSizes) {
  Choose("Cube 3D Davinci");
  EXPECT_TRUE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(Items(*Dialog.cbxDimSize),
            (std::vector<std::string>{"Default", "8", "16", "17", "32", "33", "64"}));
  EXPECT_EQ(SizeText(), "Default");
  EXPECT_EQ(Dialog.OutputSize(), 33);
  Dialog.cbxDimSize->setCurrentIndex(Dialog.cbxDimSize->findText("17"));
  EXPECT_EQ(Dialog.OutputSize(), 17);

  Choose("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke");
  EXPECT_FALSE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(SizeText(), "Default");
  EXPECT_EQ(Dialog.OutputSize(), 32);
}

TEST_F(TConvertDialogTest, A1DOutputWithSelectableSizeOffersTableSizes) {
  const int profile = FindProfile(
      [](const TLutOutputProfile& p, const TLUTFormat& f) { return p.SizeSelectable && !f.Is3D; });
  if (profile < 0) GTEST_SKIP() << "no 1D output with a selectable size in this build";
  Choose(GetOutputProfile(profile).Name);
  EXPECT_TRUE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(Items(*Dialog.cbxDimSize),
            (std::vector<std::string>{"Default", "1024", "2048", "4096", "8192", "16384", "32768",
                                      "65536"}));
}

TEST_F(TConvertDialogTest, TheBitsBoxFollowsTheOutputAndStartsAtDefault) {
  Choose("Cube 3D Davinci");
  EXPECT_FALSE(Dialog.cbxBits->isEnabled());
  const int profile =
      FindProfile([](const TLutOutputProfile& p, const TLUTFormat&) { return p.BitsSelectable; });
  if (profile < 0) GTEST_SKIP() << "no output with selectable bits in this build";
  Choose(GetOutputProfile(profile).Name);
  EXPECT_TRUE(Dialog.cbxBits->isEnabled());
  Dialog.cbxBits->setCurrentIndex(2);
  EXPECT_EQ(Dialog.SelectedBits(), 10);
  Dialog.cbxBits->setCurrentIndex(5);
  EXPECT_EQ(Dialog.SelectedBits(), 16);
  Choose("Cube 3D Davinci");
  EXPECT_EQ(Dialog.cbxBits->currentIndex(), 0);
  EXPECT_EQ(Dialog.SelectedBits(), -1);
}

TEST_F(TConvertDialogTest, TheSizeBoxTakesAtMostFiveDigitsAndNothingElse) {
  Choose("Cube 3D Davinci");
  Dialog.show();
  Type("x");
  EXPECT_EQ(SizeText(), "") << "any key first empties \"Default\"";
  Type("1a2-b.3");
  EXPECT_EQ(SizeText(), "123");
  Type("456789");
  EXPECT_EQ(SizeText(), "12345");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(SizeText(), "1234");
  Type("9");
  EXPECT_EQ(SizeText(), "12349");
}

TEST_F(TConvertDialogTest, DeleteAndBackspaceEmptyTheDefaultText) {
  Choose("Cube 3D Davinci");
  Dialog.show();
  Key(Qt::Key_Delete);
  EXPECT_EQ(SizeText(), "");
  Dialog.cbxDimSize->setEditText("Default");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(SizeText(), "");
  Dialog.cbxDimSize->setEditText("Default");
  Type("64");
  EXPECT_EQ(SizeText(), "64");
  EXPECT_EQ(Dialog.OutputSize(), 64);
}

TEST_F(TConvertDialogTest, SizesBelowTwoAreRefusedAndTheDialogStaysOpen) {
  Choose("Cube 3D Davinci");
  Dialogs.FoldersToSelect.push_back("/tmp/out");
  Dialog.btnSelectFolder->click();
  Dialog.show();
  for (const char* size : {"1", "0"}) {
    Dialog.cbxDimSize->setEditText(size);
    Dialog.btnConvert->click();
    EXPECT_NE(Dialog.result(), QDialog::Accepted) << size;
    EXPECT_THROW(Dialog.OutputSize(), std::exception);
  }
  EXPECT_EQ(Dialogs.Texts(TKind::Error), (std::vector<std::string>{kSizeTooSmall, kSizeTooSmall}));

  Dialog.cbxDimSize->setEditText("");  // an emptied box means the default size
  EXPECT_EQ(Dialog.OutputSize(), 33);
  Dialog.btnConvert->click();
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
}

// Each bits item answers its own depth: "Default" -1, then the offered depths in order.
TEST(BitsBox, EveryItemAnswersTheDepthItShows) {
  QComboBox box;
  FillBitsBox(box);
  ASSERT_EQ(box.count(), static_cast<int>(kOfferedBitDepths.size()) + 1);
  EXPECT_EQ(SelectedBitsOf(box), -1);
  for (int item = 1; item < box.count(); ++item) {
    box.setCurrentIndex(item);
    EXPECT_EQ(std::to_string(SelectedBitsOf(box)) + " bit", box.currentText().toStdString());
  }
  box.setCurrentIndex(-1);
  EXPECT_EQ(SelectedBitsOf(box), -1);
}

}  // namespace
}  // namespace vorn::ui::test
