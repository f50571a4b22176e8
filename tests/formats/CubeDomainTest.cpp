// The inputs a cube file's table or grid is spread over (DOMAIN_MIN/MAX, LUT_1D_INPUT_RANGE,
// LUT_3D_INPUT_RANGE): files made here evaluated at chosen inputs, what a conversion keeps
// or cuts, and real files converted and compared with OpenColorIO's bake.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/Conversion.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

// A 2-node grid whose nodes hold their own coordinates (red fastest).
const char* const kIdentity2 = "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

struct TDomainCase {
  const char* Name;
  std::string Text;
  TRGB Input;
  TRGB Expected;
};

std::vector<TDomainCase> DomainCases() {
  const std::string grid = kIdentity2;
  const std::string table = "0 0 0\n0.5 0.5 0.5\n1 1 1\n";
  return {
      {"per-channel grid domain",
       "LUT_3D_SIZE 2\nDOMAIN_MIN -1 0 0\nDOMAIN_MAX 1 2 4\n" + grid,
       {0, 1, 2},
       {0.5, 0.5, 0.5}},
      {"inputs beyond the domain clamp",
       "DOMAIN_MIN -1 0 0\nDOMAIN_MAX 1 2 4\nLUT_3D_SIZE 2\n" + grid,
       {-5, 3, 1},
       {0, 1, 0.25}},
      {"grid range", "LUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE 0 4\n" + grid, {2, 1, 4}, {0.5, 0.25, 1}},
      {"table range",
       "LUT_1D_SIZE 3\nLUT_1D_INPUT_RANGE -1 3\n" + table,
       {1, 2, 4},
       {0.5, 0.75, 1}},
      {"per-channel table domain",
       "LUT_1D_SIZE 3\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 4 1\n" + table,
       {1, 1, 1},
       {0.5, 0.25, 1}},
      // The shaper spreads [-1, 3] over [0, 4], the grid's range: 1 -> 2 -> 0.5.
      {"shaper and grid ranges",
       "LUT_1D_SIZE 2\nLUT_1D_INPUT_RANGE -1 3\nLUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE 0 4\n"
       "0 0 0\n4 4 4\n" +
           grid,
       {1, 0, 3},
       {0.5, 0.25, 1}},
      {"lower-case keywords",
       "lut_3d_size 2\ndomain_min 1 1 1\ndomain_max 3 3 3\n" + grid,
       {2, 2, 3},
       {0.5, 0.5, 1}},
  };
}

TEST(CubeDomain, EveryKeywordSpreadsItsStageOverItsInputs) {
  test::TempDir dir;
  TLUT lut;
  for (const TDomainCase& c : DomainCases()) {
    SCOPED_TRACE(c.Name);
    LoadLut(dir.Write("d.cube", c.Text), lut, -1);
    const TRGB out = lut.Evaluate(c.Input);
    EXPECT_NEAR(out.R, c.Expected.R, 1e-12);
    EXPECT_NEAR(out.G, c.Expected.G, 1e-12);
    EXPECT_NEAR(out.B, c.Expected.B, 1e-12);
  }
}

TEST(CubeDomain, BadDomainLinesAreRefused) {
  const std::string grid = kIdentity2;
  const std::vector<std::string> texts = {
      "LUT_3D_SIZE 2\nDOMAIN_MIN 0 1\n" + grid,
      "LUT_3D_SIZE 2\nDOMAIN_MAX 1 x 1\n" + grid,
      "LUT_3D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 0 1\n" + grid,
      "LUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE 0 1 2\n" + grid,
      "LUT_1D_SIZE 2\nLUT_1D_INPUT_RANGE 2 1\n0 0 0\n1 1 1\n",
      "LUT_1D_SIZE 2\nDOMAIN_MAX inf 1 1\n0 0 0\n1 1 1\n",
  };
  test::TempDir dir;
  TLUT lut;
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, text.find('\n', 14)));
    EXPECT_THROW(LoadLut(dir.Write("bad.cube", text), lut, -1), ELUTError);
  }
}

// The picture path (8-bit codes through the mapper) agrees with the record's evaluation.
TEST(CubeDomain, PicturesMapThroughTheDomains) {
  test::TempDir dir;
  TLUT lut;
  for (const TDomainCase& c : DomainCases()) {
    SCOPED_TRACE(c.Name);
    LoadLut(dir.Write("d.cube", c.Text), lut, -1);
    TBitmap24 bitmap(16, 16);
    for (int y = 0; y < 16; ++y) {
      std::uint8_t* p = bitmap.ScanLine(y);
      for (int x = 0; x < 16; ++x) {
        p[3 * x] = static_cast<std::uint8_t>(x * 17);
        p[3 * x + 1] = static_cast<std::uint8_t>(y * 17);
        p[3 * x + 2] = static_cast<std::uint8_t>(255 - x * 17);
      }
    }
    lut.ApplyToBitmap(bitmap);
    for (int y = 0; y < 16; ++y) {
      const std::uint8_t* p = bitmap.ScanLine(y);
      for (int x = 0; x < 16; ++x) {
        TLutPixel out;
        lut.EvaluatePixel({static_cast<std::uint16_t>(255 - x * 17),
                           static_cast<std::uint16_t>(y * 17), static_cast<std::uint16_t>(x * 17)},
                          out);
        ASSERT_EQ(p[3 * x + 2], out.R);
        ASSERT_EQ(p[3 * x + 1], out.G);
        ASSERT_EQ(p[3 * x], out.B);
      }
    }
  }
}

struct TConversionCase {
  const char* Name;
  std::string Text;
  const char* Profile;
  int Size;          // 0: the profile's default
  bool KeepsDomain;  // the written file holds the source's domain (cube to cube)
  bool Noted;        // a domain note is given
};

TEST(CubeDomain, CubesKeepTheDomainOtherOutputsSampleOverUnitInputs) {
  const std::string grid = kIdentity2;
  const std::string wide = "LUT_3D_SIZE 2\nDOMAIN_MIN -0.1 0 0\nDOMAIN_MAX 1.2 1 1\n" + grid;
  const std::string narrow = "LUT_3D_SIZE 2\nDOMAIN_MIN 0.2 0 0\nDOMAIN_MAX 0.8 1 1\n" + grid;
  const std::string shaped =
      "LUT_1D_SIZE 2\nLUT_1D_INPUT_RANGE -1 3\nLUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE 0 4\n"
      "0 0 0\n4 4 4\n" +
      grid;
  const std::string table = "LUT_1D_SIZE 3\nLUT_1D_INPUT_RANGE -1 3\n0 0 0\n0.5 0.5 0.5\n1 1 1\n";
  // A cube keeps the domain of a source of its size, so that nothing is resampled; at
  // another size it samples over [0, 1] as every output without domains does.
  const TConversionCase cases[] = {
      {"wide grid to cube", wide, "Cube 3D Davinci", 2, true, false},
      {"wide grid to a larger cube", wide, "Cube 3D Davinci", 0, false, true},
      {"wide grid to 3dl", wide, "3DL Scratch, Autodesk, Blackmagic, Cine-tal", 0, false, true},
      {"narrow grid to Truelight", narrow, "Cube 3D Truelight", 0, false, false},
      {"shaper and grid to cube", shaped, "Cube 3D Davinci", 2, true, false},
      {"shaper and grid to Truelight", shaped, "Cube 3D Truelight", 0, false, true},
      {"table to cube 1D", table, "Cube 1D", 3, true, false},
      {"table to Fusion 1D", table, "Fusion 1D", 0, false, true},
  };
  test::TempDir dir;
  for (const TConversionCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const std::string source = dir.Write("source.cube", c.Text);
    const std::string written = dir.File("out." + profile.Extension);
    TPreparedConversion prepared = PrepareConversion(
        source, written, -1, profile, c.Size > 0 ? c.Size : profile.DefaultSize, -1, false);
    bool noted = false;
    for (const TConversionNote& note : prepared.Notes) noted |= note.Kind == TLossKind::Domain;
    EXPECT_EQ(noted, c.Noted);
    WritePreparedConversion(prepared, written, profile, -1, {}, TWriteMode::Replace);

    TLUT from;
    TLUT to;
    LoadLut(source, from, -1);
    LoadLut(written, to, -1);
    EXPECT_EQ(!to.HasDefaultDomains(), c.KeepsDomain);
    // Right for every input the written file can express: [0, 1] for an output without
    // domains, the source's own beyond that for a cube.
    const double low = c.KeepsDomain ? -1.0 : 0.0;
    const double high = c.KeepsDomain ? 3.0 : 1.0;
    const double tolerance =
        profile.DefaultBits > 0 ? 1.0 / ((1 << profile.DefaultBits) - 1) : 1e-6;
    for (double x = low; x <= high + 1e-9; x += (high - low) / 8) {
      const TRGB a = from.Evaluate({x, x, 0.5});
      const TRGB b = to.Evaluate({x, x, 0.5});
      EXPECT_NEAR(a.R, b.R, tolerance) << x;
      EXPECT_NEAR(a.G, b.G, tolerance) << x;
      EXPECT_NEAR(a.B, b.B, tolerance) << x;
    }
  }
}

TEST(CubeDomain, TheNoteNamesTheInputsThatAreCut) {
  test::TempDir dir;
  const std::string source = dir.Write(
      "wide.cube",
      std::string("LUT_3D_SIZE 2\nDOMAIN_MIN -0.1 0 0\nDOMAIN_MAX 1.2 1 1\n") + kIdentity2);
  const TLutOutputProfile& profile = ProfileNamed("Davinci DAT 3D");
  const TPreparedConversion prepared =
      PrepareConversion(source, dir.File("out.dat"), -1, profile, 33, -1, false);
  ASSERT_FALSE(prepared.Notes.empty());
  EXPECT_EQ(prepared.Notes.back().Message,
            "the inputs from -0.1 to 1.2 that the source's domain covers are cut to [0, 1]");
}

TEST(CubeDomain, DomainsAreWrittenAsTheCubeDialectsWriteThem) {
  struct TWriteCase {
    const char* Name;
    std::string Text;
    const char* Profile;
    int Size;
    std::vector<std::string> Lines;  // the header lines after the comments
  };
  const std::string grid = kIdentity2;
  const TWriteCase cases[] = {
      {"grid alone",
       "LUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE -0.5 2\n" + grid,
       "Cube 3D Davinci",
       2,
       {"LUT_3D_SIZE 2", "DOMAIN_MIN -0.5 -0.5 -0.5", "DOMAIN_MAX 2 2 2"}},
      {"shaper and grid",
       "LUT_1D_SIZE 2\nLUT_1D_INPUT_RANGE -1 3\nLUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE 0 4\n"
       "0 0 0\n4 4 4\n" +
           grid,
       "Cube 3D Davinci",
       2,
       {"LUT_1D_SIZE 2", "LUT_1D_INPUT_RANGE -1 3", "LUT_3D_SIZE 2", "LUT_3D_INPUT_RANGE 0 4"}},
      {"uniform table",
       "LUT_1D_SIZE 2\nDOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n0 0 0\n1 1 1\n",
       "Cube 1D",
       2,
       {"LUT_1D_SIZE 2", "LUT_1D_INPUT_RANGE -1 3"}},
      {"per-channel table",
       "LUT_1D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 2 1\n0 0 0\n1 1 1\n",
       "Cube 1D",
       2,
       {"LUT_1D_SIZE 2", "DOMAIN_MIN 0 0 0", "DOMAIN_MAX 1 2 1"}},
  };
  test::TempDir dir;
  for (const TWriteCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const std::string written = dir.File("out.cube");
    ConvertFile(dir.Write("in.cube", c.Text), written, -1, profile, c.Size, -1, -1, {}, false,
                TWriteMode::Replace);
    const std::string text = ReadWholeFile(written);
    const std::size_t start = text.find("\n\n") + 2;
    std::string expected;
    for (const std::string& line : c.Lines) expected += line + "\n";
    EXPECT_EQ(text.substr(start, expected.size()), expected);
  }
}

// ociobakelut reads each file and bakes it over [0, 1] at 33 nodes; our conversions at 33
// (none of the files has 33 nodes, so the cube too samples over [0, 1]) must agree with it.
TEST(CubeDomain, RealFilesAgreeWithOpenColorIO) {
  if (std::system("command -v ociobakelut >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ociobakelut is not installed";
  }
  const std::string corpus = test::CorpusDir();
  const char* const files[] = {"ocio/iridas_3d.cube", "ocio/resolve_1d3d.cube",
                               "colour-science/iridas_cube/eotf_sRGB_3D.cube"};
  test::TempDir dir;
  for (const char* file : files) {
    SCOPED_TRACE(file);
    const std::string source = corpus + "/" + file;
    if (!std::filesystem::exists(source)) GTEST_SKIP() << source << " not found";
    const std::string baked = dir.File("baked.cube");
    const std::string command = "ociobakelut --lut '" + source +
                                "' --format resolve_cube --cubesize 33 '" + baked +
                                "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    TLUT peer;
    LoadLut(baked, peer, IndexOfFormat("Cube 3D"));
    ASSERT_EQ(peer.Size3D, 33);
    for (const char* profileName : {"Cube 3D Davinci", "Cube 3D Truelight"}) {
      SCOPED_TRACE(profileName);
      const TLutOutputProfile& profile = ProfileNamed(profileName);
      const std::string ours = dir.File("ours.cube");
      ConvertFile(source, ours, -1, profile, 33, -1, -1, {}, false, TWriteMode::Replace);
      TLUT written;
      LoadLut(ours, written, profile.FormatIndex);
      double worst = 0.0;
      for (int r = 0; r < 33; ++r)
        for (int g = 0; g < 33; ++g)
          for (int b = 0; b < 33; ++b) {
            const TRGB a = written.Evaluate({r / 32.0, g / 32.0, b / 32.0});
            const TRGB p = peer.GetNode(r, g, b);
            worst =
                std::max({worst, std::fabs(a.R - p.R), std::fabs(a.G - p.G), std::fabs(a.B - p.B)});
          }
      EXPECT_LT(worst, 1e-4);
    }
  }
}

// A file over [0, 1] is written as before: the same text whether or not its domain lines
// are there.
TEST(CubeDomain, DefaultDomainWritesAsWithoutDomainLines) {
  test::TempDir dir;
  const std::string plain = dir.Write("plain.cube", std::string("LUT_3D_SIZE 2\n") + kIdentity2);
  const std::string stated =
      dir.Write("stated.cube",
                std::string("LUT_3D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 1\n") + kIdentity2);
  const TLutOutputProfile& profile = ProfileNamed("Cube 3D Davinci");
  ConvertFile(plain, dir.File("a.cube"), -1, profile, 2, -1, -1, {}, false, TWriteMode::Replace);
  ConvertFile(stated, dir.File("b.cube"), -1, profile, 2, -1, -1, {}, false, TWriteMode::Replace);
  const std::string a = ReadWholeFile(dir.File("a.cube"));
  EXPECT_EQ(a, ReadWholeFile(dir.File("b.cube")));
  EXPECT_EQ(a.find("DOMAIN"), std::string::npos);
}

}  // namespace
}  // namespace vorn
