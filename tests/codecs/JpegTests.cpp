#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "codecs/Pictures.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::MakeGradient;
using test::MaxDifference;
using test::PictureErrorOf;

// Writes a grey or CMYK JPEG with libjpeg directly, for colour spaces the program's
// encoder does not produce. Each pixel repeats value (grey) or the four inks (CMYK).
std::string WriteJpegWithLibjpeg(int width, int height, J_COLOR_SPACE space,
                                 std::vector<std::uint8_t> pixel, bool adobeMarker = true) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = static_cast<int>(pixel.size());
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  info.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row;
  for (int x = 0; x < width; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
  JSAMPROW rows[1] = {row.data()};
  while (info.next_scanline < info.image_height) jpeg_write_scanlines(&info, rows, 1);
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string data(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return data;
}

std::string SavedJpeg(const test::TempDir& dir, const TBitmap24& bitmap, int quality,
                      TChromaSubsampling subsampling) {
  std::string path = dir.File("p" + std::to_string(quality) + ".jpg");
  SaveJpeg(path, bitmap, quality, subsampling);
  return path;
}

TEST(JpegCodec, RoundTripIsCloseForEverySubsampling) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(64, 48);
  for (auto subsampling :
       {TChromaSubsampling::s420, TChromaSubsampling::s422, TChromaSubsampling::None}) {
    std::string path = SavedJpeg(dir, original, 95, subsampling);
    TDecodedPicture decoded = LoadPicture(path);
    EXPECT_EQ(decoded.BitsPerChannel, 8);
    EXPECT_EQ(decoded.BitsPerPixel, 24);
    int difference = MaxDifference(decoded.Bitmap, original);
    EXPECT_GE(difference, 0);
    EXPECT_LE(difference, 12) << static_cast<int>(subsampling);
  }
  // Quality 100 without subsampling, as Hald images are saved, is nearly lossless.
  TDecodedPicture best = LoadPicture(SavedJpeg(dir, original, 100, TChromaSubsampling::None));
  EXPECT_LE(MaxDifference(best.Bitmap, original), 3);
}

// Sampling factors of the components, read back from the file with libjpeg.
std::vector<int> SamplingFactors(const std::string& path) {
  std::string data = test::ReadFile(path);
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  jpeg_read_header(&info, TRUE);
  std::vector<int> factors;
  for (int i = 0; i < info.num_components; ++i) {
    factors.push_back(info.comp_info[i].h_samp_factor);
    factors.push_back(info.comp_info[i].v_samp_factor);
  }
  jpeg_destroy_decompress(&info);
  return factors;
}

TEST(JpegCodec, WriterUsesTheChosenChromaSubsampling) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(16, 16);
  std::string path = dir.File("s.jpg");
  SaveJpeg(path, original, 90, TChromaSubsampling::s420);
  EXPECT_EQ(SamplingFactors(path), (std::vector<int>{2, 2, 1, 1, 1, 1}));
  SaveJpeg(path, original, 90, TChromaSubsampling::s422);
  EXPECT_EQ(SamplingFactors(path), (std::vector<int>{2, 1, 1, 1, 1, 1}));
  SaveJpeg(path, original, 90, TChromaSubsampling::None);
  EXPECT_EQ(SamplingFactors(path), (std::vector<int>{1, 1, 1, 1, 1, 1}));
}

TEST(JpegCodec, LowerQualityGivesSmallerFilesAndOutOfRangeQualityIsClamped) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(128, 128);
  auto sizeAt = [&](int quality) {
    return std::filesystem::file_size(SavedJpeg(dir, original, quality, TChromaSubsampling::s420));
  };
  EXPECT_LT(sizeAt(10), sizeAt(90));
  EXPECT_EQ(sizeAt(150), sizeAt(100));
  EXPECT_EQ(sizeAt(-5), sizeAt(0));
}

TEST(JpegCodec, GreyPicturesBecomeRgbAndReportEightBitsPerPixel) {
  test::TempDir dir;
  std::string path = dir.Write("grey.jpg", WriteJpegWithLibjpeg(16, 8, JCS_GRAYSCALE, {200}));
  TDecodedPicture decoded = LoadPicture(path);
  EXPECT_EQ(decoded.BitsPerPixel, 8);
  EXPECT_EQ(decoded.BitsPerChannel, 8);
  ASSERT_EQ(decoded.Bitmap.Width(), 16);
  const std::uint8_t* pixel = decoded.Bitmap.ScanLine(3) + 3 * 5;
  EXPECT_NEAR(pixel[0], 200, 1);
  EXPECT_EQ(pixel[0], pixel[1]);
  EXPECT_EQ(pixel[1], pixel[2]);
}

TEST(JpegCodec, CmykPicturesAreConvertedToRgb) {
  test::TempDir dir;
  auto centre = [](const TDecodedPicture& decoded) {
    EXPECT_EQ(decoded.BitsPerPixel, 32);
    return test::PixelText(decoded.Bitmap, 4, 4);
  };
  // Full cyan, no other ink: red goes, green and blue stay. With an Adobe marker the inks
  // are stored inverted, as Adobe's programs write them.
  std::string adobe =
      dir.Write("adobe.jpg", WriteJpegWithLibjpeg(8, 8, JCS_CMYK, {0, 255, 255, 255}));
  EXPECT_EQ(centre(LoadPicture(adobe)), "255,255,0");
  std::string plain =
      dir.Write("plain.jpg", WriteJpegWithLibjpeg(8, 8, JCS_CMYK, {255, 0, 0, 0}, false));
  EXPECT_EQ(centre(LoadPicture(plain)), "255,255,0");
  // Half black on white paper.
  std::string grey = dir.Write("k.jpg", WriteJpegWithLibjpeg(8, 8, JCS_CMYK, {255, 255, 255, 127}));
  EXPECT_EQ(centre(LoadPicture(grey)), "127,127,127");
}

TEST(JpegCodec, PreviewDecodesAtAReducedScaleOnlyWhileTwiceTheFittedSize) {
  test::TempDir dir;
  std::string path = SavedJpeg(dir, MakeGradient(800, 600), 90, TChromaSubsampling::s420);
  // Fitted into 100 x 100 the picture is 100 x 75: 1/4 gives 200 x 150, 1/8 would be too small.
  TDecodedPicture preview = LoadPictureForPreview(path, 100, 100);
  EXPECT_EQ(preview.Bitmap.Width(), 200);
  EXPECT_EQ(preview.Bitmap.Height(), 150);
  preview = LoadPictureForPreview(path, 300, 300);  // fitted 300 x 225: no reduction fits
  EXPECT_EQ(preview.Bitmap.Width(), 800);
  preview = LoadPictureForPreview(path, 50, 50);  // fitted 50 x 38: 1/8
  EXPECT_EQ(preview.Bitmap.Width(), 100);
  preview = LoadPictureForPreview(path, 0, 0);
  EXPECT_EQ(preview.Bitmap.Width(), 800);
  EXPECT_EQ(LoadPicture(path).Bitmap.Width(), 800);
}

TEST(JpegCodec, PreviewOfOtherTypesIsTheFullPicture) {
  test::TempDir dir;
  std::string path = dir.File("p.bmp");
  TBitmap24 original = MakeGradient(80, 60);
  SaveBmp(path, original);
  EXPECT_EQ(LoadPictureForPreview(path, 10, 10).Bitmap, original);
}

TEST(JpegCodec, TruncatedAndGarbageFilesRaisePictureErrors) {
  test::TempDir dir;
  std::string data =
      test::ReadFile(SavedJpeg(dir, MakeGradient(64, 64), 90, TChromaSubsampling::s420));
  for (std::size_t size : {0ul, 1ul, 2ul, 3ul, 20ul, 200ul, data.size() / 2, data.size() - 10}) {
    std::string message = PictureErrorOf([&] { DecodePicture("/x/a.jpg", data.substr(0, size)); });
    EXPECT_EQ(message.rfind("Cannot read picture \"/x/a.jpg\": JPEG: ", 0), 0u) << message;
  }
  std::string garbage(5000, '\x5A');
  EXPECT_NE(PictureErrorOf([&] { DecodePicture("a.jpeg", garbage); }).find("Not a JPEG file"),
            std::string::npos);
  // A valid start followed by noise.
  std::string noisy = data.substr(0, 300) + std::string(3000, '\xFF');
  EXPECT_THROW(DecodePicture("a.jpg", noisy), EPictureError);
}

TEST(JpegCodec, EncoderFailureLeavesAnExistingFileAsItWas) {
  test::TempDir dir;
  std::string path = dir.Write("keep.jpg", "old content");
  TBitmap24 tooWide(70000, 1);  // beyond JPEG's 65500 pixels
  std::string message =
      PictureErrorOf([&] { SaveJpeg(path, tooWide, 90, TChromaSubsampling::None); });
  EXPECT_NE(message.find(path), std::string::npos);
  EXPECT_EQ(test::ReadFile(path), "old content");
}

TEST(JpegCodec, DecodesTheCorpusPicture) {
  std::string corpus = test::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "corpus folder not found";
  std::string path = corpus + "/ocio/rgb-cmy.jpg";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " not found";
  TDecodedPicture decoded = LoadPicture(path);
  ASSERT_EQ(decoded.Bitmap.Width(), 256);
  ASSERT_EQ(decoded.Bitmap.Height(), 256);
  EXPECT_EQ(decoded.BitsPerChannel, 8);
  EXPECT_EQ(decoded.BitsPerPixel, 24);
  auto near = [&](int x, int y, int blue, int green, int red) {
    const std::uint8_t* p = decoded.Bitmap.ScanLine(y) + 3 * x;
    return std::abs(p[0] - blue) <= 6 && std::abs(p[1] - green) <= 6 && std::abs(p[2] - red) <= 6;
  };
  EXPECT_TRUE(near(10, 10, 255, 255, 255)) << test::PixelText(decoded.Bitmap, 10, 10);
  EXPECT_TRUE(near(128, 128, 0, 0, 0)) << test::PixelText(decoded.Bitmap, 128, 128);
  EXPECT_TRUE(near(128, 245, 255, 247, 11)) << test::PixelText(decoded.Bitmap, 128, 245);
}

}  // namespace
}  // namespace vorn
