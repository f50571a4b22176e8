// The formats of open colour pipelines: Imageworks spi1d and spi3d, cineSpace csp, Nuke vf
// and Iridas itx. Small files read as their layout says, damaged ones refused with the
// problem and the file named.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

struct TProbe {
  TRGB In;
  TRGB Out;
};

struct TReadCase {
  const char* File;
  const char* Format;  // the format that claims it ("" when none does: read with Reader)
  const char* Text;
  TLutKind Kind;
  int Size;  // of the grid, or of the table for 1D
  std::vector<TProbe> Probes;
};

const char* const kSpi1DGrey =
    "Version 1\nFrom -1.0 2.0\nLength 3\nComponents 1\n{\n 0.0\n 0.25\n 1.0\n}\n";
const char* const kSpi1DRgb =
    "Version 1\n# made by hand\nFrom 0 1\nLength 2\nComponents 3\n{\n0 0.1 0.2\n1 0.9 0.8\n}\n";
// The nodes in no order: red 1 gives 2, green 1 gives 20, blue 1 gives 200.
const char* const kSpi3D =
    "SPILUT 1.0\n3 3\n2 2 2\n1 1 1 2 20 200\n0 0 0 0 0 0\n0 0 1 0 0 200\n0 1 0 0 20 0\n"
    "1 0 0 2 0 0\n1 1 0 2 20 0\n0 1 1 0 20 200\n1 0 1 2 0 200\n";
const char* const kCspBody2 = "\n2 2 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
const std::string kCspDomain = std::string("CSPLUTV100\n3D\n\nBEGIN METADATA\nmade by hand\n") +
                               "END METADATA\n2\n-0.5 1.5\n0 1\n2\n0 1\n0 1\n0\n" + kCspBody2;
const std::string kCspShaper =
    std::string("CSPLUTV100\n3D\n2\n0 1\n0.25 0.75\n2\n0 1\n0 1\n2\n0 1\n0 1\n") + kCspBody2;
// Three breakpoints: the spline gives 0.5 at 0.125 (OpenColorIO evaluates the same).
const char* const kCspSpline =
    "CSPLUTV100\n1D\n\n3\n0.0 0.25 1.0\n0.0 0.75 1.0\n3\n0.0 0.25 1.0\n0.0 0.75 1.0\n"
    "2\n-0.5 1.5\n0.0 1.0\n\n2\n0 0 0\n1 1 1\n";
// As Nuke writes it: the matrix divided by the size, so the grid spans 0 to 1.
const char* const kVf =
    "#Inventor V2.1 ascii\ngrid_size 2 2 2\nglobal_transform 0.5 0 0 0 0 0.5 0 0 0 0 0.5 0 0 0 0 "
    "1\n"
    "data\n0 0 0\n0 0 200\n0 20 0\n0 20 200\n2 0 0\n2 0 200\n2 20 0\n2 20 200\n";

std::vector<TReadCase> ReadCases() {
  return {
      {"grey.spi1d",
       "Imageworks spi1d",
       kSpi1DGrey,
       lk1D,
       3,
       {{{-1, -1, -1}, {0, 0, 0}},
        {{0.5, 0.5, 0.5}, {0.25, 0.25, 0.25}},
        {{1.25, -1, 2}, {0.625, 0, 1}}}},
      {"rgb.spi1d",
       "Imageworks spi1d",
       kSpi1DRgb,
       lk1D,
       2,
       {{{0.5, 0.5, 0.5}, {0.5, 0.5, 0.5}}, {{0, 0, 0}, {0, 0.1, 0.2}}}},
      {"shuffled.spi3d",
       "Imageworks spi3d",
       kSpi3D,
       lk3D,
       2,
       {{{1, 0, 0}, {2, 0, 0}}, {{0, 0, 1}, {0, 0, 200}}, {{0.5, 0.5, 0.5}, {1, 10, 100}}}},
      {"domain.csp",
       "cineSpace 3D",
       kCspDomain.c_str(),
       lk3D,
       2,
       {{{0.5, 0, 0}, {0.5, 0, 0}}, {{-0.5, 1, 1}, {0, 1, 1}}, {{1.5, 0, 0}, {1, 0, 0}}}},
      {"shaper.csp",
       "cineSpace 3D",
       kCspShaper.c_str(),
       lk1DAnd3D,
       2,
       {{{0, 0, 0}, {0.25, 0, 0}}, {{1, 1, 1}, {0.75, 1, 1}}}},
      {"spline.csp",
       "cineSpace 1D",
       kCspSpline,
       lk1D,
       -1,
       {{{0.125, 0.125, 0.125}, {0.5, 0.5, 0.3125}}, {{1, 1, -0.2}, {1, 1, 0.15}}}},
      {"field.vf",
       "Nuke vf 3D",
       kVf,
       lk3D,
       2,
       {{{1, 0, 0}, {2, 0, 0}}, {{0, 1, 0}, {0, 20, 0}}, {{0, 0, 0.5}, {0, 0, 100}}}},
      {"grid.itx",
       "Cube 3D",
       "LUT_3D_SIZE 2\n0 0 0\n2 0 0\n0 2 0\n2 2 0\n0 0 2\n2 0 2\n0 2 2\n2 2 2\n",
       lk3D,
       2,
       {{{1, 0, 0}, {2, 0, 0}}, {{0, 0, 0.5}, {0, 0, 1}}}},
  };
}

TEST(PipelineFormats, SmallFilesReadAsTheirLayoutSays) {
  test::TempDir dir;
  for (const TReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.File);
    const std::string path = dir.Write(c.File, c.Text);
    EXPECT_EQ(DetectFormat(path), IndexOfFormat(c.Format));
    auto lut = std::make_unique<TLUT>();
    LoadLut(path, *lut);
    EXPECT_EQ(lut->Kind, c.Kind);
    if (c.Size > 0) {
      EXPECT_EQ(c.Kind == lk1D ? lut->Size1D : lut->Size3D, c.Size);
    }
    for (const TProbe& probe : c.Probes) {
      const TRGB out = lut->Evaluate(probe.In);
      EXPECT_NEAR(out.R, probe.Out.R, 1e-6) << probe.In.R;
      EXPECT_NEAR(out.G, probe.Out.G, 1e-6) << probe.In.G;
      EXPECT_NEAR(out.B, probe.Out.B, 1e-6) << probe.In.B;
    }
  }
}

TEST(PipelineFormats, CommentsAndMetadataAreKept) {
  test::TempDir dir;
  TLUT lut;
  LoadLut(dir.Write("rgb.spi1d", kSpi1DRgb), lut);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"made by hand"});
  LoadLut(dir.Write("domain.csp", kCspDomain), lut);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"made by hand"});
}

// An itx file is detected as a cube file; its own format reads the same record.
TEST(PipelineFormats, TheIridasFormatReadsWhatTheCubeReaderReads) {
  test::TempDir dir;
  const std::string path = dir.Write("grid.itx", ReadCases().back().Text);
  TLUT cube;
  TLUT itx;
  LoadLut(path, cube);
  LoadLut(path, itx, IndexOfFormat("Iridas itx 3D"));
  ASSERT_EQ(itx.Size3D, 2);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(itx.GetNode(i & 1, i >> 1 & 1, i >> 2), cube.GetNode(i & 1, i >> 1 & 1, i >> 2));
}

struct TDamagedCase {
  const char* File;
  const char* Format;
  std::string Text;
  const char* Message;  // a part of the message
};

std::vector<TDamagedCase> DamagedCases() {
  const std::string spi1d = "Version 1\nFrom 0 1\n";
  const std::string csp = "CSPLUTV100\n3D\n";
  const std::string identity = "2\n0 1\n0 1\n";
  const std::string vf = "#Inventor V2.1 ascii\n";
  return {
      {"cut.spi1d", "Imageworks spi1d", spi1d + "Length 4\nComponents 1\n{\n0\n0.5\n",
       kIncompleteFile},
      {"huge.spi1d", "Imageworks spi1d", spi1d + "Length 999999999\nComponents 1\n{\n0\n",
       "too large"},
      {"two.spi1d", "Imageworks spi1d", spi1d + "Length 2\nComponents 2\n{\n0 0\n1 1\n}\n",
       "2 components"},
      {"early.spi1d", "Imageworks spi1d", spi1d + "Components 1\n{\n0\n1\n}\n",
       "before a Length line"},
      {"from.spi1d", "Imageworks spi1d",
       "Version 1\nFrom 0 x\nLength 2\nComponents 1\n{\n0\n1\n}\n",
       "From needs two finite numbers"},
      {"version.spi1d", "Imageworks spi1d", "Version 2\nLength 2\nComponents 1\n{\n0\n1\n}\n",
       "version 2"},
      {"ins.spi3d", "Imageworks spi3d", "SPILUT 1.0\n3 1\n2 2 2\n", "\"3 3\""},
      {"huge.spi3d", "Imageworks spi3d", "SPILUT 1.0\n3 3\n5000 5000 5000\n0 0 0 0 0 0\n",
       "100x100x100"},
      {"box.spi3d", "Imageworks spi3d", "SPILUT 1.0\n3 3\n2 2 3\n", "every axis"},
      {"outside.spi3d", "Imageworks spi3d", "SPILUT 1.0\n3 3\n2 2 2\n0 2 0 1 1 1\n",
       "outside the grid"},
      {"cut.spi3d", "Imageworks spi3d", std::string(kSpi3D).substr(0, 60), kIncompleteFile},
      {"count.csp", "cineSpace 3D", csp + "3\n0 0.5 1\n0 1\n",
       "declares 3 breakpoints but its line of outputs holds 2"},
      {"word.csp", "cineSpace 3D", csp + "2\n0 one\n0 1\n", "\"one\", which is not a number"},
      {"huge.csp", "cineSpace 3D", csp + "999999999\n0 1\n0 1\n", "at most 100001"},
      {"falls.csp", "cineSpace 3D", csp + "3\n0 0.5 0.4\n0 0.5 1\n", "inputs that rise"},
      {"grid.csp", "cineSpace 3D", csp + identity + identity + identity + "9999 9999 9999\n0 0 0\n",
       "100x100x100"},
      {"cut.csp", "cineSpace 3D", csp + identity + identity + identity + "2 2 2\n0 0 0\n1 0 0\n",
       kIncompleteFile},
      {"type.csp", "cineSpace 3D", "CSPLUTV100\n2D\n", "1D or 3D"},
      {"mixes.vf", "Nuke vf 3D",
       vf + "grid_size 2 2 2\nglobal_transform 0.5 0.1 0 0 0 0.5 0 0 0 0 0.5 0 0 0 0 1\ndata\n",
       "mixes or moves"},
      {"size.vf", "Nuke vf 3D", vf + "grid_size 2 two 2\ndata\n",
       "grid_size line needs three whole numbers"},
      {"huge.vf", "Nuke vf 3D", vf + "grid_size 1000 1000 1000\ndata\n0 0 0\n", "100x100x100"},
      {"cut.vf", "Nuke vf 3D", vf + "grid_size 2 2 2\ndata\n0 0 0\n1 1 1\n", kIncompleteFile},
      {"cut.itx", "Iridas itx 3D", "LUT_3D_SIZE 2\n0 0 0\n", kIncompleteFile},
  };
}

TEST(PipelineFormats, DamagedFilesAreRefusedNamingTheProblemAndTheFile) {
  test::TempDir dir;
  for (const TDamagedCase& c : DamagedCases()) {
    SCOPED_TRACE(c.File);
    const std::string path = dir.Write(c.File, c.Text);
    TLUT lut;
    try {
      LoadLut(path, lut, IndexOfFormat(c.Format));
      ADD_FAILURE() << "loaded";
    } catch (const Exception& error) {
      EXPECT_NE(error.Message().find(c.Message), std::string::npos) << error.Message();
      EXPECT_EQ(error.File(), path);
    }
  }
}

}  // namespace
}  // namespace vorn
