// OpenColorIO as an independent reader of what the integer-coded writers put out:
// ociobakelut reads each file and bakes it into a Resolve cube of the same size, which must
// agree with the LUT we wrote within the coding's half code (plus the six decimals and the
// single precision of the baked cube).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "formats/FormatToolkit.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

bool HasOciobakelut() {
  return std::system("command -v ociobakelut >/dev/null 2>&1") == 0;
}

TEST(OcioPeer, ReadsOur3dlLustreAndPandoraFilesAsWeWroteThem) {
  if (!HasOciobakelut()) GTEST_SKIP() << "ociobakelut is not installed (scripts/install-deps.sh)";
  // OpenColorIO knows these files by extension: it reads .3dl files as 3dl whether they hold
  // a "3DMESH" header (Lustre) or not, and has no name for ".dd3" or the Lustre ".lut".
  // It does not read 3dl grids of 2 or 3 nodes: it wants a breakpoint line of more than three
  // numbers ("0 1023" is too short, "0 512 1023" reads as a node). Here the breakpoint line
  // is the size whatever its count, so those files are left out.
  struct TPeerCase {
    const char* Profile;
    const char* PeerName;
  };
  const TPeerCase cases[] = {
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "scratch.3dl"},
      {"3DL Fusion", "fusion.3dl"},
      {"Dolby DD3", "dolby.3dl"},
      {"Autodesk Lustre 3D", "lustre.3dl"},
      {"Pandora 3D, Apple 3D m3d", "pandora.m3d"},
      {"Technicolor 3D mga", "technicolor.mga"},
  };
  test::TempDir dir;
  auto baked = std::make_unique<TLUT>();
  for (const TPeerCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const int n = profile.DefaultSize;
    const auto source = test::NodeGradeGrid(n);
    const std::string ours = dir.File(c.PeerName);
    SaveLut(ours, *source, profile, -1);

    const std::string cube = dir.File(std::string(c.PeerName) + ".cube");
    const std::string command = "ociobakelut --lut '" + ours +
                                "' --format resolve_cube --cubesize " + std::to_string(n) + " '" +
                                cube + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    LoadLut(cube, *baked, IndexOfFormat("Cube 3D"));
    ASSERT_EQ(baked->Size3D, n);

    const double tolerance = 0.5 / (std::ldexp(1.0, profile.DefaultBits) - 1.0) + 1e-6;
    double largest = 0.0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          const double* want = source->Node(r, g, b);
          const double* got = baked->Node(r, g, b);
          for (int k = 0; k < 3; ++k) largest = std::max(largest, std::fabs(got[k] - want[k]));
        }
    EXPECT_LE(largest, tolerance);
  }
}

// A 3dl file does not state its depth. OpenColorIO takes it from the largest code; here it is
// estimated line by line, a jump of the codes to m times the top code so far adding Ceil(m) - 1
// bits. The two disagree on a grid whose first steps are large: 16-bit codes on 5 nodes jump
// from 0 to 9830 at once, 9.6 times the 10-bit top, and read as 19-bit codes (the estimate
// holds; the user sets the file's bits per color for such files). With the depth given they
// agree.
TEST(OcioPeer, A3dlDepthGivenByTheUserAgreesWhereTheEstimateDiffers) {
  if (!HasOciobakelut()) GTEST_SKIP() << "ociobakelut is not installed (scripts/install-deps.sh)";
  constexpr int n = 5;
  // 0.6 times the identity: the second line already holds code 9830 (0.15 at 16 bits).
  auto source = std::make_unique<TLUT>();
  source->Kind = lk3D;
  source->Size3D = n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) source->SetNode(r, g, b, {0.15 * r, 0.15 * g, 0.15 * b});
  test::TempDir dir;
  const std::string ours = dir.File("sixteen.3dl");
  SaveLut(ours, *source, ProfileNamed("3DL Fusion"), 16);
  const std::string cube = dir.File("sixteen.cube");
  const std::string command = "ociobakelut --lut '" + ours +
                              "' --format resolve_cube --cubesize 5 '" + cube + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  auto peer = std::make_unique<TLUT>();
  LoadLut(cube, *peer, IndexOfFormat("Cube 3D"));

  auto largestDifference = [&](int inputBits) {
    auto lut = std::make_unique<TLUT>();
    LoadLut(ours, *lut, -1, inputBits);
    double largest = 0.0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b)
          for (int k = 0; k < 3; ++k)
            largest = std::max(largest, std::fabs(lut->Node(r, g, b)[k] - peer->Node(r, g, b)[k]));
    return largest;
  };
  EXPECT_NEAR(largestDifference(-1), 0.6 - 39321.0 / 524287, 1e-6);
  EXPECT_LE(largestDifference(16), 1e-6);
}

}  // namespace
}  // namespace vorn
