// The preview picture: fitting into the preview box, loading pictures the tests write,
// and the graded picture following a new picture.

#include <QToolButton>

#include "codecs/Pictures.h"
#include "imaging/ImageResize2.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/PictureBox.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

TBitmap24 Pattern(int width, int height) {
  TBitmap24 bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* line = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      line[3 * x + 0] = static_cast<std::uint8_t>((x * 7 + y * 3) % 256);
      line[3 * x + 1] = static_cast<std::uint8_t>((x * x + y) % 256);
      line[3 * x + 2] = static_cast<std::uint8_t>((255 - y * 5) % 256);
    }
  }
  return bitmap;
}

TEST(FitPreviewImage, APictureSmallerThanTheBoxKeepsItsSizeAndItsPixels) {
  const TBitmap24 original = Pattern(100, 80);
  TBitmap24 fitted = original;
  TfrmMain::FitPreviewImage(fitted);
  EXPECT_EQ(fitted, original);  // Lanczos3 at the same size is the identity
}

TEST(FitPreviewImage, LargerPicturesShrinkToTheBoxKeepingTheirProportions) {
  TBitmap24 exact = Pattern(2100, 1690);
  TfrmMain::FitPreviewImage(exact);
  EXPECT_EQ(exact.Width(), 210);
  EXPECT_EQ(exact.Height(), 169);

  TBitmap24 wide = Pattern(1000, 500);
  TfrmMain::FitPreviewImage(wide);
  EXPECT_EQ(wide.Width(), 210);
  EXPECT_EQ(wide.Height(), 105);

  TBitmap24 tall = Pattern(300, 1000);
  TfrmMain::FitPreviewImage(tall);
  EXPECT_EQ(tall.Width(), 51);
  EXPECT_EQ(tall.Height(), 169);
}

TEST(FitPreviewImage, AFlatPictureStaysFlat) {
  TBitmap24 grey(840, 676);
  std::fill(grey.Data(), grey.Data() + grey.Stride() * grey.Height(), std::uint8_t{128});
  TfrmMain::FitPreviewImage(grey);
  ASSERT_EQ(grey.Width(), 210);
  for (std::size_t i = 0; i < grey.Stride() * grey.Height(); ++i) {
    ASSERT_EQ(grey.Data()[i], 128) << i;
  }
}

class TPreviewPictureTest : public TMainWindowTest {};

TEST_F(TPreviewPictureTest, ALoadedPictureIsFittedAndGradedAgain) {
  const std::string path = Temp.File("still.png");
  SavePng(path, Pattern(420, 338));
  Window->AddFiles({Cube("negative.cube", {}, true)});
  Window->SelectRow(0);

  Dialogs.PicturesToOpen.push_back(path);
  Window->btnLoadPreviewImage->click();

  EXPECT_NE(Dialogs.LastFilter.find("*.png"), std::string::npos);
  EXPECT_NE(Dialogs.LastFilter.find("*.jpg"), std::string::npos);
  EXPECT_EQ(Window->Folders().Pictures, Temp.Path());
  // Half the size on both axes fits the 210 x 169 box exactly.
  TBitmap24 expected;
  Stretch(210, 169, rfLanczos3, expected, Pattern(420, 338), 0.0f);
  ASSERT_EQ(Window->UngradedPicture(), expected);
  const TBitmap24& graded = Window->LutAppliedPicture();
  ASSERT_EQ(graded.Width(), 210);
  ASSERT_EQ(graded.Height(), 169);
  for (std::size_t i = 0; i < graded.Stride() * graded.Height(); i += 11) {
    ASSERT_EQ(graded.Data()[i], 255 - expected.Data()[i]) << i;
  }
  EXPECT_EQ(Window->imgUngraded->Image().size(), QSize(210, 169));

  Dialogs.PicturesToOpen.push_back("");
  Window->btnLoadPreviewImage->click();
  EXPECT_EQ(Dialogs.LastStartFolder, Temp.Path());
  EXPECT_EQ(Window->UngradedPicture(), expected);
}

TEST_F(TPreviewPictureTest, BmpAndJpegPicturesLoadToo) {
  const std::string bmp = Temp.File("small.bmp");
  SaveBmp(bmp, Pattern(64, 48));
  Dialogs.PicturesToOpen.push_back(bmp);
  Window->btnLoadPreviewImage->click();
  EXPECT_EQ(Window->UngradedPicture(), Pattern(64, 48));

  const std::string jpeg = Temp.File("large.jpg");
  SaveJpeg(jpeg, Pattern(1600, 1000), 90, TChromaSubsampling::s420);
  Dialogs.PicturesToOpen.push_back(jpeg);
  Window->btnLoadPreviewImage->click();
  EXPECT_EQ(Window->UngradedPicture().Width(), 210);
  EXPECT_EQ(Window->UngradedPicture().Height(), 131);
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

TEST_F(TPreviewPictureTest, APictureThatCannotBeDecodedIsReportedAndChangesNothing) {
  const TBitmap24 before = Window->UngradedPicture();
  const std::string broken = Temp.Write("broken.jpg", "not a JPEG at all");
  Dialogs.PicturesToOpen.push_back(broken);
  Window->btnLoadPreviewImage->click();

  const std::vector<std::string> errors = Messages(TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("broken.jpg"), std::string::npos) << errors[0];
  EXPECT_EQ(Window->UngradedPicture(), before);
}

}  // namespace
}  // namespace vorn::ui::test
