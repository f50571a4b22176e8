// "Generate the Hald image": the save dialog's choices carry over between uses, the chosen
// type decides the file written and its missing extension, and an existing file is
// replaced only when the user agrees.

#include <QToolButton>

#include "codecs/Pictures.h"
#include "imaging/HaldImage.h"
#include "tests/ui/UiTestSupport.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

constexpr int kBitmapFile = 0;
constexpr int kJpegFile = 1;
constexpr int kTiffFile = 2;

class THaldButtonTest : public TMainWindowTest {
 protected:
  void Generate(const std::string& path, int filterIndex) {
    Dialogs.SaveAnswers.push_back({path, filterIndex});
    Window->sbnHaldImage->click();
  }
  void Cancel() {
    Dialogs.SaveAnswers.push_back({"", 0});
    Window->sbnHaldImage->click();
  }
  // The file decoded as the type of typeName's extension; it must be the identity picture.
  void ExpectHaldImage(const std::string& path, const std::string& typeName = "x.tif") {
    const TDecodedPicture picture = DecodePicture(typeName, vorn::test::ReadFile(path));
    EXPECT_EQ(picture.BitsPerPixel, 24) << path;
    EXPECT_EQ(picture.Bitmap, MakeHaldImage()) << path;
  }
};

TEST_F(THaldButtonTest, TheDialogStartsWithTiffAndRemembersFolderNameAndType) {
  Cancel();
  EXPECT_EQ(Dialogs.LastTitle, kHaldSaveTitle);
  EXPECT_EQ(Dialogs.LastFilter, "Bitmap File|*.bmp|Jpeg File|*.jpg|Tiff File|*.tif");
  EXPECT_EQ(Dialogs.LastFileName, "HaldImage");
  EXPECT_EQ(Dialogs.LastFilterIndex, kTiffFile);
  EXPECT_EQ(Dialogs.LastStartFolder, "");
  EXPECT_TRUE(Messages(TKind::Error).empty());

  Generate(Temp.File("graded"), kBitmapFile);
  Cancel();
  EXPECT_EQ(Dialogs.LastStartFolder, Temp.Path());
  EXPECT_EQ(Dialogs.LastFileName, "graded");
  EXPECT_EQ(Dialogs.LastFilterIndex, kBitmapFile);
}

TEST_F(THaldButtonTest, TheChosenTypeIsWrittenAndNamesWithoutExtensionGetIts) {
  struct TCase {
    const char* Typed;
    int Filter;
    const char* Written;
    const char* Signature;  // the first bytes of the file
  };
  const TCase cases[] = {
      {"a", kBitmapFile, "a.bmp", "BM"},
      {"b", kJpegFile, "b.jpg", "\xFF\xD8"},
      {"c", kTiffFile, "c.tif", "II"},
      // The type chosen wins over the extension typed.
      {"d.jpg", kBitmapFile, "d.jpg", "BM"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    Generate(Temp.File(c.Typed), c.Filter);
    const std::string written = Temp.File(c.Written);
    ASSERT_TRUE(FileExists(written));
    EXPECT_EQ(vorn::test::ReadFile(written).substr(0, 2), c.Signature);
    // A JPEG holds the picture only approximately; the others exactly.
    if (c.Filter == kBitmapFile) ExpectHaldImage(written, "x.bmp");
    if (c.Filter == kTiffFile) ExpectHaldImage(written);
  }
  EXPECT_FALSE(FileExists(Temp.File("a")));
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

TEST_F(THaldButtonTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
  const std::string existing = Temp.Write("hald.tif", "keep me");
  // No: the dialog opens again, and cancelling there leaves the file alone.
  Dialogs.YesNoAnswers.push_back(false);
  Dialogs.SaveAnswers.push_back({Temp.File("hald"), kTiffFile});
  Cancel();
  EXPECT_EQ(vorn::test::ReadFile(existing), "keep me");
  EXPECT_EQ(Messages(TKind::YesNo),
            std::vector<std::string>{"hald.tif already exists.\nDo you want to replace it?"});
  EXPECT_TRUE(Dialogs.SaveAnswers.empty());

  Dialogs.YesNoAnswers.push_back(true);
  Generate(Temp.File("hald.tif"), kTiffFile);
  ExpectHaldImage(existing);
}

TEST_F(THaldButtonTest, AWriteFailureIsShownInTheErrorBox) {
  Generate(Temp.File("missing/folder/hald"), kTiffFile);
  const std::vector<std::string> errors = Messages(TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("hald.tif"), std::string::npos) << errors[0];
}

}  // namespace
}  // namespace vorn::ui::test
