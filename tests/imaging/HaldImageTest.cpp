// Hald images and the lookup picture: where each node lies, the identity values, which
// pictures count as Hald images, reading one back, saving by type, and the lookup picture
// of any LUT.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "codecs/Pictures.h"
#include "core/LUTFormat.h"
#include "imaging/HaldImage.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

struct TPixel {
  int Red;
  int Green;
  int Blue;
  bool operator==(const TPixel&) const = default;
};

TPixel PixelAt(const TBitmap24& picture, int x, int y) {
  const std::uint8_t* p = picture.ScanLine(y) + 3 * x;
  return {p[2], p[1], p[0]};
}

std::ostream& operator<<(std::ostream& out, const TPixel& p) {
  return out << "(" << p.Red << ", " << p.Green << ", " << p.Blue << ")";
}

// The 8-bit value of Hald node index k.
int HaldValue(int k) {
  return k * 255 / 31;
}

TEST(HaldImage, NodesLieRowByRowWithBlueFastest) {
  struct TCase {
    int X, Y;     // pixel
    int R, G, B;  // node it holds
  };
  const TCase cases[] = {
      {0, 0, 0, 0, 0},      {1, 0, 0, 0, 1},        {31, 0, 0, 0, 31}, {32, 0, 0, 1, 0},
      {181, 0, 0, 5, 21},   {0, 1, 0, 5, 22},       {0, 5, 0, 28, 14}, {7, 180, 31, 31, 31},
      {0, 180, 31, 31, 24}, {179, 179, 31, 31, 21},
  };
  const TBitmap24 hald = MakeHaldImage();
  ASSERT_EQ(hald.Width(), 182);
  ASSERT_EQ(hald.Height(), 182);
  for (const TCase& c : cases) {
    EXPECT_EQ(PixelAt(hald, c.X, c.Y), (TPixel{HaldValue(c.R), HaldValue(c.G), HaldValue(c.B)}))
        << "pixel " << c.X << ", " << c.Y;
  }
  // The pixels after the last node carry nothing: black.
  for (int x = 8; x < 182; ++x) EXPECT_EQ(PixelAt(hald, x, 180), (TPixel{0, 0, 0})) << x;
  for (int x = 0; x < 182; ++x) EXPECT_EQ(PixelAt(hald, x, 181), (TPixel{0, 0, 0})) << x;
}

TEST(HaldImage, IdentityValuesTruncate) {
  const int expected[][2] = {{0, 0}, {1, 8}, {2, 16}, {4, 32}, {5, 41}, {30, 246}, {31, 255}};
  const TBitmap24 hald = MakeHaldImage();
  for (const auto& [k, value] : expected) {
    EXPECT_EQ(HaldValue(k), value);
    EXPECT_EQ(PixelAt(hald, k, 0).Blue, value) << "node " << k;  // pixel k is node (0, 0, k)
  }
}

TEST(HaldImage, OnlyNamedAnd24Bit182PicturesAreHaldImages) {
  test::TempDir dir;
  const TBitmap24 hald = MakeHaldImage();
  SaveBmp(dir.File("hald.bmp"), hald);
  SaveBmp(dir.File("HALD.BMP"), hald);
  SaveTiff(dir.File("hald.tif"), hald);
  SaveTiff(dir.File("hald.TIFF"), hald);
  SaveJpeg(dir.File("hald.jpeg"), hald, 90, TChromaSubsampling::s420);
  SavePng(dir.File("hald.png"), hald);
  SaveBmp(dir.File("narrow.bmp"), TBitmap24(181, 182));
  SaveBmp(dir.File("hald.jp"), hald);
  SaveBmp(dir.File("hald."), hald);
  struct TCase {
    const char* Name;
    bool IsHald;
  };
  const TCase cases[] = {
      {"hald.bmp", true},  {"HALD.BMP", true},    {"hald.tif", true}, {"hald.jpeg", true},
      {"hald.png", false}, {"narrow.bmp", false}, {"hald.jp", false}, {"hald.", false},
  };
  for (const TCase& c : cases) EXPECT_EQ(IsHaldImageFile(dir.File(c.Name)), c.IsHald) << c.Name;
  // A name outside the list is not opened; one inside it is, and a broken picture says so.
  EXPECT_FALSE(IsHaldImageFile(dir.File("missing.png")));
  EXPECT_THROW(IsHaldImageFile(dir.File("missing.bmp")), Exception);
  EXPECT_THROW(IsHaldImageFile(dir.Write("broken.tif", "not a picture")), EPictureError);
}

TEST(HaldImage, APictureOfAnotherDepthIsNoHaldImage) {
  if (!test::HasProgram("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  test::TempDir dir;
  const std::string grey = dir.File("grey.jpg");
  const std::string rgba = dir.File("rgba.bmp");
  ASSERT_EQ(
      test::RunProgram({"convert", "-size", "182x182", "gradient:", "-colorspace", "Gray", grey})
          .Status,
      0);
  ASSERT_EQ(test::RunProgram({"convert", "-size", "182x182", "gradient:red-blue", "-alpha", "on",
                              "-define", "bmp:format=bmp4", rgba})
                .Status,
            0);
  EXPECT_FALSE(IsHaldImageFile(grey));
  EXPECT_FALSE(IsHaldImageFile(rgba));
  TLUT lut;
  EXPECT_THROW(ReadHaldImage(grey, lut), ELUTError);
}

TEST(HaldImage, ReadBackGivesTheIdentityGrid) {
  test::TempDir dir;
  const std::string path = dir.File("hald.bmp");
  SaveBmp(path, MakeHaldImage());
  auto lut = std::make_unique<TLUT>();
  lut->Comments = {"kept"};
  ReadHaldImage(path, *lut);
  EXPECT_EQ(lut->Kind, lk3D);
  EXPECT_EQ(lut->Size3D, 32);
  EXPECT_EQ(lut->Comments, std::vector<std::string>{"kept"});
  EXPECT_EQ(lut->GetNode(1, 5, 31), (TRGB{8 / 255.0, 41 / 255.0, 1.0}));
  for (int r = 0; r < 32; ++r)
    for (int g = 0; g < 32; ++g)
      for (int b = 0; b < 32; ++b)
        ASSERT_EQ(lut->GetNode(r, g, b),
                  (TRGB{HaldValue(r) / 255.0, HaldValue(g) / 255.0, HaldValue(b) / 255.0}));
}

TEST(HaldImage, AnyOtherPictureIsRefusedWhenReadWithoutDetection) {
  test::TempDir dir;
  const std::string path = dir.File("small.bmp");
  SaveBmp(path, TBitmap24(10, 182));
  TLUT lut;
  try {
    ReadHaldImage(path, lut);
    FAIL() << "a 10 x 182 picture was read";
  } catch (const ELUTError& error) {
    EXPECT_STREQ(error.what(),
                 "The picture is not a Hald image: a Hald image is a 24-bit picture of 182 x 182 "
                 "pixels, this one has 10 x 182 pixels of 24 bits.");
  }
}

TEST(HaldImage, SavedByTypeWithTheExtensionAddedOnlyWhenMissing) {
  struct TCase {
    const char* Name;
    THaldFileType Type;
    const char* Written;
  };
  const TCase cases[] = {
      {"a", THaldFileType::Bitmap, "a.bmp"},     {"b", THaldFileType::Jpeg, "b.jpg"},
      {"c", THaldFileType::Tiff, "c.tif"},       {"d.", THaldFileType::Tiff, "d.tif"},
      {"e.jpg", THaldFileType::Bitmap, "e.jpg"}, {"f.v2/g", THaldFileType::Jpeg, "f.v2/g.jpg"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(HaldImageFileName(c.Name, c.Type), c.Written) << c.Name;
  }
  test::TempDir dir;
  EXPECT_EQ(GenerateHaldImage(dir.File("h"), THaldFileType::Jpeg), dir.File("h.jpg"));
  const TDecodedPicture jpeg = LoadPicture(dir.File("h.jpg"));
  EXPECT_EQ(jpeg.BitsPerPixel, 24);
  EXPECT_TRUE(IsHaldImageFile(dir.File("h.jpg")));
  // Quality 100 without subsampling keeps every value within a few codes, even where the
  // picture jumps from one run of blue to the next.
  const TBitmap24 identity = MakeHaldImage();
  int largest = 0;
  for (std::size_t i = 0; i < identity.Stride() * 180; ++i) {
    largest = std::max(largest, std::abs(jpeg.Bitmap.Data()[i] - identity.Data()[i]));
  }
  EXPECT_LE(largest, 6);
}

TEST(LutImage, CornersAndTilesHoldTheirNodes) {
  struct TCase {
    int X, Y;
    TPixel Expected;
  };
  const TCase cases[] = {
      {0, 0, {0, 0, 0}},          {511, 511, {255, 255, 255}}, {63, 0, {255, 0, 0}},
      {0, 63, {0, 255, 0}},       {448, 448, {0, 0, 255}},     {64, 0, {0, 0, 4}},
      {0, 64, {0, 0, 32}},        {1, 0, {4, 0, 0}},           {32, 0, {130, 0, 0}},
      {127, 127, {255, 255, 36}},
  };
  const TBitmap24 picture = MakeLutImage();
  ASSERT_EQ(picture.Width(), 512);
  ASSERT_EQ(picture.Height(), 512);
  for (const TCase& c : cases) {
    EXPECT_EQ(PixelAt(picture, c.X, c.Y), c.Expected) << c.X << ", " << c.Y;
  }
}

TEST(LutImage, AnIdentityLutOfAnySizeWritesTheIdentityPicture) {
  test::TempDir dir;
  auto lut = std::make_unique<TLUT>();
  for (int size : {2, 17, 64}) {
    lut->Kind = lk3D;
    lut->Size3D = size;
    for (int r = 0; r < size; ++r)
      for (int g = 0; g < size; ++g)
        for (int b = 0; b < size; ++b)
          lut->SetNode(r, g, b, {r / (size - 1.0), g / (size - 1.0), b / (size - 1.0)});
    const std::string path = dir.File("obs" + std::to_string(size) + ".png");
    WriteLutImage(*lut, path);
    const TDecodedPicture written = LoadPicture(path);
    EXPECT_EQ(written.BitsPerPixel, 24);
    EXPECT_TRUE(written.Bitmap == MakeLutImage()) << size << " nodes";
  }
}

TEST(LutImage, TheLutIsSampledAtThePictureValues) {
  test::TempDir dir;
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk1D;
  lut->Size1D = 2;
  lut->SetEntry(0, {1.0, 0.5, 0.0});
  lut->SetEntry(1, {0.0, 0.5, 1.0});  // red inverted, green flat, blue kept
  const std::string path = dir.File("no-extension-added");
  WriteLutImage(*lut, path);
  const TBitmap24 picture = DecodePicture("x.png", test::ReadFile(path)).Bitmap;
  EXPECT_EQ(PixelAt(picture, 63, 0), (TPixel{0, 128, 0}));
  EXPECT_EQ(PixelAt(picture, 448, 448), (TPixel{255, 128, 255}));
}

}  // namespace
}  // namespace vorn
