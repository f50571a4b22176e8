// OpenColorIO as an independent reader of what our 1D and look writers produce: each file
// is baked by ociobakelut into a Resolve cube, which must agree with the file as our reader
// loads it (and so with the source, within the coding). A 1D table bakes to a 1D table whose
// inputs are i / (size - 1); a grid bakes to a grid at the same nodes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

struct TBaked {
  int Status = -1;
  int Size1D = 0;
  int Size3D = 0;
  std::vector<TRGB> Values;  // in file order (a grid: red fastest)
};

TBaked Bake(const std::string& path, int cubeSize) {
  const test::TProgramResult result =
      test::RunProgram({"ociobakelut", "--lut", path, "--format", "resolve_cube", "--cubesize",
                        std::to_string(cubeSize), "--stdout"});
  TBaked baked;
  baked.Status = result.Status;
  TTextFile text;
  text.SetText(result.Out);
  for (std::size_t i = 0; i < text.Count(); ++i) {
    const std::string_view line = Trim(text[i]);
    if (line.starts_with("LUT_1D_SIZE")) baked.Size1D = std::stoi(std::string(line.substr(11)));
    if (line.starts_with("LUT_3D_SIZE")) baked.Size3D = std::stoi(std::string(line.substr(11)));
    TRGB v;
    if (ParseFloatTriple(line, v.R, v.G, v.B)) baked.Values.push_back(v);
  }
  return baked;
}

double Difference(const TRGB& a, const TRGB& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

#define REQUIRE_OCIO() \
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed"

// Both sides print six decimals and OpenColorIO computes in single precision.
constexpr double kAgreement = 2e-6;

// Curves that differ per channel and stay inside [0, 1].
std::unique_ptr<TLUT> Curves(int size) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk1D;
  lut->Size1D = size;
  for (int i = 0; i < size; ++i) {
    const double x = i / (size - 1.0);
    lut->SetEntry(i, {std::pow(x, 0.45), 0.05 + 0.9 * x * x, 1.0 - 0.8 * x});
  }
  return lut;
}

struct TOneDimensionalCase {
  const char* Profile;
  const char* File;  // the extension OpenColorIO knows the format by
};

TEST(OcioReadsOurFiles, OneDimensionalTablesAgree) {
  REQUIRE_OCIO();
  // Codex 1D is the layout OpenColorIO reads as a Discreet 1D ".lut" ("LUT: 3 1024", then
  // one channel after the other), so its output is baked under that extension.
  const TOneDimensionalCase cases[] = {{"Cube 1D", "curves.cube"},
                                       {"Codex 1D, Sony SRW-1, Scratch 1D", "curves.lut"}};
  test::TempDir dir;
  for (const TOneDimensionalCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const std::string path = dir.File(c.File);
    SaveLut(path, *Curves(profile.DefaultSize), profile, -1);
    auto ours = std::make_unique<TLUT>();
    LoadLut(path, *ours, profile.FormatIndex);

    const TBaked baked = Bake(path, 2);
    ASSERT_EQ(baked.Status, 0);
    ASSERT_GT(baked.Size1D, 1);
    ASSERT_EQ(baked.Values.size(), static_cast<std::size_t>(baked.Size1D));
    double largest = 0.0;
    for (int i = 0; i < baked.Size1D; ++i) {
      const double x = i / (baked.Size1D - 1.0);
      largest = std::max(largest, Difference(baked.Values[i], ours->Evaluate1D({x, x, x})));
    }
    EXPECT_LE(largest, kAgreement);
  }
}

// OpenColorIO's Discreet 1D reader takes only the "LUT: channels entries" header; the Lustre
// 1D layout (a "LUT16" or "LUT12" line, then an index and three codes per line) is refused
// there. The format rules of this program hold: our reader takes the layout back, within
// half a 16-bit code (ProfileRoundTrip).
TEST(OcioReadsOurFiles, TheLustreLayoutIsNotOneOfOpenColorIOs) {
  REQUIRE_OCIO();
  test::TempDir dir;
  const std::string path = dir.File("curves.lut");
  SaveLut(path, *Curves(1024), ProfileNamed("Autodesk Lustre 1D"), -1);
  EXPECT_NE(Bake(path, 2).Status, 0)
      << "OpenColorIO reads the Lustre layout now: compare its values as above";
}

TEST(OcioReadsOurFiles, SpeedGradeLookGridsAgree) {
  REQUIRE_OCIO();
  constexpr int kSize = 9;
  TLUT grid;
  grid.Kind = lk3D;
  grid.Size3D = kSize;
  for (int r = 0; r < kSize; ++r)
    for (int g = 0; g < kSize; ++g)
      for (int b = 0; b < kSize; ++b) {
        const double x = r / (kSize - 1.0), y = g / (kSize - 1.0), z = b / (kSize - 1.0);
        grid.SetNode(r, g, b, {0.7 * x + 0.2 * y * y, std::sqrt(y) * 0.9 + 0.05 * z, z * z});
      }
  test::TempDir dir;
  const std::string path = dir.File("grade.look");
  SaveLut(path, grid, ProfileNamed("Adobe SpeedGrade Look"), -1);
  TLUT ours;
  LoadLut(path, ours);
  ASSERT_EQ(ours.Size3D, kSize);

  const TBaked baked = Bake(path, kSize);
  ASSERT_EQ(baked.Status, 0);
  ASSERT_EQ(baked.Size3D, kSize);
  ASSERT_EQ(baked.Values.size(), static_cast<std::size_t>(kSize * kSize * kSize));
  double largest = 0.0;
  std::size_t next = 0;
  for (int b = 0; b < kSize; ++b)
    for (int g = 0; g < kSize; ++g)
      for (int r = 0; r < kSize; ++r) {
        largest = std::max(largest, Difference(baked.Values[next++], ours.GetNode(r, g, b)));
      }
  EXPECT_LE(largest, kAgreement);
}

}  // namespace
}  // namespace vorn
