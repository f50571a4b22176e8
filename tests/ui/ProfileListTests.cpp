// The output profile list: each entry shows its extension, typing on the focused list
// filters it by the words of the names and extensions, and a profile found that way converts
// as one picked from the whole list.

#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <filesystem>

#include "core/LUTFormat.h"
#include "platform/Files.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/ProfileBox.h"

namespace vorn::ui::test {
namespace {

class TProfileListTest : public ::testing::Test {
 protected:
  TProfileListTest() {
    Dialog.show();
    Dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Dialog));
    Dialog.cbxOutFormat->setFocus();
  }
  void Type(const QString& keys) { QTest::keyClicks(QApplication::focusWidget(), keys); }
  // The names of the profiles the popup lists, and the headers it still shows.
  std::vector<std::string> Listed(bool headers = false) const {
    const QComboBox& box = *Dialog.cbxOutFormat;
    const auto& view = static_cast<const QListView&>(*box.view());
    std::vector<std::string> names;
    for (int item = 0; item < box.count(); ++item) {
      const bool header = box.itemData(item).toInt() == kHeaderItemData;
      if (header == headers && !view.isRowHidden(item)) {
        names.push_back(box.itemText(item).toStdString());
      }
    }
    return names;
  }

  TScriptedDialogs Dialogs;
  std::string Folder;
  TfrmConvert Dialog{nullptr, Dialogs, Folder};
};

TEST_F(TProfileListTest, EachEntryShowsItsExtension) {
  const QComboBox& box = *Dialog.cbxOutFormat;
  const std::vector<std::pair<std::string, std::string>> shown = {
      {"Cube 3D Davinci", "Cube 3D Davinci (.cube)"},
      {"S.two 1D", "S.two 1D (.swto.xml)"},
      {"Academy/ASC Common LUT Format", "Academy/ASC Common LUT Format (.clf)"}};
  for (const auto& [name, label] : shown) {
    const int item = box.findText(QString::fromStdString(name));
    ASSERT_GE(item, 0) << name;
    EXPECT_EQ(box.itemData(item, kProfileLabelRole).toString().toStdString(), label);
  }
}

TEST_F(TProfileListTest, TypingListsTheProfilesWithAWordBeginningSoInAnyCase) {
  struct TCase {
    QString Typed;
    std::vector<std::string> Profiles;
    std::vector<std::string> Headers;
  };
  const std::vector<TCase> cases = {
      {"davinci", {"Cube 3D Davinci", "Davinci DAT 3D"}, {"3D LUTs"}},
      {"DaVinci", {"Cube 3D Davinci", "Davinci DAT 3D"}, {"3D LUTs"}},
      {"cube 1d", {"Cube 1D", "Filmlight Truelight 1D"}, {"1D LUTs"}},  // .cube counts
      {"spi", {"Imageworks spi3d", "Imageworks spi1d"}, {"3D LUTs", "1D LUTs"}},
      {"vinci", {}, {}},  // inside a word only
  };
  for (const TCase& c : cases) {
    Type(c.Typed);
    EXPECT_EQ(Listed(), c.Profiles) << c.Typed.toStdString();
    EXPECT_EQ(Listed(true), c.Headers) << c.Typed.toStdString();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(Listed().size(), OutputProfiles().size()) << "Escape lists every profile again";
  }
}

TEST_F(TProfileListTest, TypingChoosesTheFirstMatchAndTheArrowsStayAmongTheMatches) {
  Type("davinc");
  EXPECT_EQ(Dialog.SelectedProfile()->Name, "Cube 3D Davinci");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(Dialog.SelectedProfile()->Name, "Davinci DAT 3D");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(Dialog.SelectedProfile()->Name, "Davinci DAT 3D") << "the last match";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
  EXPECT_EQ(static_cast<TProfileBox&>(*Dialog.cbxOutFormat).Filter(), "davin");
  EXPECT_EQ(Dialog.SelectedProfile()->Name, "Davinci DAT 3D") << "still listed, kept";
}

class TFilteredConversionTest : public TMainWindowTest {};

TEST_F(TFilteredConversionTest, AProfileFoundByTypingConvertsAsBefore) {
  const std::string output = Temp.Path() + "/out";
  std::filesystem::create_directory(output);
  Window->AddFiles({Cube("a.cube")});
  const TLutOutputProfile* chosen = nullptr;
  Dialogs.FoldersToSelect.push_back(output);
  Dialogs.ModalScripts.push_back([&chosen](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmConvert&>(shown);
    dialog.cbxOutFormat->setFocus();
    QTest::keyClicks(dialog.cbxOutFormat, "spi3");
    chosen = dialog.SelectedProfile();
    dialog.btnSelectFolder->click();
    dialog.btnConvert->click();
    return dialog.result() == QDialog::Accepted;
  });
  Window->btnConvert->click();

  ASSERT_NE(chosen, nullptr);
  const auto& profiles = OutputProfiles();
  const auto spi3d = std::find_if(profiles.begin(), profiles.end(), [](const auto& profile) {
    return profile->Name == "Imageworks spi3d";
  });
  ASSERT_NE(spi3d, profiles.end());
  EXPECT_EQ(chosen, spi3d->get()) << "the registry's own profile object";
  TLUT lut;
  LoadLut(output + "/a.spi3d", lut);
  EXPECT_EQ(lut.FormatIndex, chosen->FormatIndex);
  EXPECT_EQ(lut.Size3D, chosen->DefaultSize);
}

}  // namespace
}  // namespace vorn::ui::test
