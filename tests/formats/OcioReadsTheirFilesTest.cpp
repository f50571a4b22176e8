// OpenColorIO as an independent reader of files made by other programs: the values we load
// must be the ones OpenColorIO evaluates from the same file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// The colour ociochecklut gives for an input colour, or nothing when it fails.
bool PeerColour(const std::string& path, const TRGB& in, TRGB& out) {
  const test::TProgramResult result =
      test::RunProgram({"ociochecklut", path, Number(in.R), Number(in.G), Number(in.B)});
  return result.Status == 0 &&
         std::sscanf(result.Out.c_str(), "%lf %lf %lf", &out.R, &out.G, &out.B) == 3;
}

// "LUT: 3 256 256": entries i take the inputs i / 255, where no interpolation is involved.
TEST(OcioReadsTheirFiles, ALustreTableWithAnOutputDepthReadsAsOpenColorIOReadsIt) {
  if (!test::HasProgram("ociochecklut")) GTEST_SKIP() << "ociochecklut is not installed";
  test::TempDir dir;
  std::vector<std::string> files = {
      dir.Write("made.lut", "LUT: 3 4 1024\n0\n100\n700\n1023\n5\n6\n7\n8\n1023\n512\n0\n9\n")};
  if (!test::CorpusDir().empty()) {
    files.push_back(test::CorpusDir() + "/ocio/logtolin_8to8.lut");
  }
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    TLUT lut;
    LoadLut(path, lut);
    ASSERT_EQ(lut.Kind, lk1D);
    const int top = lut.Size1D - 1;
    for (const int index : {0, 1, top / 3, top / 2, top - 1, top}) {
      const double x = static_cast<double>(index) / top;
      TRGB peer;
      ASSERT_TRUE(PeerColour(path, {x, x, x}, peer));
      const TRGB ours = lut.GetEntry(index);
      EXPECT_NEAR(ours.R, peer.R, 1e-5) << index;
      EXPECT_NEAR(ours.G, peer.G, 1e-5) << index;
      EXPECT_NEAR(ours.B, peer.B, 1e-5) << index;
    }
  }
}

}  // namespace
}  // namespace vorn
