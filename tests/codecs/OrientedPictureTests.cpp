// Pictures stored turned, by a TIFF Orientation tag or a JPEG's Exif block, come upright.
// (Damaged pictures and headers the file cannot fill: tests/cli/DamagedPictureCommandTests.)

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "codecs/Pictures.h"
#include "tests/support/PictureFaults.h"

namespace vorn {
namespace {

// Four flat quarters: where each stored corner lands tells the orientation apart.
TBitmap24 Quarters(int width, int height) {
  TBitmap24 bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
      const bool right = x >= width / 2;
      const bool bottom = y >= height / 2;
      p[0] = bottom ? 240 : 16;  // blue: bottom half
      p[1] = right ? 240 : 16;   // green: right half
      p[2] = 128;
    }
  return bitmap;
}

enum TCorner { TopLeft, TopRight, BottomLeft, BottomRight };

// The corner a pixel near a corner of the upright picture came from, by its colour.
TCorner StoredCornerAt(const TBitmap24& upright, TCorner corner) {
  const int x = corner == TopRight || corner == BottomRight ? upright.Width() - 2 : 1;
  const int y = corner == BottomLeft || corner == BottomRight ? upright.Height() - 2 : 1;
  const std::uint8_t* p = upright.ScanLine(y) + 3 * x;
  const bool bottom = p[0] > 128;
  const bool right = p[1] > 128;
  return bottom ? (right ? BottomRight : BottomLeft) : (right ? TopRight : TopLeft);
}

// Where the stored top-left, top-right and bottom-left corners are seen, by the TIFF and
// Exif definitions of the Orientation values 1 to 8.
constexpr std::array<std::array<TCorner, 3>, 8> kSeenAt = {{
    {TopLeft, TopRight, BottomLeft},
    {TopRight, TopLeft, BottomRight},
    {BottomRight, BottomLeft, TopRight},
    {BottomLeft, BottomRight, TopLeft},
    {TopLeft, BottomLeft, TopRight},
    {TopRight, BottomRight, TopLeft},
    {BottomRight, TopRight, BottomLeft},
    {BottomLeft, TopLeft, BottomRight},
}};

TEST(OrientedPictures, TiffAndJpegComeUprightForEveryOrientation) {
  constexpr int kWidth = 48;
  constexpr int kHeight = 32;
  const TBitmap24 stored = Quarters(kWidth, kHeight);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const std::pair<const char*, std::string> pictures[] = {
        {"turned.tif", test::TiffWithOrientation(stored, orientation)},
        {"turned.jpg", test::JpegWithOrientation(stored, orientation)},
    };
    for (const auto& [name, data] : pictures) {
      SCOPED_TRACE(std::string(name) + " orientation " + std::to_string(orientation));
      const TBitmap24 upright = DecodePicture(name, data).Bitmap;
      const bool swapped = orientation >= 5;
      EXPECT_EQ(upright.Width(), swapped ? kHeight : kWidth);
      EXPECT_EQ(upright.Height(), swapped ? kWidth : kHeight);
      const TPictureHeader header = ReadPictureHeader(name, data);
      EXPECT_EQ(header.Width, upright.Width());
      EXPECT_EQ(header.Height, upright.Height());
      const auto& seen = kSeenAt[orientation - 1];
      EXPECT_EQ(StoredCornerAt(upright, seen[0]), TopLeft);
      EXPECT_EQ(StoredCornerAt(upright, seen[1]), TopRight);
      EXPECT_EQ(StoredCornerAt(upright, seen[2]), BottomLeft);
    }
  }
}

}  // namespace
}  // namespace vorn
