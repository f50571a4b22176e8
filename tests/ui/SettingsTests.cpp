// What the window remembers between runs: written when a window closes or a dialog's action
// succeeds, read back by the next window as if the program had started again. Every test
// starts without settings, in a folder of the test run (TestMain.cpp).

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>
#include <filesystem>

#include "core/LUTFormat.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"

namespace vorn::ui::test {
namespace {

class TSettingsTest : public TMainWindowTest {
 protected:
  void Restart() {
    Window.reset();
    Window = std::make_unique<TfrmMain>(Dialogs);
  }
};

TEST_F(TSettingsTest, TheTestsNeverTouchTheUsersSettings) {
  const QString file = QSettings().fileName();
  EXPECT_TRUE(file.startsWith(QDir::tempPath())) << file.toStdString();
  const QString users = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  EXPECT_FALSE(file.startsWith(users + "/")) << file.toStdString();
}

TEST_F(TSettingsTest, FoldersAndTheConversionChoicesSurviveARestart) {
  const std::string cube = Cube("a.cube");
  AddViaDialog({cube});
  Window->miCheckAll->trigger();
  const std::string out = Temp.Path() + "/out";
  std::filesystem::create_directory(out);
  QueueConversion(Dialogs, "Cube 3D Davinci", out, "17", true);
  Dialogs.ModalScripts.push_back([](QDialog&) { return true; });  // the loss report
  Window->btnConvert->click();
  ASSERT_TRUE(std::filesystem::exists(out + "/a.cube"));

  Restart();
  EXPECT_EQ(Window->Folders().Output, out);
  EXPECT_EQ(Window->Folders().Luts, Temp.Path());
  AddViaDialog({cube});
  EXPECT_EQ(Dialogs.LastStartFolder, Temp.Path());
  Window->miCheckAll->trigger();
  bool shown = false;
  Dialogs.ModalScripts.push_back([&](QDialog& opened) {
    auto& dialog = dynamic_cast<TfrmConvert&>(opened);
    EXPECT_EQ(dialog.edtOutFolder->text().toStdString(), out);
    EXPECT_EQ(dialog.cbxOutFormat->currentText(), "Cube 3D Davinci");
    EXPECT_EQ(dialog.cbxDimSize->currentText(), "17");
    EXPECT_TRUE(dialog.cbxReportLoss->isChecked());
    shown = true;
    return false;
  });
  Window->btnConvert->click();
  EXPECT_TRUE(shown);
}

TEST_F(TSettingsTest, TheWindowSizeSurvivesARestart) {
  Window->show();
  Window->resize(1234, 777);
  Restart();
  EXPECT_EQ(Window->size(), QSize(1234, 777));
}

TEST_F(TSettingsTest, ACancelledConversionRemembersNothing) {
  std::string folder;
  TfrmConvert first(nullptr, Dialogs, folder);
  first.cbxOutFormat->setCurrentIndex(first.cbxOutFormat->findText("Cube 3D Davinci"));
  first.btnCancel->click();
  TfrmConvert next(nullptr, Dialogs, folder);
  EXPECT_EQ(next.cbxOutFormat->currentIndex(), -1);
}

TEST_F(TSettingsTest, TheIccDialogsRememberTheirChoices) {
  TRememberedFolders folders;
  const std::string display =
      vorn::test::WriteTestProfile(Temp.Path(), "display.icc", vorn::test::TTestProfile::Display);
  const std::string sized = "Cube 3D Davinci";
  {
    TfrmICCConvert dialog(nullptr, Dialogs, folders, TBitmap24(4, 4),
                          [](TBitmap24&) { return false; });
    dialog.cbxOutFormat->setCurrentIndex(
        dialog.cbxOutFormat->findText(QString::fromStdString(sized)));
    Dialogs.FileToOpen.push_back(display);
    dialog.btnOpenICCProfile->click();
    dialog.cbxDimSize->setEditText("5");
    dialog.btnConvert->click();
    ASSERT_EQ(Dialogs.Texts(TScriptedDialogs::TKind::Information).size(), 1u);
  }
  TfrmICCConvert again(nullptr, Dialogs, folders, TBitmap24(4, 4),
                       [](TBitmap24&) { return false; });
  EXPECT_EQ(again.cbxOutFormat->currentText().toStdString(), sized);
  EXPECT_EQ(again.cbxDimSize->currentText(), "5");

  {
    TfrmLUT2ICC dialog(nullptr, Dialogs);
    Dialogs.FileToOpen.push_back(Cube("look.cube"));
    dialog.btnSetLUTFile->click();
    dialog.cbxICCProfileClass->setCurrentIndex(1);
    dialog.cbxCaptureOneGamma->setChecked(true);
    dialog.btnConvert->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
  }
  TfrmLUT2ICC lutToIcc(nullptr, Dialogs);
  EXPECT_EQ(lutToIcc.cbxICCProfileClass->currentIndex(), 1);
  EXPECT_TRUE(lutToIcc.cbxCaptureOneGamma->isChecked());
  EXPECT_FALSE(lutToIcc.cbxGlobalUsage->isChecked());
}

}  // namespace
}  // namespace vorn::ui::test
