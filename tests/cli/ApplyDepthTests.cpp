// "apply" keeps 16 bits per channel: a 16-bit PNG or TIFF written as PNG or TIFF holds the
// grade evaluated at full precision, checked pixel by pixel and by ImageMagick; JPEG, BMP
// and --fit go through 8 bits.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codecs/Pictures.h"
#include "core/VornLut.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

// Red runs through all 65536 codes (row after row), green down them, blue across in steps.
TPicture48 DeepGradient() {
  TPicture48 picture{256, 256, {}};
  for (int code = 0; code < 65536; ++code) {
    const auto red = static_cast<std::uint16_t>(code);
    picture.Rgb.insert(picture.Rgb.end(), {red, static_cast<std::uint16_t>(65535 - code),
                                           static_cast<std::uint16_t>((code % 256) * 257)});
  }
  return picture;
}

std::string WriteDeepPicture(const TempDir& dir, const std::string& name) {
  const std::string path = dir.File(name);
  if (name.ends_with(".png"))
    SavePng48(path, DeepGradient());
  else
    SaveTiff48(path, DeepGradient());
  return path;
}

// The largest distance, in 16-bit codes, between a written pixel and the LUT's value at the
// source pixel; -1 when the sizes differ.
double WorstDistance(const TPicture48& written, const TPicture48& source, const TLUT& lut) {
  if (written.Width != source.Width || written.Height != source.Height) return -1;
  double worst = 0;
  for (std::size_t i = 0; i < source.Rgb.size(); i += 3) {
    const TRGB expected = lut.Evaluate(
        {source.Rgb[i] / 65535.0, source.Rgb[i + 1] / 65535.0, source.Rgb[i + 2] / 65535.0});
    const double channels[3] = {expected.R, expected.G, expected.B};
    for (int c = 0; c < 3; ++c)
      worst = std::max(worst, std::fabs(std::clamp(channels[c], 0.0, 1.0) * 65535.0 -
                                        written.Rgb[i + static_cast<std::size_t>(c)]));
  }
  return worst;
}

TEST(CliApplyDepth, SixteenBitPicturesKeepTheirDepthWhereTheOutputCanHoldIt) {
  struct Case {
    const char* Input;
    const char* Output;
    std::vector<std::string> Options;
    int WrittenBits;
  };
  const std::vector<Case> cases = {
      {"deep.png", "out.png", {}, 16},
      {"deep.tif", "out.tif", {}, 16},
      {"deep.png", "out.tiff", {}, 16},
      {"deep.tif", "out.png", {}, 16},
      {"deep.png", "out.jpg", {}, 8},
      {"deep.tif", "out.bmp", {}, 8},
      {"deep.png", "fit.png", {"--fit", "300", "300"}, 8},
  };
  TempDir dir;
  const std::unique_ptr<TLUT> grade = MakeGradeLut(lk3D, 17);
  const std::string lutPath = dir.Write("grade.cube", CubeTextOf(*grade));
  TLUT lut;
  LoadLut(lutPath, lut);
  const TPicture48 source = DeepGradient();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Input) + " -> " + c.Output);
    const std::string input = WriteDeepPicture(dir, c.Input);
    std::vector<std::string> args = {"apply", "--overwrite"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {lutPath, input, dir.File(c.Output)});
    const TCliResult result = RunCli(args);
    ASSERT_EQ(result.Status, 0) << result.Err;
    const std::string written = ReadFile(dir.File(c.Output));
    EXPECT_EQ(DecodePicture(c.Output, written).BitsPerChannel, c.WrittenBits);
    if (c.WrittenBits == 16) {
      EXPECT_LE(WorstDistance(DecodePicture48(c.Output, written), source, lut), 0.5);
    }
  }
}

// An 8-bit PNG or TIFF is mapped at 8 bits, as the preview maps it.
TEST(CliApplyDepth, EightBitPicturesStayEightBit) {
  TempDir dir;
  const std::unique_ptr<TLUT> grade = MakeGradeLut(lk3D, 17);
  const std::string lutPath = dir.Write("grade.cube", CubeTextOf(*grade));
  TLUT lut;
  LoadLut(lutPath, lut);
  TBitmap24 source(64, 48);
  for (std::size_t i = 0; i < source.Stride() * 48; ++i)
    source.Data()[i] = static_cast<std::uint8_t>(i * 7 % 256);
  TBitmap24 expected = source;
  lut.ApplyToBitmap(expected);
  for (const char* name : {"in.png", "in.tif"}) {
    SCOPED_TRACE(name);
    const std::string input = dir.File(name);
    if (std::string(name).ends_with(".png"))
      SavePng(input, source);
    else
      SaveTiff(input, source);
    const std::string output = dir.File(std::string("out-") + name);
    ASSERT_EQ(RunCli({"apply", lutPath, input, output}).Status, 0);
    const TDecodedPicture written = LoadPicture(output);
    EXPECT_EQ(written.BitsPerChannel, 8);
    EXPECT_TRUE(written.Bitmap == expected);
  }
}

// The same output read by ImageMagick: 16 bits deep, with our pixels.
TEST(CliApplyDepth, ImageMagickReadsTheSixteenBitOutputAsWritten) {
  if (!HasProgram("convert") || !HasProgram("identify"))
    GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string lutPath = dir.Write("grade.cube", CubeTextOf(*MakeGradeLut(lk1DAnd3D, 9)));
  for (const char* name : {"out.png", "out.tif"}) {
    SCOPED_TRACE(name);
    const std::string input = WriteDeepPicture(dir, name[4] == 'p' ? "in.tif" : "in.png");
    const std::string output = dir.File(name);
    ASSERT_EQ(RunCli({"apply", "--overwrite", lutPath, input, output}).Status, 0);
    EXPECT_EQ(RunProgram({"identify", "-format", "%z", output}).Out, "16");
    const std::string raw =
        RunProgram({"convert", output, "-depth", "16", "-endian", "MSB", "rgb:-"}).Out;
    const TPicture48 ours = DecodePicture48(output, ReadFile(output));
    ASSERT_EQ(raw.size(), 2 * ours.Rgb.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < ours.Rgb.size(); ++i) {
      const unsigned theirs =
          static_cast<unsigned char>(raw[2 * i]) << 8 | static_cast<unsigned char>(raw[2 * i + 1]);
      differing += theirs != ours.Rgb[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u);
  }
}

}  // namespace
}  // namespace vorn::test
