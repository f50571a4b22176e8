#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <vector>

#include "codecs/Pictures.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::MakeGradient;
using test::PictureErrorOf;
using test::PixelText;

// A PNG written with libpng itself; rows hold the bytes as the file stores them
// (16-bit samples big-endian).
struct TPngLayout {
  png_uint_32 Width = 1;
  png_uint_32 Height = 1;
  int BitDepth = 8;
  int ColourType = PNG_COLOR_TYPE_RGB;
  bool Interlaced = false;
  std::vector<png_color> Palette;
  std::vector<png_byte> Transparency;  // tRNS alpha per palette index
  std::vector<std::vector<png_byte>> Rows;
};

void AppendToString(png_structp png, png_bytep data, std::size_t size) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), size);
}

std::string WritePng(const TPngLayout& layout) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendToString, nullptr);
  png_set_IHDR(png, info, layout.Width, layout.Height, layout.BitDepth, layout.ColourType,
               layout.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!layout.Palette.empty())
    png_set_PLTE(png, info, layout.Palette.data(), static_cast<int>(layout.Palette.size()));
  if (!layout.Transparency.empty())
    png_set_tRNS(png, info, layout.Transparency.data(),
                 static_cast<int>(layout.Transparency.size()), nullptr);
  png_write_info(png, info);
  std::vector<std::vector<png_byte>> rows = layout.Rows;
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<png_byte> Big16(std::initializer_list<unsigned> values) {
  std::vector<png_byte> bytes;
  for (unsigned v : values)
    bytes.insert(bytes.end(), {static_cast<png_byte>(v >> 8), static_cast<png_byte>(v & 0xFF)});
  return bytes;
}

TEST(PngCodec, RoundTripIsExact) {
  test::TempDir dir;
  for (auto [width, height] : {std::pair{1, 1}, {13, 7}, {256, 3}}) {
    TBitmap24 original = MakeGradient(width, height);
    std::string path = dir.File("a.png");
    SavePng(path, original);
    TDecodedPicture decoded = LoadPicture(path);
    EXPECT_EQ(decoded.Bitmap, original) << width << " x " << height;
    EXPECT_EQ(decoded.BitsPerPixel, 24);
    EXPECT_EQ(decoded.BitsPerChannel, 8);
  }
}

TEST(PngCodec, WriterProducesEightBitRgbWithoutAlpha) {
  test::TempDir dir;
  std::string path = dir.File("a.png");
  SavePng(path, MakeGradient(5, 4));
  std::string data = test::ReadFile(path);
  ASSERT_GT(data.size(), 33u);
  EXPECT_EQ(data.substr(12, 4), "IHDR");
  EXPECT_EQ(data[24], 8);  // bit depth
  EXPECT_EQ(data[25], 2);  // colour type RGB
}

TEST(PngCodec, SixteenBitChannelsAreRoundedAndReported) {
  TPngLayout layout;
  layout.Width = 2;
  layout.BitDepth = 16;
  layout.Rows = {Big16({128, 129, 65535, 257 * 200, 0, 257 * 17 + 128})};
  TDecodedPicture decoded = DecodePicture("a.png", WritePng(layout));
  EXPECT_EQ(decoded.BitsPerChannel, 16);
  EXPECT_EQ(decoded.BitsPerPixel, 48);
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,1,0");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "17,0,200");

  layout.Interlaced = true;
  layout.Height = 3;
  layout.Rows = {Big16({0, 0, 0, 65535, 65535, 65535}), Big16({257, 514, 771, 0, 0, 0}),
                 Big16({128, 129, 130, 1, 2, 3})};
  decoded = DecodePicture("a.png", WritePng(layout));
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "255,255,255");
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 1), "3,2,1");
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 2), "1,1,0");
}

TEST(PngCodec, ReadsPaletteGreyAndLowDepthGrey) {
  TPngLayout palette;
  palette.Width = 3;
  palette.ColourType = PNG_COLOR_TYPE_PALETTE;
  palette.Palette = {{10, 20, 30}, {40, 50, 60}};
  palette.Transparency = {0, 128};  // ignored: the colours stay as stored
  palette.Rows = {{1, 0, 1}};
  TDecodedPicture decoded = DecodePicture("p.png", WritePng(palette));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "60,50,40");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "30,20,10");
  EXPECT_EQ(decoded.BitsPerChannel, 8);
  EXPECT_EQ(decoded.BitsPerPixel, 8);

  TPngLayout grey;
  grey.Width = 2;
  grey.ColourType = PNG_COLOR_TYPE_GRAY;
  grey.Rows = {{7, 250}};
  decoded = DecodePicture("g.png", WritePng(grey));
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "250,250,250");
  EXPECT_EQ(decoded.BitsPerPixel, 8);

  TPngLayout bilevel;
  bilevel.Width = 9;
  bilevel.BitDepth = 1;
  bilevel.ColourType = PNG_COLOR_TYPE_GRAY;
  bilevel.Rows = {{0x80, 0x80}};  // pixels 0 and 8 white
  decoded = DecodePicture("b.png", WritePng(bilevel));
  EXPECT_EQ(decoded.BitsPerChannel, 1);
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,255,255");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "0,0,0");
  EXPECT_EQ(PixelText(decoded.Bitmap, 8, 0), "255,255,255");
}

TEST(PngCodec, AlphaIsDroppedNotComposited) {
  TPngLayout rgba;
  rgba.Width = 1;
  rgba.ColourType = PNG_COLOR_TYPE_RGB_ALPHA;
  rgba.Rows = {{200, 100, 50, 0}};
  TDecodedPicture decoded = DecodePicture("a.png", WritePng(rgba));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "50,100,200");
  EXPECT_EQ(decoded.BitsPerPixel, 32);

  TPngLayout greyAlpha;
  greyAlpha.Width = 1;
  greyAlpha.BitDepth = 16;
  greyAlpha.ColourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  greyAlpha.Rows = {Big16({257 * 90, 0})};
  EXPECT_EQ(PixelText(DecodePicture("a.png", WritePng(greyAlpha)).Bitmap, 0, 0), "90,90,90");
}

TEST(PngCodec, TruncatedCorruptAndGarbageFilesRaisePictureErrors) {
  test::TempDir dir;
  std::string path = dir.File("t.png");
  SavePng(path, MakeGradient(50, 50));
  std::string data = test::ReadFile(path);
  for (std::size_t size : {0ul, 7ul, 8ul, 20ul, 40ul, data.size() / 2, data.size() - 20}) {
    std::string message = PictureErrorOf([&] { DecodePicture("/x/t.png", data.substr(0, size)); });
    EXPECT_EQ(message.rfind("Cannot read picture \"/x/t.png\": PNG: ", 0), 0u) << message;
  }
  std::string corrupt = data;
  corrupt[data.size() / 2] ^= 0x55;  // inside the image data: its CRC no longer matches
  EXPECT_THROW(DecodePicture("c.png", corrupt), EPictureError);
  EXPECT_NE(PictureErrorOf([] { DecodePicture("g.png", std::string(100, 'x')); }).find("not a PNG"),
            std::string::npos);
}

}  // namespace
}  // namespace vorn
