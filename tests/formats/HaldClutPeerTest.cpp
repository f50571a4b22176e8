// ImageMagick (-hald-clut) and FFmpeg (haldclut, interpolating trilinearly as we do) as
// independent readers of the Hald CLUTs we write: each applies our picture to a test
// photograph, which must agree with what 'vorn-lut apply' does (the LUT read back,
// ApplyToBitmap) within one 8-bit code. A peer that is not installed is skipped
// (scripts/install-deps.sh installs both).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "codecs/Pictures.h"
#include "formats/FormatToolkit.h"
#include "tests/support/PictureFaults.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

int LargestCodeDifference(const TBitmap24& a, const TBitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return 256;
  int largest = 0;
  const std::size_t bytes = a.Stride() * static_cast<std::size_t>(a.Height());
  for (std::size_t i = 0; i < bytes; ++i)
    largest = std::max(largest, std::abs(a.Data()[i] - b.Data()[i]));
  return largest;
}

struct TPeer {
  const char* Program;
  // The command that maps photo through hald into out.
  std::vector<std::string> (*Command)(const std::string& photo, const std::string& hald,
                                      const std::string& out);
};

std::vector<std::string> ImageMagick(const std::string& photo, const std::string& hald,
                                     const std::string& out) {
  return {"convert", photo, hald, "-hald-clut", "-depth", "8", out};
}

std::vector<std::string> FFmpeg(const std::string& photo, const std::string& hald,
                                const std::string& out) {
  return {"ffmpeg",
          "-v",
          "error",
          "-y",
          "-i",
          photo,
          "-i",
          hald,
          "-filter_complex",
          "[0:v][1:v]haldclut=interp=trilinear",
          "-frames:v",
          "1",
          "-pix_fmt",
          "rgb24",
          out};
}

TEST(HaldClutPeers, ApplyOurHaldClutAsWeDo) {
  test::TempDir dir;
  const std::string photo = dir.File("photo.png");
  SavePng(photo, test::TestPhotograph(160, 120));
  const TPeer peers[] = {{"convert", ImageMagick}, {"ffmpeg", FFmpeg}};
  int ran = 0;
  for (const int size : {16, 64}) {
    const std::string hald = dir.File("hald" + std::to_string(size) + ".png");
    SaveLut(hald, *test::NodeGradeGrid(size), test::ProfileNamed("Hald CLUT"), 8);
    auto lut = std::make_unique<TLUT>();
    LoadLut(hald, *lut);
    TBitmap24 ours = LoadPicture(photo).Bitmap;
    lut->ApplyToBitmap(ours);
    for (const TPeer& peer : peers) {
      if (!test::HasProgram(peer.Program)) continue;
      SCOPED_TRACE(std::string(peer.Program) + ", " + std::to_string(size) + " nodes");
      const std::string out = dir.File(std::string(peer.Program) + ".png");
      ASSERT_EQ(test::RunProgram(peer.Command(photo, hald, out)).Status, 0);
      EXPECT_LE(LargestCodeDifference(LoadPicture(out).Bitmap, ours), 1);
      ++ran;
    }
  }
  if (ran == 0) GTEST_SKIP() << "neither ImageMagick's convert nor ffmpeg is installed";
}

}  // namespace
}  // namespace vorn
