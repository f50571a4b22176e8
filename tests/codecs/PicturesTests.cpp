#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "codecs/Pictures.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::MakeGradient;
using test::PictureErrorOf;

TEST(Pictures, ExtensionsAreListedInDialogOrderAndMatchedIgnoringCase) {
  EXPECT_EQ(PictureExtensions(),
            (std::vector<std::string>{".bmp", ".jpg", ".jpeg", ".tif", ".tiff", ".png"}));
  EXPECT_TRUE(IsPictureExtension("/a/b.JPG"));
  EXPECT_TRUE(IsPictureExtension("x.TiFf"));
  EXPECT_TRUE(IsPictureExtension("x.png"));
  EXPECT_FALSE(IsPictureExtension("x.jp"));
  EXPECT_FALSE(IsPictureExtension("x."));
  EXPECT_FALSE(IsPictureExtension("bmp"));
  EXPECT_FALSE(IsPictureExtension("x.cube"));
}

TEST(Pictures, DecoderIsChosenByTheExtensionWhateverItsCase) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(6, 5);
  SaveBmp(dir.File("a.BMP"), original);
  SavePng(dir.File("a.Png"), original);
  SaveTiff(dir.File("a.TIF"), original);
  EXPECT_EQ(LoadPicture(dir.File("a.BMP")).Bitmap, original);
  EXPECT_EQ(LoadPicture(dir.File("a.Png")).Bitmap, original);
  EXPECT_EQ(LoadPicture(dir.File("a.TIF")).Bitmap, original);
  // The content of one type under another type's extension is that type's error.
  std::string message =
      PictureErrorOf([&] { DecodePicture("a.jpg", test::ReadFile(dir.File("a.BMP"))); });
  EXPECT_NE(message.find("JPEG: "), std::string::npos) << message;
}

TEST(Pictures, UnknownExtensionIsRefusedWithoutOpeningTheFile) {
  std::string message = PictureErrorOf([] { LoadPicture("/no/such/folder/picture.gif"); });
  EXPECT_EQ(message,
            "Cannot read picture \"/no/such/folder/picture.gif\": unknown picture type \".gif\"");
}

TEST(Pictures, MissingFileNamesTheFileAndTheSystemReason) {
  test::TempDir dir;
  std::string path = dir.File("missing.png");
  try {
    LoadPicture(path);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENOENT)), std::string::npos) << message;
  }
}

TEST(Pictures, SavingAnEmptyBitmapOrIntoAMissingFolderFails) {
  test::TempDir dir;
  std::string existing = dir.Write("keep.png", "old");
  std::string message = PictureErrorOf([&] { SavePng(existing, TBitmap24()); });
  EXPECT_NE(message.find(existing), std::string::npos);
  EXPECT_EQ(test::ReadFile(existing), "old");
  std::string missing = dir.File("no-folder/a.bmp");
  EXPECT_THROW(SaveBmp(missing, MakeGradient(2, 2)), EFileError);
  EXPECT_THROW(SaveTiff(dir.File("no-folder/a.tif"), MakeGradient(2, 2)), EFileError);
}

TEST(Pictures, SavingReplacesAnExistingFile) {
  test::TempDir dir;
  std::string path = dir.Write("a.tif", std::string(100000, 'z'));
  SaveTiff(path, MakeGradient(3, 3));
  EXPECT_EQ(LoadPicture(path).Bitmap, MakeGradient(3, 3));
}

// Random bytes, and random bytes behind each type's real signature, never crash a decoder.
TEST(Pictures, RandomDataRaisesPictureErrorsInEveryDecoder) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(20, 20);
  std::vector<std::pair<std::string, std::function<void(const std::string&)>>> savers{
      {"a.bmp", [&](const std::string& p) { SaveBmp(p, original); }},
      {"a.jpg", [&](const std::string& p) { SaveJpeg(p, original, 80, TChromaSubsampling::s420); }},
      {"a.tif", [&](const std::string& p) { SaveTiff(p, original); }},
      {"a.png", [&](const std::string& p) { SavePng(p, original); }}};
  std::mt19937 random(12345);
  for (const auto& [name, save] : savers) {
    std::string path = dir.File(name);
    save(path);
    std::string valid = test::ReadFile(path);
    for (int round = 0; round < 30; ++round) {
      std::string noise(1 + random() % 3000, '\0');
      for (char& c : noise) c = static_cast<char>(random());
      EXPECT_THROW(DecodePicture(name, noise), EPictureError) << name;
      std::string damaged =
          valid.substr(0, std::min<std::size_t>(valid.size(), 16 + round * 3)) + noise;
      try {
        DecodePicture(name, damaged);  // a lucky damage may still decode; it must not crash
      } catch (const EPictureError&) {
      }
    }
  }
}

}  // namespace
}  // namespace vorn
