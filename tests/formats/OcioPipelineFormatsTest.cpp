// OpenColorIO as the independent reader and writer of the formats of open colour pipelines
// (spi1d, spi3d, csp, vf, itx): the corpus files as we load them agree with OpenColorIO's
// cube bake of them, the files we write are read by OpenColorIO as our source, and the csp
// and itx files OpenColorIO writes load as its own cube bake of the same source.
//
// Grids are compared at the nodes of a bake of the grid's own size: between nodes
// OpenColorIO interpolates these grids tetrahedrally, our record trilinearly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

#define REQUIRE_OCIO() \
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed"

// A cube bake: its values with the inputs they belong to (a grid's red fastest).
struct TBaked {
  bool Ok = false;
  std::vector<TRGB> Inputs;
  std::vector<TRGB> Values;
};

TBaked BakeToCube(const std::string& path, int size) {
  const test::TProgramResult result =
      test::RunProgram({"ociobakelut", "--lut", path, "--format", "resolve_cube", "--cubesize",
                        std::to_string(size), "--stdout"});
  TBaked baked;
  baked.Ok = result.Status == 0;
  TTextFile text;
  text.SetText(result.Out);
  int size1D = 0;
  int size3D = 0;
  for (std::size_t i = 0; i < text.Count(); ++i) {
    const std::string_view line = Trim(text[i]);
    IntegerAfterPrefix(line, "LUT_1D_SIZE", size1D);
    IntegerAfterPrefix(line, "LUT_3D_SIZE", size3D);
    TRGB v;
    if (ParseFloatTriple(line, v.R, v.G, v.B)) baked.Values.push_back(v);
  }
  const int n = size3D > 0 ? size3D : size1D;
  for (std::size_t i = 0; i < baked.Values.size() && n > 1; ++i) {
    const auto step = [&](std::size_t k) { return static_cast<double>(k % n) / (n - 1); };
    const double x = step(i);
    baked.Inputs.push_back(size3D > 0 ? TRGB{x, step(i / n), step(i / n / n)} : TRGB{x, x, x});
  }
  baked.Ok = baked.Ok && n > 1 && !baked.Values.empty();
  return baked;
}

// The largest difference between the bake's values and lut at the bake's inputs.
double LargestDifference(const TBaked& baked, const TLUT& lut) {
  double largest = 0.0;
  for (std::size_t i = 0; i < baked.Values.size(); ++i) {
    const TRGB ours = lut.Evaluate(baked.Inputs[i]);
    const TRGB& theirs = baked.Values[i];
    largest = std::max({largest, std::fabs(ours.R - theirs.R), std::fabs(ours.G - theirs.G),
                        std::fabs(ours.B - theirs.B)});
  }
  return largest;
}

// A bake whose nodes are the grid's own, or 33 entries of a table.
int BakeSize(const TLUT& lut) {
  return lut.HasGrid() ? lut.Size3D : 33;
}

bool IsPipelineFile(const std::filesystem::path& path) {
  const std::string extension = path.extension().string();
  for (const char* known : {".spi1d", ".spi3d", ".csp", ".vf", ".itx"}) {
    if (extension == known) return true;
  }
  return false;
}

TEST(OcioPipelineFormats, EveryCorpusFileLoadsAndAgreesWithOpenColorIO) {
  const std::string corpus = test::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the shared corpus is not there";
  const bool ocio = test::HasProgram("ociobakelut");
  std::vector<std::string> unread;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus + "/ocio-pipeline")) {
    if (!IsPipelineFile(entry.path())) continue;
    const std::string path = entry.path().string();
    SCOPED_TRACE(path);
    ++files;
    auto lut = std::make_unique<TLUT>();
    try {
      LoadLutFile(path, *lut);
    } catch (const Exception& error) {
      unread.push_back(path + ": " + error.Message());
      continue;
    }
    if (!ocio) continue;
    const TBaked baked = BakeToCube(path, BakeSize(*lut));
    ASSERT_TRUE(baked.Ok);
    EXPECT_LE(LargestDifference(baked, *lut), 1e-4);
  }
  EXPECT_GE(files, 14);
  EXPECT_TRUE(unread.empty()) << ::testing::PrintToString(unread);
}

// Values beyond [0, 1] and domains other than [0, 1], as our writers keep them.
std::unique_ptr<TLUT> Curves(const TLutDomain& domain) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk1D;
  lut->Size1D = 1024;
  lut->TableDomain = domain;
  for (int i = 0; i < lut->Size1D; ++i) {
    const double x = i / 1023.0;
    lut->SetEntry(i, {1.2 * std::pow(x, 0.45) - 0.1, 0.05 + 0.9 * x * x, 1.0 - 0.8 * x});
  }
  return lut;
}

std::unique_ptr<TLUT> Grid(int size) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = size;
  for (int r = 0; r < size; ++r)
    for (int g = 0; g < size; ++g)
      for (int b = 0; b < size; ++b) {
        const double x = r / (size - 1.0), y = g / (size - 1.0), z = b / (size - 1.0);
        lut->SetNode(r, g, b, {1.1 * x - 0.05 + 0.1 * y, 0.8 * y + 0.2 * z * z, z * z - 0.1 * x});
      }
  return lut;
}

// A grid affine in each input, which every interpolation reads alike, after a quadratic
// shaper over [-0.5, 1.5], which the cineSpace spline through its entries follows exactly.
std::unique_ptr<TLUT> ShaperAndGrid() {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk1DAnd3D;
  lut->Size1D = 256;
  lut->TableDomain = {{-0.5, -0.5, -0.5}, {1.5, 1.5, 1.5}};
  for (int i = 0; i < lut->Size1D; ++i) {
    const double x = i / 255.0;
    lut->SetEntry(i, {0.5 * x + 0.5 * x * x, x, 0.8 * x + 0.2 * x * x});
  }
  lut->Size3D = 5;
  for (int r = 0; r < 5; ++r)
    for (int g = 0; g < 5; ++g)
      for (int b = 0; b < 5; ++b) {
        lut->SetNode(r, g, b, {0.25 * r - 0.1 + 0.02 * g, 0.2 * g + 0.05 * b, 0.25 * b - 0.03 * r});
      }
  return lut;
}

struct TWrittenCase {
  const char* Profile;
  std::unique_ptr<TLUT> Source;
};

TEST(OcioPipelineFormats, OpenColorIOReadsOurFilesAsTheirSource) {
  REQUIRE_OCIO();
  TWrittenCase cases[] = {
      {"Imageworks spi1d", Curves({{-0.25, -0.25, -0.25}, {1.5, 1.5, 1.5}})},
      {"cineSpace 1D", Curves({{-0.25, 0.0, 0.1}, {1.5, 1.0, 0.9}})},
      {"Imageworks spi3d", Grid(9)},
      {"cineSpace 3D", Grid(9)},
      {"Iridas itx", Grid(9)},
      {"cineSpace 3D", ShaperAndGrid()},
  };
  // A grid with its own domain, which the csp prelut keeps.
  cases[3].Source->GridDomain = {{-0.1, 0.0, 0.0}, {1.2, 1.0, 2.0}};
  test::TempDir dir;
  for (const TWrittenCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = test::ProfileNamed(c.Profile);
    const std::string path = dir.File(std::string("ours.") + profile.Extension);
    SaveLut(path, *c.Source, profile, -1);
    const TBaked baked = BakeToCube(path, BakeSize(*c.Source));
    ASSERT_TRUE(baked.Ok);
    // Six decimals written, and OpenColorIO's single precision.
    EXPECT_LE(LargestDifference(baked, *c.Source), 1e-5);
  }
}

TEST(OcioPipelineFormats, TheirCineSpaceAndItxFilesLoadAsTheirCubeBake) {
  REQUIRE_OCIO();
  const std::string corpus = test::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the shared corpus is not there";
  test::TempDir dir;
  for (const char* source : {"lut1d_4.spi1d", "comp2.spi3d", "lut3d_bizarre.spi3d"}) {
    const std::string sourcePath = corpus + "/ocio-pipeline/" + source;
    const TBaked cube = BakeToCube(sourcePath, 17);
    ASSERT_TRUE(cube.Ok);
    for (const char* format : {"cinespace", "iridas_itx"}) {
      SCOPED_TRACE(std::string(source) + " as " + format);
      const std::string path =
          dir.File(std::string("theirs.") + (format[0] == 'c' ? "csp" : "itx"));
      ASSERT_EQ(test::RunProgram({"ociobakelut", "--lut", sourcePath, "--format", format,
                                  "--cubesize", "17", path})
                    .Status,
                0);
      auto lut = std::make_unique<TLUT>();
      LoadLutFile(path, *lut);
      EXPECT_LE(LargestDifference(cube, *lut), 1e-4);
    }
  }
}

// A prelut of uneven breakpoints is the cineSpace spline through them, which OpenColorIO
// evaluates too: the table we sample it onto stays within 1e-5 of it everywhere.
TEST(OcioPipelineFormats, AnUnevenPrelutFollowsOpenColorIOsSpline) {
  if (!test::HasProgram("ociochecklut")) GTEST_SKIP() << "ociochecklut is not installed";
  test::TempDir dir;
  const std::string path = dir.Write(
      "uneven.csp",
      "CSPLUTV100\n1D\n4\n-0.1 0.05 0.3 1.2\n0 0.4 0.7 1\n5\n0 0.1 0.2 0.6 1\n0 0.02 0.1 0.5 1\n"
      "0\n3\n0 0 0\n0.8 0.5 0.5\n1 1 1\n");
  TLUT lut;
  LoadLut(path, lut);
  double largest = 0.0;
  for (int i = -2; i <= 24; ++i) {
    const double x = i / 20.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", x);
    const test::TProgramResult result = test::RunProgram({"ociochecklut", path, text, text, text});
    TRGB theirs;
    ASSERT_EQ(std::sscanf(result.Out.c_str(), "%lf %lf %lf", &theirs.R, &theirs.G, &theirs.B), 3);
    const TRGB ours = lut.Evaluate({x, x, x});
    largest = std::max({largest, std::fabs(ours.R - theirs.R), std::fabs(ours.G - theirs.G),
                        std::fabs(ours.B - theirs.B)});
  }
  EXPECT_LE(largest, 1e-5);
}

}  // namespace
}  // namespace vorn
