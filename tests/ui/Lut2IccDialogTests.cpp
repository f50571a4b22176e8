// The LUT-to-ICC dialog in the real window: its start, the path and description rules,
// the Convert button's rule, the written profile and closing, and a LUT that cannot be read.

#include <lcms2.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "imaging/ICCLib.h"
#include "tests/support/TestLuts.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/DialogFilters.h"
#include "ui/LUT2ICCForm.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

class Lut2IccDialog : public ::testing::Test {
 protected:
  Lut2IccDialog() { Dialog.show(); }
  void TearDown() override { EXPECT_TRUE(Dialogs.Unanswered.empty()); }

  void PickLut(const std::string& path) {
    Dialogs.FileToOpen.push_back(path);
    Dialog.btnSetLUTFile->click();
  }
  std::string Lut(const std::string& name) {
    return Temp.Write(name, vorn::test::CubeTextOf(*vorn::test::MakeGradeLut(lk3D, 5)));
  }

  vorn::test::TempDir Temp;
  TScriptedDialogs Dialogs;
  TfrmLUT2ICC Dialog{nullptr, Dialogs};
};

TEST_F(Lut2IccDialog, OpensWithInputChosenAndTheDefaultCopyright) {
  EXPECT_EQ(Dialog.windowTitle(), "LUT to ICC Profile Conversion");
  EXPECT_EQ(Dialog.edtLUTFile->text(), "");
  EXPECT_TRUE(Dialog.edtLUTFile->isReadOnly());
  EXPECT_EQ(Dialog.btnSetLUTFile->toolTip(), "Select the LUT file to convert");
  EXPECT_FALSE(Dialog.edtDestProfile->isReadOnly()) << "a path may be typed or pasted";
  EXPECT_EQ(Dialog.btnOpenICCProfile->toolTip(), "Select the destination ICC profile file");
  ASSERT_EQ(Dialog.cbxICCProfileClass->count(), 3);
  EXPECT_EQ(Dialog.cbxICCProfileClass->itemText(0), "Display");
  EXPECT_EQ(Dialog.cbxICCProfileClass->itemText(2), "Device Link");
  EXPECT_EQ(Dialog.cbxICCProfileClass->currentText(), "Input");
  EXPECT_EQ(Dialog.edtDescription->text(), "");
  EXPECT_EQ(Dialog.edtCopyright->text(), "Copyright (c)");
  EXPECT_FALSE(Dialog.cbxCaptureOneGamma->isChecked());
  EXPECT_TRUE(Dialog.cbxGlobalUsage->isHidden());
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());
  EXPECT_EQ(Dialog.btnCancel->text(), "Close");
  EXPECT_EQ(Dialog.GammaTable()[1023], 65535);
}

TEST_F(Lut2IccDialog, PickingALutProposesTheProfileBesideItAndNamesTheDescription) {
  const std::string night = Lut("Night.cube");
  PickLut(night);
  EXPECT_EQ(Dialogs.LastFilter, kLutFileFilter);
  EXPECT_EQ(Dialog.edtLUTFile->text().toStdString(), night);
  EXPECT_EQ(Dialog.edtDestProfile->text().toStdString(), Temp.File("Night.icc"));
  EXPECT_EQ(Dialog.edtDescription->text(), "Night");
  EXPECT_TRUE(Dialog.btnConvert->isEnabled());

  Dialog.edtDescription->setText("my own words");
  PickLut(Lut("Day.look.cube"));
  EXPECT_EQ(Dialog.edtDestProfile->text().toStdString(), Temp.File("Night.icc"));
  EXPECT_EQ(Dialog.edtDescription->text(), "Day.look");

  Dialogs.FileToOpen.push_back("");  // cancelled: nothing changes
  Dialog.btnSetLUTFile->click();
  EXPECT_EQ(Dialog.edtDescription->text(), "Day.look");
}

TEST_F(Lut2IccDialog, ConvertNeedsAllFourTexts) {
  PickLut(Lut("Night.cube"));
  for (QLineEdit* edit : {Dialog.edtDescription, Dialog.edtCopyright}) {
    const QString kept = edit->text();
    edit->clear();
    EXPECT_FALSE(Dialog.btnConvert->isEnabled()) << edit->objectName().toStdString();
    edit->setText(kept);
    EXPECT_TRUE(Dialog.btnConvert->isEnabled());
  }
}

TEST_F(Lut2IccDialog, TheSavePickerAsksForAnIccFile) {
  Dialogs.FileToSave.push_back(Temp.File("chosen.icc"));
  Dialog.btnOpenICCProfile->click();
  EXPECT_EQ(Dialogs.LastDefaultExtension, "icc");
  EXPECT_EQ(Dialogs.LastFilter, "All Files|*.*|ICC Profile Files|*.icc");
  EXPECT_EQ(Dialog.edtDestProfile->text().toStdString(), Temp.File("chosen.icc"));
  PickLut(Lut("Night.cube"));
  EXPECT_EQ(Dialog.edtDestProfile->text().toStdString(), Temp.File("chosen.icc"));
}

TEST_F(Lut2IccDialog, ConvertWritesTheChosenClassAndCloses) {
  PickLut(Lut("Night.cube"));
  Dialog.cbxICCProfileClass->setCurrentText("Display");
  Dialog.edtCopyright->setText("Copyright (c) Vorn");
  Dialog.cbxCaptureOneGamma->setChecked(true);
  EXPECT_EQ(Dialog.Options().CaptureOneGamma, &Dialog.GammaTable());
  Dialog.btnConvert->click();
  EXPECT_EQ(Dialog.result(), QDialog::Accepted);
  const TProfileHandle profile(cmsOpenProfileFromFile(Temp.File("Night.icc").c_str(), "r"));
  ASSERT_TRUE(profile);
  EXPECT_EQ(cmsGetDeviceClass(profile.Native()), cmsSigDisplayClass);
  char text[64] = {};
  cmsGetProfileInfoASCII(profile.Native(), cmsInfoCopyright, "en", "US", text, sizeof text);
  EXPECT_EQ(std::string(text), "Copyright (c) Vorn");
}

TEST_F(Lut2IccDialog, AnExistingProfileIsReplacedOnlyAfterYes) {
  PickLut(Lut("Night.cube"));
  const std::string existing = Temp.Write("Night.icc", "keep");
  Dialogs.YesNoAnswers.push_back(false);
  Dialog.btnConvert->click();
  EXPECT_EQ(vorn::test::ReadFile(existing), "keep");
  EXPECT_TRUE(Dialog.isVisible());
  Dialogs.YesNoAnswers.push_back(true);
  Dialog.btnConvert->click();
  EXPECT_NE(vorn::test::ReadFile(existing), "keep");
  EXPECT_EQ(Dialogs.Texts(TKind::YesNo).size(), 2u);
}

TEST_F(Lut2IccDialog, ALutThatCannotBeReadShowsItsErrorAndWritesNothing) {
  const std::string words = Temp.Write("words.cube", "no lut here\n");
  PickLut(words);
  Dialog.btnConvert->click();
  EXPECT_EQ(Dialogs.Texts(TKind::Error),
            (std::vector<std::string>{"\"" + words + "\" is not a LUT file of any known format."}));
  EXPECT_FALSE(FileExists(Temp.File("words.icc")));
  EXPECT_TRUE(Dialog.isVisible());
}

TEST_F(TMainWindowTest, TheIccMenuOpensTheLutToIccDialog) {
  bool opened = false;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    opened = dynamic_cast<TfrmLUT2ICC*>(&shown) != nullptr;
    return false;
  });
  Window->miLUTToICC->trigger();
  EXPECT_TRUE(opened);
}

}  // namespace
}  // namespace vorn::ui::test
