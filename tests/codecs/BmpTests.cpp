#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "codecs/Pictures.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::MakeGradient;
using test::PictureErrorOf;
using test::PixelText;

void PutU16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

std::uint32_t U32At(const std::string& data, std::size_t offset) {
  auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(data[offset + i]));
  };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

// A BMP with a 40-byte information header; rows are given as the file stores them
// (already padded) and palette entries as blue, green, red.
struct TBmpLayout {
  int Width = 0;
  int Height = 0;  // negative: top-down
  int BitCount = 24;
  std::uint32_t Compression = 0;
  std::vector<std::array<std::uint8_t, 3>> Palette;
  std::vector<std::uint32_t> Masks;  // BI_BITFIELDS red, green, blue
  std::string Rows;
};

TBmpLayout BmpSpec(int width, int height, int bitCount, std::uint32_t compression = 0) {
  TBmpLayout layout;
  layout.Width = width;
  layout.Height = height;
  layout.BitCount = bitCount;
  layout.Compression = compression;
  return layout;
}

std::string MakeBmp(const TBmpLayout& layout) {
  std::string header;
  std::size_t extras = layout.Palette.size() * 4 + layout.Masks.size() * 4;
  std::size_t offset = 14 + 40 + extras;
  header += "BM";
  PutU32(header, static_cast<std::uint32_t>(offset + layout.Rows.size()));
  PutU32(header, 0);
  PutU32(header, static_cast<std::uint32_t>(offset));
  PutU32(header, 40);
  PutU32(header, static_cast<std::uint32_t>(layout.Width));
  PutU32(header, static_cast<std::uint32_t>(layout.Height));
  PutU16(header, 1);
  PutU16(header, static_cast<unsigned>(layout.BitCount));
  PutU32(header, layout.Compression);
  PutU32(header, static_cast<std::uint32_t>(layout.Rows.size()));
  PutU32(header, 2835);
  PutU32(header, 2835);
  PutU32(header, static_cast<std::uint32_t>(layout.Palette.size()));
  PutU32(header, 0);
  for (std::uint32_t mask : layout.Masks) PutU32(header, mask);
  for (const auto& colour : layout.Palette) {
    header.append(reinterpret_cast<const char*>(colour.data()), 3);
    header.push_back('\0');
  }
  return header + layout.Rows;
}

TDecodedPicture DecodeBmpData(const std::string& data) {
  return DecodePicture("x.bmp", data);
}

TEST(BmpCodec, RoundTripKeepsEveryPixelForAllRowPaddings) {
  test::TempDir dir;
  for (int width : {1, 2, 3, 4, 5, 17}) {
    TBitmap24 original = MakeGradient(width, 7);
    std::string path = dir.File("w" + std::to_string(width) + ".bmp");
    SaveBmp(path, original);
    TDecodedPicture decoded = LoadPicture(path);
    EXPECT_EQ(decoded.Bitmap, original) << "width " << width;
    EXPECT_EQ(decoded.BitsPerPixel, 24);
    EXPECT_EQ(decoded.BitsPerChannel, 8);
  }
}

TEST(BmpCodec, WriterStoresBottomUpUncompressed24BitRows) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(3, 2);  // 9 bytes per row, padded to 12
  std::string path = dir.File("a.bmp");
  SaveBmp(path, original);
  std::string data = test::ReadFile(path);
  ASSERT_EQ(data.size(), 54u + 2 * 12);
  EXPECT_EQ(data.substr(0, 2), "BM");
  EXPECT_EQ(U32At(data, 2), data.size());
  EXPECT_EQ(U32At(data, 10), 54u);
  EXPECT_EQ(U32At(data, 18), 3u);
  EXPECT_EQ(U32At(data, 22), 2u);  // positive height: bottom-up
  EXPECT_EQ(U32At(data, 28) & 0xFFFF, 24u);
  EXPECT_EQ(U32At(data, 30), 0u);  // BI_RGB
  // The first stored row is the bottom row of the picture.
  EXPECT_EQ(data.substr(54, 9),
            std::string(reinterpret_cast<const char*>(original.ScanLine(1)), 9));
  EXPECT_EQ(data.substr(54 + 12, 9),
            std::string(reinterpret_cast<const char*>(original.ScanLine(0)), 9));
}

TEST(BmpCodec, ReadsTopDownRowsInFileOrder) {
  TBmpLayout layout = BmpSpec(1, -2, 24);
  layout.Rows = std::string("\x01\x02\x03\x00", 4) + std::string("\x04\x05\x06\x00", 4);
  TDecodedPicture decoded = DecodeBmpData(MakeBmp(layout));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "1,2,3");
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 1), "4,5,6");
  layout.Height = 2;
  decoded = DecodeBmpData(MakeBmp(layout));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "4,5,6");
}

TEST(BmpCodec, ReadsPalettisedPicturesOf8And4And1Bits) {
  std::vector<std::array<std::uint8_t, 3>> palette{{0, 0, 0}, {10, 20, 30}, {40, 50, 60}};
  TBmpLayout eight = BmpSpec(3, 1, 8);
  eight.Palette = palette;
  eight.Rows = std::string("\x02\x01\x00\x00", 4);
  TDecodedPicture decoded = DecodeBmpData(MakeBmp(eight));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "40,50,60");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "10,20,30");
  EXPECT_EQ(decoded.BitsPerPixel, 8);

  TBmpLayout four = BmpSpec(3, 1, 4);
  four.Palette = palette;
  four.Rows = std::string("\x21\x00\x00\x00", 4);  // 2, 1, 0
  decoded = DecodeBmpData(MakeBmp(four));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "40,50,60");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "10,20,30");
  EXPECT_EQ(PixelText(decoded.Bitmap, 2, 0), "0,0,0");
  EXPECT_EQ(decoded.BitsPerPixel, 4);

  TBmpLayout one = BmpSpec(10, 1, 1);
  one.Palette = std::vector<std::array<std::uint8_t, 3>>{{0, 0, 0}, {255, 128, 1}};
  one.Rows = std::string("\x80\x40\x00\x00", 4);  // pixels 0 and 9 set
  decoded = DecodeBmpData(MakeBmp(one));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,128,1");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "0,0,0");
  EXPECT_EQ(PixelText(decoded.Bitmap, 9, 0), "255,128,1");
  EXPECT_EQ(decoded.BitsPerPixel, 1);
}

TEST(BmpCodec, IndexBeyondTheStoredPaletteIsBlack) {
  TBmpLayout layout = BmpSpec(1, 1, 8);
  layout.Palette = std::vector<std::array<std::uint8_t, 3>>{{9, 9, 9}};
  layout.Rows = std::string("\xC8\x00\x00\x00", 4);
  EXPECT_EQ(PixelText(DecodeBmpData(MakeBmp(layout)).Bitmap, 0, 0), "0,0,0");
}

TEST(BmpCodec, Reads32BitPixelsPlainAndWithBitfields) {
  TBmpLayout plain = BmpSpec(1, 1, 32);
  plain.Rows = std::string("\x01\x02\x03\xFF", 4);
  TDecodedPicture decoded = DecodeBmpData(MakeBmp(plain));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "1,2,3");
  EXPECT_EQ(decoded.BitsPerPixel, 32);

  // Red in the low byte, blue in the third: the masks decide.
  TBmpLayout fields = BmpSpec(1, 1, 32, 3);
  fields.Masks = std::vector<std::uint32_t>{0x000000FF, 0x0000FF00, 0x00FF0000};
  fields.Rows = std::string("\x01\x02\x03\x00", 4);
  EXPECT_EQ(PixelText(DecodeBmpData(MakeBmp(fields)).Bitmap, 0, 0), "3,2,1");

  fields.Masks = {0xF800, 0x07E0, 0x001F};
  EXPECT_NE(PictureErrorOf([&] { DecodeBmpData(MakeBmp(fields)); }).find("bit fields"),
            std::string::npos);
}

TEST(BmpCodec, RefusesWhatItDoesNotDecodeWithAClearMessage) {
  TBmpLayout rle = BmpSpec(1, 1, 8, 1);
  rle.Palette = std::vector<std::array<std::uint8_t, 3>>{{1, 2, 3}};
  rle.Rows = std::string("\x01\x00\x00\x01", 4);
  EXPECT_NE(PictureErrorOf([&] { DecodeBmpData(MakeBmp(rle)); }).find("RLE"), std::string::npos);

  TBmpLayout sixteen = BmpSpec(2, 1, 16);
  sixteen.Rows = std::string(4, '\0');
  EXPECT_NE(PictureErrorOf([&] { DecodeBmpData(MakeBmp(sixteen)); }).find("bit count 16"),
            std::string::npos);

  TBmpLayout jpeg = BmpSpec(2, 1, 24, 4);
  jpeg.Rows = std::string(8, '\0');
  EXPECT_NE(PictureErrorOf([&] { DecodeBmpData(MakeBmp(jpeg)); }).find("compression type 4"),
            std::string::npos);
}

TEST(BmpCodec, RefusesAbsurdDimensionsAndMissingPixelData) {
  TBmpLayout huge = BmpSpec(100000, 100000, 24);
  std::string message = PictureErrorOf([&] { DecodeBmpData(MakeBmp(huge)); });
  EXPECT_NE(message.find("illegal picture dimensions 100000 x 100000"), std::string::npos);

  TBmpLayout zero = BmpSpec(0, 5, 24);
  EXPECT_NE(PictureErrorOf([&] { DecodeBmpData(MakeBmp(zero)); }).find("illegal picture"),
            std::string::npos);

  // Plausible size, but the rows are not in the file.
  TBmpLayout shortRows = BmpSpec(4000, 3000, 24);
  shortRows.Rows = std::string(100, '\0');
  EXPECT_NE(PictureErrorOf([&] { DecodeBmpData(MakeBmp(shortRows)); }).find("truncated"),
            std::string::npos);
}

TEST(BmpCodec, TruncatedAndGarbageFilesRaisePictureErrors) {
  test::TempDir dir;
  std::string path = dir.File("g.bmp");
  SaveBmp(path, MakeGradient(9, 9));
  std::string data = test::ReadFile(path);
  for (std::size_t size : {0ul, 1ul, 2ul, 13ul, 17ul, 30ul, 53ul, 54ul, data.size() - 28})
    EXPECT_THROW(DecodeBmpData(data.substr(0, size)), EPictureError) << "size " << size;
  EXPECT_NE(PictureErrorOf([] { DecodeBmpData("PK\x03\x04 not a bitmap at all"); }).find("BM"),
            std::string::npos);
}

}  // namespace
}  // namespace vorn
