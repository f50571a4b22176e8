// "apply" from a JPEG into a JPEG goes in bands; what it writes and how it fails are those of
// the whole picture decoded, mapped and encoded.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "codecs/Pictures.h"
#include "core/VornLut.h"
#include "platform/Files.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/PictureFaults.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

std::string GradeCube(int nodes) {
  std::string text = "LUT_3D_SIZE " + std::to_string(nodes) + "\n";
  const double top = nodes - 1;
  for (int b = 0; b < nodes; ++b) {
    for (int g = 0; g < nodes; ++g) {
      for (int r = 0; r < nodes; ++r) {
        text += std::to_string(std::pow(r / top, 0.8)) + " " +
                std::to_string(0.05 + 0.9 * g / top) + " " +
                std::to_string(std::min(1.0, 1.2 * b / top)) + "\n";
      }
    }
  }
  return text;
}

std::string WholePictureBytes(const TempDir& dir, const std::string& lutPath,
                              const std::string& picturePath) {
  TLUT lut;
  LoadLut(lutPath, lut);
  TBitmap24 picture = LoadPicture(picturePath).Bitmap;
  lut.ApplyToBitmap(picture);
  const std::string path = dir.File("whole.jpg");
  SaveJpeg(path, picture, 95, TChromaSubsampling::None);
  return ReadWholeFile(path);
}

TEST(CliApplyJpeg, WritesTheBytesOfTheWholePicturePath) {
  TempDir dir;
  const std::string luts[] = {
      dir.Write("affine.cube", AffineCube()),
      dir.Write("grade.cube", GradeCube(17)),
      dir.Write("curve.cube", "LUT_1D_SIZE 4\n0 0 1\n0.5 0.2 0.6\n0.8 0.5 0.3\n1 1 0\n"),
  };
  const std::pair<int, int> sizes[] = {{1, 1}, {17, 9}, {2100, 130}};
  for (const auto& [width, height] : sizes) {
    const std::string picture = dir.File("picture.jpg");
    SaveJpeg(picture, TestPhotograph(width, height), 90, TChromaSubsampling::s420);
    for (const std::string& lut : luts) {
      SCOPED_TRACE(lut + " on " + std::to_string(width) + " x " + std::to_string(height));
      const std::string out = dir.File("out.JPG");
      const TCliResult result = RunCli({"apply", "--overwrite", lut, picture, out});
      ASSERT_EQ(result.Status, 0) << result.Err;
      EXPECT_EQ(ReadWholeFile(out), WholePictureBytes(dir, lut, picture));
    }
  }
}

TEST(CliApplyJpeg, ACutPictureLeavesTheOutputAsItWas) {
  TempDir dir;
  const std::string lut = dir.Write("affine.cube", AffineCube());
  const std::string whole = dir.File("whole.jpg");
  SaveJpeg(whole, TestPhotograph(900, 700), 95, TChromaSubsampling::None);
  const std::string cut = dir.Write("cut.jpg", ReadWholeFile(whole).substr(0, 150000));
  const std::string kept = dir.Write("kept.jpg", "not replaced");
  const std::string never = dir.File("never.jpg");
  for (const std::string& out : {kept, never}) {
    const TCliResult result = RunCli({"apply", "--overwrite", lut, cut, out});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Err.find(cut + ": Cannot read picture: JPEG: Premature end"),
              std::string::npos)
        << result.Err;
  }
  EXPECT_EQ(ReadWholeFile(kept), "not replaced");
  EXPECT_FALSE(FileExists(never));
}

}  // namespace
}  // namespace vorn::test
