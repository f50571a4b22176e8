// Every picture writer's file read by the picture libraries' own tools (ImageMagick's
// identify, libtiff's tiffinfo, libjpeg's djpeg, pngcheck) and by our decoders: the size,
// 8 bits per channel in three channels, no compression where none is asked for, and the
// JPEG quality and chroma subsampling chosen.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "codecs/Pictures.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

constexpr int kWidth = 37;  // odd sizes: rows need padding, chroma blocks are partial
constexpr int kHeight = 23;

TBitmap24 TestPicture() {
  TBitmap24 picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < kWidth; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(7 * x);
      p[1] = static_cast<std::uint8_t>(11 * y);
      p[2] = static_cast<std::uint8_t>(3 * (x + y));
    }
  }
  return picture;
}

// The tool's standard output; a failing tool fails the test.
std::string ToolOutput(const std::vector<std::string>& argv) {
  const test::TProgramResult result = test::RunProgram(argv);
  EXPECT_EQ(result.Status, 0) << argv[0] << " " << argv.back();
  return result.Out;
}

bool HasTools(std::initializer_list<const char*> tools, std::string& missing) {
  for (const char* tool : tools) {
    if (!test::HasProgram(tool)) missing += std::string(tool) + " ";
  }
  return missing.empty();
}

#define SKIP_WITHOUT(...)                                       \
  if (std::string missing; !HasTools({__VA_ARGS__}, missing)) { \
    GTEST_SKIP() << "not installed: " << missing;               \
  }

std::string Identify(const std::string& path, const char* format) {
  return ToolOutput({"identify", "-format", format, path});
}

void ExpectDecodedAs24Bit(const std::string& path) {
  const TDecodedPicture picture = LoadPicture(path);
  EXPECT_EQ(picture.BitsPerPixel, 24) << path;
  EXPECT_EQ(picture.Bitmap.Width(), kWidth) << path;
  EXPECT_EQ(picture.Bitmap.Height(), kHeight) << path;
}

const char* kIdentifyFormat = "%m %w %h %z %[channels] %C %[type]";

TEST(PictureWriters, BmpIsUncompressed24Bit) {
  SKIP_WITHOUT("identify");
  test::TempDir dir;
  const std::string path = dir.File("w.bmp");
  SaveBmp(path, TestPicture());
  EXPECT_EQ(Identify(path, kIdentifyFormat), "BMP3 37 23 8 srgb None TrueColor");
  ExpectDecodedAs24Bit(path);
  EXPECT_EQ(LoadPicture(path).Bitmap, TestPicture());
}

TEST(PictureWriters, PngIs24BitRgbWithoutAlpha) {
  SKIP_WITHOUT("pngcheck", "identify");
  test::TempDir dir;
  const std::string path = dir.File("w.png");
  SavePng(path, TestPicture());
  const std::string check = ToolOutput({"pngcheck", "-v", path});
  EXPECT_NE(check.find("37 x 23 image, 24-bit RGB, non-interlaced"), std::string::npos) << check;
  EXPECT_NE(check.find("No errors detected"), std::string::npos) << check;
  EXPECT_EQ(Identify(path, kIdentifyFormat), "PNG 37 23 8 srgb Zip TrueColor");
  EXPECT_EQ(LoadPicture(path).Bitmap, TestPicture());
}

TEST(PictureWriters, TiffIsUncompressed8BitRgb) {
  SKIP_WITHOUT("tiffinfo");
  test::TempDir dir;
  const std::string path = dir.File("w.tif");
  SaveTiff(path, TestPicture());
  const std::string info = ToolOutput({"tiffinfo", path});
  for (const char* line : {"Image Width: 37 Image Length: 23", "Bits/Sample: 8",
                           "Compression Scheme: None", "Photometric Interpretation: RGB color",
                           "Samples/Pixel: 3", "Planar Configuration: single image plane"}) {
    EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
  }
  EXPECT_EQ(info.find("Extra Samples"), std::string::npos) << info;
  EXPECT_EQ(LoadPicture(path).Bitmap, TestPicture());
}

TEST(PictureWriters, JpegHasTheQualityAndSubsamplingAsked) {
  SKIP_WITHOUT("identify", "djpeg");
  struct TCase {
    int Quality;
    TChromaSubsampling Subsampling;
    const char* Factors;
  };
  const TCase cases[] = {
      {100, TChromaSubsampling::None, "1x1,1x1,1x1"}, {95, TChromaSubsampling::None, "1x1,1x1,1x1"},
      {90, TChromaSubsampling::s422, "2x1,1x1,1x1"},  {75, TChromaSubsampling::s420, "2x2,1x1,1x1"},
      {10, TChromaSubsampling::s420, "2x2,1x1,1x1"},
  };
  test::TempDir dir;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Quality);
    const std::string path = dir.File(std::to_string(c.Quality).append(".jpg"));
    SaveJpeg(path, TestPicture(), c.Quality, c.Subsampling);
    std::string expected = "JPEG 37 23 8 srgb ";
    expected.append(c.Factors).append(" ").append(std::to_string(c.Quality));
    EXPECT_EQ(Identify(path, "%m %w %h %z %[channels] %[jpeg:sampling-factor] %Q"), expected);
    ExpectDecodedAs24Bit(path);
    const std::string decoded = ToolOutput({"djpeg", "-pnm", path});
    EXPECT_EQ(decoded.substr(0, 13), "P6\n37 23\n255\n");
    EXPECT_EQ(decoded.size(), 13u + 3 * kWidth * kHeight);
  }
}

}  // namespace
}  // namespace vorn
