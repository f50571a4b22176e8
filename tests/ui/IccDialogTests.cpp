// The ICC-to-LUT dialog in the real window: its start, the profile pick and what each class
// shows, the preview, inversion and its warning, the output rules, Convert and the keys.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "core/LUTFormat.h"
#include "imaging/IccToLut.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/LutJoinForm.h"
#include "ui/PictureBox.h"
#include "ui/PictureConvert.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;
using vorn::test::TTestProfile;

// The first output profile for which test answers true, or null.
const TLutOutputProfile* FindOutput(
    const std::function<bool(const TLutOutputProfile&, const TLUTFormat&)>& test) {
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    if (format != nullptr && test(*profile, *format)) return profile.get();
  }
  return nullptr;
}

const TLutOutputProfile* SizedGrid() {
  return FindOutput(
      [](const TLutOutputProfile& p, const TLUTFormat& f) { return f.Is3D && p.SizeSelectable; });
}

std::vector<std::string> Items(const QComboBox& box) {
  std::vector<std::string> items;
  for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i).toStdString());
  return items;
}

// A small picture of distinct colours.
TBitmap24 TestPicture() {
  TBitmap24 picture(6, 4);
  for (std::size_t i = 0; i < 6 * 4 * 3; ++i)
    picture.Data()[i] = static_cast<std::uint8_t>(i * 37 % 256);
  return picture;
}

class IccDialog : public ::testing::Test {
 protected:
  IccDialog() { Dialog.show(); }
  void TearDown() override {
    EXPECT_TRUE(Dialogs.Unanswered.empty()) << Dialogs.Unanswered.front();
  }

  std::string Profile(const char* name, TTestProfile kind) {
    return vorn::test::WriteTestProfile(Temp.Path(), name, kind);
  }
  void Pick(const std::string& path) {
    Dialogs.FileToOpen.push_back(path);
    Dialog.btnOpenICCProfile->click();
  }
  void Choose(const TLutOutputProfile& output) {
    Dialog.cbxOutFormat->setCurrentIndex(
        Dialog.cbxOutFormat->findText(QString::fromStdString(output.Name)));
  }
  // The preview LittleCMS gives for the chain.
  QImage ExpectedPreview(const std::string& icc, bool invert) {
    TBitmap24 picture = Dialog.TestPicture();
    PreviewTransform(*BuildIccChain(icc, "", invert).Transform, picture);
    return ToQImage(picture);
  }
  std::vector<std::string> Texts(TKind kind) const { return Dialogs.Texts(kind); }

  vorn::test::TempDir Temp;
  TScriptedDialogs Dialogs;
  TRememberedFolders Folders;
  int Loads = 0;
  TfrmICCConvert Dialog{nullptr, Dialogs, Folders, TestPicture(), [this](TBitmap24& picture) {
                          ++Loads;
                          picture = TBitmap24(3, 3);
                          return true;
                        }};
};

TEST_F(IccDialog, OpensWithEveryOutputAndOnlyTheProfileControlsActive) {
  EXPECT_EQ(Dialog.windowTitle(), "ICC Profile to LUT Conversion");
  EXPECT_EQ(Dialog.edtSrcProfile->text(), "");
  EXPECT_FALSE(Dialog.edtSrcProfile->isReadOnly()) << "a path may be typed or pasted";
  EXPECT_EQ(Dialog.lblICCType->text(), "");
  EXPECT_EQ(Dialog.btnOpenICCProfile->toolTip(), "Select the ICC profile to convert");
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{Dialog.lblSecondProfile, Dialog.edtSecondProfile,
                                       Dialog.btnOpenSecondProfile, Dialog.cbxInvertTransform}) {
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  }
  EXPECT_EQ(Dialog.edtSecondProfile->text(), "sRGB (Default)");
  // every profile, with the 3D and 1D headers
  EXPECT_EQ(Dialog.cbxOutFormat->count(), static_cast<int>(OutputProfiles().size()) + 2);
  EXPECT_EQ(Dialog.cbxOutFormat->currentIndex(), -1);
  EXPECT_FALSE(Dialog.edtLUTFile->isEnabled());
  EXPECT_FALSE(Dialog.btnSetLUTFile->isEnabled());
  EXPECT_EQ(Dialog.btnSetLUTFile->toolTip(), "Select the destination LUT file name");
  EXPECT_FALSE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(Dialog.cbxDimSize->currentText(), "Default");
  EXPECT_FALSE(Dialog.cbxBits->isEnabled());
  EXPECT_EQ(Dialog.cbxBits->currentText(), "Default");
  EXPECT_EQ(Dialog.cbxBits->count(), 6);
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());
  EXPECT_EQ(Dialog.btnCancel->text(), "Close");
  EXPECT_EQ(Dialog.Image1->toolTip(), "The test image, click to load another image");
  EXPECT_EQ(Dialog.Image1->Image(), ToQImage(TestPicture()));
  EXPECT_TRUE(Dialog.Image2->Image().isNull());
}

TEST_F(IccDialog, EachClassShowsItsTypeItsSecondProfileControlsAndItsPreview) {
  const struct {
    TTestProfile Kind;
    const char* Type;
    bool Second;
    const char* SecondLabel;
  } cases[] = {
      {TTestProfile::Display, "Profile Type: Display Device Profile", true, "Input Color Space"},
      {TTestProfile::Output, "Profile Type: Output Device Profile", true, "Input Color Space"},
      {TTestProfile::Input, "Profile Type: Input Device Profile", true, "Output Color Space"},
      {TTestProfile::DeviceLink, "Profile Type: Device Link Profile", false, nullptr},
  };
  for (const auto& c : cases) {
    const std::string path = Profile("profile.icc", c.Kind);
    Pick(path);
    EXPECT_EQ(Dialog.edtSrcProfile->text().toStdString(), path);
    EXPECT_EQ(Dialog.lblICCType->text(), c.Type);
    EXPECT_EQ(Dialog.edtSecondProfile->isHidden(), !c.Second) << c.Type;
    EXPECT_EQ(Dialog.cbxInvertTransform->isHidden(), !c.Second) << c.Type;
    if (c.Second) {
      EXPECT_EQ(Dialog.lblSecondProfile->text(), c.SecondLabel);
    }
    EXPECT_EQ(Dialog.Image2->Image(), ExpectedPreview(path, false)) << c.Type;
    EXPECT_EQ(Dialog.Image2->toolTip(), "The test image with ICC colors transformation");
  }
  EXPECT_TRUE(Texts(TKind::Error).empty());
  EXPECT_EQ(Folders.Icc, Temp.Path() + "/");
  EXPECT_EQ(Dialogs.LastFilter, "ICC Profiles|*.icc;*icm|All Files|*.*");
  EXPECT_EQ(Dialogs.LastStartFolder, Temp.Path() + "/")
      << "the next pick starts where the last was";
}

TEST_F(IccDialog, AProfileWithoutATransformSaysSoAndPreviewsNothing) {
  Pick(Profile("display.icc", TTestProfile::Display));
  Pick(Profile("abstract.icc", TTestProfile::Abstract));
  EXPECT_EQ(Dialog.lblICCType->text(), "Profile Type: Abstract Profile");
  EXPECT_TRUE(Dialog.edtSecondProfile->isHidden());
  EXPECT_TRUE(Dialog.Image2->Image().isNull());
  EXPECT_EQ(Texts(TKind::Error), (std::vector<std::string>{NoTransformMessage(kClassAbstract)}));
}

TEST_F(IccDialog, AFileThatIsNoProfileKeepsTheTypeItShowedBefore) {
  Pick(Profile("display.icc", TTestProfile::Display));
  const std::string text = Temp.Write("notes.icc", std::string(200, 'n'));
  Pick(text);
  EXPECT_EQ(Dialog.edtSrcProfile->text().toStdString(), text);
  EXPECT_EQ(Dialog.lblICCType->text(), "Profile Type: Display Device Profile");
  ASSERT_EQ(Texts(TKind::Error).size(), 1u);
  EXPECT_NE(Texts(TKind::Error)[0].find(text), std::string::npos);
}

TEST_F(IccDialog, InvertingPreviewsTheOtherDirectionOrWarnsAndUnchecks) {
  const std::string display = Profile("display.icc", TTestProfile::Display);
  Pick(display);
  Dialog.cbxInvertTransform->setChecked(true);
  EXPECT_EQ(Dialog.Image2->Image(), ExpectedPreview(display, true));
  Dialog.cbxInvertTransform->setChecked(false);
  EXPECT_EQ(Dialog.Image2->Image(), ExpectedPreview(display, false));

  const std::string forwardOnly = Profile("forward.icc", TTestProfile::InputForwardOnly);
  Pick(forwardOnly);
  Dialog.cbxInvertTransform->setChecked(true);
  EXPECT_FALSE(Dialog.cbxInvertTransform->isChecked());
  EXPECT_EQ(Texts(TKind::Warning), (std::vector<std::string>{kInversionImpossible}));
  EXPECT_EQ(Dialog.Image2->Image(), ExpectedPreview(forwardOnly, false));
  EXPECT_TRUE(Texts(TKind::Error).empty());

  Dialog.cbxInvertTransform->setChecked(true);  // a new pick starts uninverted
  Pick(display);
  EXPECT_FALSE(Dialog.cbxInvertTransform->isChecked());
}

TEST_F(IccDialog, ASecondProfileReplacesSRGB) {
  const std::string display = Profile("display.icc", TTestProfile::Display);
  const std::string second = Profile("second.icc", TTestProfile::DisplayV4);
  Pick(display);
  Dialogs.FileToOpen.push_back(second);
  Dialog.btnOpenSecondProfile->click();
  EXPECT_EQ(Dialog.edtSecondProfile->text().toStdString(), second);
  TBitmap24 picture = Dialog.TestPicture();
  PreviewTransform(*BuildIccChain(display, second, false).Transform, picture);
  EXPECT_EQ(Dialog.Image2->Image(), ToQImage(picture));
}

TEST_F(IccDialog, ClickingTheTestPictureLoadsAnotherAndPreviewsAgain) {
  QTest::mouseClick(Dialog.Image1, Qt::LeftButton);
  EXPECT_EQ(Loads, 1);
  EXPECT_EQ(Dialog.Image1->Image().width(), 3);
  EXPECT_TRUE(Dialog.Image2->Image().isNull()) << "no profile yet: nothing to preview";
  Pick(Profile("display.icc", TTestProfile::Display));
  QTest::mouseClick(Dialog.Image1, Qt::LeftButton);
  EXPECT_EQ(Loads, 2);
  EXPECT_EQ(Dialog.Image2->Image().width(), 3);
}

TEST_F(IccDialog, TheOutputChoiceProposesAPathAndSetsTheSizeAndBitControls) {
  const TLutOutputProfile* sized = SizedGrid();
  const TLutOutputProfile* fixed = FindOutput([&](const TLutOutputProfile& p, const TLUTFormat&) {
    return !p.SizeSelectable && p.Extension != sized->Extension;
  });
  ASSERT_NE(sized, nullptr);
  Choose(*sized);
  EXPECT_TRUE(Dialog.edtLUTFile->isEnabled());
  EXPECT_EQ(Dialog.edtLUTFile->text(), "") << "no profile yet";
  EXPECT_FALSE(Dialog.btnConvert->isEnabled());
  EXPECT_TRUE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(Items(*Dialog.cbxDimSize),
            (std::vector<std::string>{"Default", "17", "32", "33", "64"}));
  EXPECT_EQ(Dialog.cbxBits->isEnabled(), sized->BitsSelectable);

  const std::string display = Profile("display.icc", TTestProfile::Display);
  Pick(display);
  EXPECT_EQ(Dialog.edtLUTFile->text().toStdString(), Temp.Path() + "/display." + sized->Extension);
  EXPECT_TRUE(Dialog.btnConvert->isEnabled());
  if (fixed != nullptr) {
    Dialog.cbxDimSize->setEditText("33");
    Choose(*fixed);
    EXPECT_EQ(Dialog.edtLUTFile->text().toStdString(),
              Temp.Path() + "/display." + fixed->Extension);
    EXPECT_FALSE(Dialog.cbxDimSize->isEnabled());
    EXPECT_EQ(Dialog.cbxDimSize->currentText(), "Default");
  }
}

TEST_F(IccDialog, TheSavePickerFiltersByTheOutputAndRemembersItsFolder) {
  const TLutOutputProfile* sized = SizedGrid();
  Choose(*sized);
  Folders.Output = "/start/here";
  Dialogs.FileToSave.push_back(Temp.File("chosen." + sized->Extension));
  Dialog.btnSetLUTFile->click();
  EXPECT_EQ(Dialogs.LastStartFolder, "/start/here");
  EXPECT_EQ(Dialogs.LastFilter, sized->Name + "|*." + sized->Extension);
  EXPECT_EQ(Dialogs.LastDefaultExtension, sized->Extension);
  EXPECT_EQ(Dialog.edtLUTFile->text().toStdString(), Temp.File("chosen." + sized->Extension));
  EXPECT_EQ(Folders.Output, Temp.Path());
  Pick(Profile("display.icc", TTestProfile::Display));
  EXPECT_EQ(Dialog.edtLUTFile->text().toStdString(), Temp.File("chosen." + sized->Extension))
      << "a chosen path is not replaced by the proposal";
}

TEST_F(IccDialog, ConvertWritesTheSampledLutAndLeavesTheDialogOpen) {
  const TLutOutputProfile* sized = SizedGrid();
  const std::string display = Profile("display.icc", TTestProfile::Display);
  Choose(*sized);
  Pick(display);
  Dialog.cbxDimSize->setEditText("5");
  Dialog.btnConvert->click();
  const std::string out = Temp.File("display." + sized->Extension);
  auto written = std::make_unique<TLUT>();
  LoadLut(out, *written, -1);
  ASSERT_EQ(written->Size3D, 5);
  auto expected = std::make_unique<TLUT>();
  SampleTransform(*BuildIccChain(display, "", false).Transform, true, 5, *expected);
  EXPECT_NEAR(written->GetNode(4, 2, 1).G, expected->GetNode(4, 2, 1).G, 1e-6);
  EXPECT_EQ(Texts(TKind::Information),
            (std::vector<std::string>{"The LUT file " + out + " has been written."}));
  EXPECT_TRUE(Dialog.isVisible());

  // The proposed path now exists: it is replaced only after the user says yes.
  Dialogs.YesNoAnswers.push_back(false);
  const std::string before = vorn::test::ReadFile(out);
  Dialog.cbxDimSize->setEditText("3");
  Dialog.btnConvert->click();
  EXPECT_EQ(Texts(TKind::YesNo),
            (std::vector<std::string>{"The file " + out + " already exists. Overwrite it?"}));
  EXPECT_EQ(vorn::test::ReadFile(out), before);

  Dialog.cbxDimSize->setEditText("1");
  Dialogs.YesNoAnswers.push_back(true);
  Dialog.btnConvert->click();
  EXPECT_EQ(Texts(TKind::Error), (std::vector<std::string>{kSizeTooSmall}));
  EXPECT_EQ(vorn::test::ReadFile(out), before);
  Dialogs.YesNoAnswers.clear();
}

TEST_F(IccDialog, TheSizeBoxTakesAtMostFiveDigits) {
  Choose(*SizedGrid());
  QLineEdit* edit = Dialog.cbxDimSize->lineEdit();
  QTest::keyClicks(edit, "a1x23456");
  EXPECT_EQ(Dialog.cbxDimSize->currentText(), "12345");
  Dialog.cbxDimSize->setEditText("Default");
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(Dialog.cbxDimSize->currentText(), "");
  Dialog.cbxDimSize->setEditText("Default");
  QTest::keyClicks(edit, "7");
  EXPECT_EQ(Dialog.cbxDimSize->currentText(), "7");
}

// An ignored key travels up to the dialog and ends unaccepted; a swallowed one never
// reaches a handler that could ignore it.
TEST_F(IccDialog, EveryToolDialogSwallowsTheAltKey) {
  TfrmLUT2ICC lutToIcc(nullptr, Dialogs);
  TfrmJoinLut join(nullptr, Dialogs, Folders, {"/a.cube"});
  auto delivered = [](QWidget* control, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    return !press.isAccepted();
  };
  for (QWidget* control : std::initializer_list<QWidget*>{
           Dialog.cbxOutFormat, Dialog.cbxDimSize->lineEdit(), Dialog.btnConvert,
           lutToIcc.edtDescription, lutToIcc.cbxICCProfileClass, join.lbxFiles, join.cbxBits}) {
    EXPECT_TRUE(delivered(control, Qt::Key_Shift)) << control->objectName().toStdString();
    EXPECT_FALSE(delivered(control, Qt::Key_Alt)) << control->objectName().toStdString();
  }
}

TEST_F(TMainWindowTest, TheIccMenuOpensTheIccDialogWithThePreviewPicture) {
  bool opened = false;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmICCConvert&>(shown);
    EXPECT_EQ(dialog.TestPicture(), Window->UngradedPicture());
    opened = true;
    return false;
  });
  Window->miICCToLUT->trigger();
  EXPECT_TRUE(opened);
}

}  // namespace
}  // namespace vorn::ui::test
