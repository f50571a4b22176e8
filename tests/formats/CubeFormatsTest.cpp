#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

const char* kIdentity2 = "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

int Index(const char* name) {
  return IndexOfFormat(name);
}

// A grid whose every node differs, with values outside [0, 1] too.
void FillTestGrid(TLUT& lut, int n) {
  lut.Kind = lk3D;
  lut.Size3D = n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        lut.SetNode(r, g, b,
                    {r / (n - 1.0) * 1.1 - 0.05, std::sqrt(g / (n - 1.0)), (b + 0.123456789) / n});
}

class CubeFormats : public ::testing::Test {
 protected:
  test::TempDir Dir;
  TLUT Lut;
};

TEST_F(CubeFormats, TwoNodeFileFillsRedFastest) {
  std::string path = Dir.Write("id.cube", std::string("LUT_3D_SIZE 2\n") + kIdentity2);
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.FormatIndex, Index("Cube 3D"));
  EXPECT_EQ(Lut.Kind, lk3D);
  EXPECT_EQ(Lut.Size3D, 2);
  EXPECT_EQ(Lut.GetNode(1, 0, 0), (TRGB{1, 0, 0}));
  EXPECT_EQ(Lut.GetNode(0, 0, 1), (TRGB{0, 0, 1}));
  EXPECT_EQ(Lut.GetNode(0, 1, 1), (TRGB{0, 1, 1}));
}

TEST_F(CubeFormats, TitleAndDomainLinesLeaveTheNodesAlone) {
  std::string path =
      Dir.Write("t.cube", std::string("TITLE \"My look\"\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 2 2\n"
                                      "LUT_3D_SIZE 2\nDOMAIN_MIN -1 -1 -1\n") +
                              kIdentity2);
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.FormatIndex, Index("Cube 3D"));
  EXPECT_EQ(Lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
  EXPECT_EQ(Lut.GetNode(0, 0, 0), (TRGB{0, 0, 0}));
}

TEST_F(CubeFormats, OnlyCommentsAboveTheSizeLineAreKept) {
  std::string path = Dir.Write(
      "c.cube", std::string("#first\n#   second  \n#\n  # indented\nLUT_3D_SIZE 2\n# between\n") +
                    "0 0 0\n# inside\n" + (kIdentity2 + 6));
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.Comments, (std::vector<std::string>{"first", "second", "", "indented"}));
  EXPECT_EQ(Lut.GetNode(1, 0, 0), (TRGB{1, 0, 0}));
}

TEST_F(CubeFormats, LowerCaseSizeKeywordAndOtherSeparators) {
  std::string path =
      Dir.Write("l.cube",
                "lut_3d_size 2\r\n0,0,0\r\n1\t0\t0\r\n0 ,1, 0\r\n 0  1  0 \r\n1 1 0\r\n0 0 1\r\n"
                "1 0 1\r\n0 1 1\r\n1 1 1\r\n");
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.FormatIndex, Index("Cube 3D"));
  // "0 ,1, 0" is unreadable and skipped: the next line takes its place.
  EXPECT_EQ(Lut.GetNode(0, 1, 0), (TRGB{0, 1, 0}));
  EXPECT_EQ(Lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
}

TEST_F(CubeFormats, FourNumberLinesAreSkippedSoTheFileIsIncomplete) {
  std::string body;
  for (int i = 0; i < 8; ++i) body += "0.1 0.2 0.3 0.4\n";
  std::string path = Dir.Write("four.cube", "LUT_3D_SIZE 2\n" + body);
  try {
    LoadLut(path, Lut, -1);
    FAIL();
  } catch (const ELUTError& e) {
    EXPECT_STREQ(test::WithoutCounts(e.what()).c_str(), "Incomplete file.");
  }
}

TEST_F(CubeFormats, MissingSizeLineIsIncomplete) {
  std::string path = Dir.Write("nosize.cube", std::string("# LUT_3D_SIZE 2\n") + kIdentity2);
  // A keyword in a comment is no size line: detection passes the file over, and the reader,
  // when told the format, finds no size line.
  EXPECT_EQ(DetectFormat(path), -1);
  EXPECT_THROW(LoadLut(path, Lut, Index("Cube 3D")), ELUTError);
  EXPECT_EQ(Lut.Size3D, -1);
}

TEST_F(CubeFormats, ExtraValueLinesAreIgnored) {
  std::string path =
      Dir.Write("extra.cube", std::string("LUT_3D_SIZE 2\n") + kIdentity2 + "5 5 5\n7 7 7\n");
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
  EXPECT_EQ(Lut.GetNode(2, 0, 0), (TRGB{0, 0, 0}));
}

TEST_F(CubeFormats, SizeLimits) {
  std::string path100 = Dir.Write("100.cube", "LUT_3D_SIZE 100\n");
  EXPECT_THROW(LoadLut(path100, Lut, -1), ELUTError);  // accepted size, but no values
  EXPECT_EQ(Lut.Size3D, 100);
  std::string path101 = Dir.Write("101.cube", "LUT_3D_SIZE 101\n");
  try {
    LoadLut(path101, Lut, -1);
    FAIL();
  } catch (const ELUTError&) {
    FAIL() << "the size limit is a general error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(),
                 "The current version cannot process LUTs more than 100x100x100.\r\n"
                 "In general, 64x64x64 is definitely enough for 3D LUTs.");
  }
  for (const char* size : {"0", "-3"}) {
    std::string path = Dir.Write("small.cube", std::string("LUT_3D_SIZE ") + size + "\n0 0 0\n");
    EXPECT_THROW(LoadLut(path, Lut, -1), ELUTError) << size;
  }
}

TEST_F(CubeFormats, OneNodeGridLoadsAndEvaluates) {
  std::string path = Dir.Write("one.cube", "LUT_3D_SIZE 1\n0.25 0.5 0.75\n");
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.Size3D, 1);
  EXPECT_EQ(Lut.Evaluate({0.9, 0.1, 1.0}), (TRGB{0.25, 0.5, 0.75}));
}

TEST_F(CubeFormats, BadSizeTextIsAConversionError) {
  for (const char* line : {"LUT_3D_SIZE 17 17", "LUT_3D_SIZE", "LUT_3D_SIZE abc"}) {
    std::string path = Dir.Write("bad.cube", std::string(line) + "\n");
    try {
      LoadLut(path, Lut, -1);
      FAIL() << line;
    } catch (const EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find("is not a valid integer value"), std::string::npos);
    }
  }
}

TEST_F(CubeFormats, SizeKeywordBeyondTheFirst4096BytesIsNotDetected) {
  std::string comments;
  while (comments.size() < 4100) comments += "# a long comment block line\n";
  std::string path = Dir.Write("late.cube", comments + "LUT_3D_SIZE 2\n" + kIdentity2);
  EXPECT_EQ(DetectFormat(path), -1);
  // The reader itself reads the whole file.
  LoadLut(path, Lut, Index("Cube 3D"));
  EXPECT_EQ(Lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
}

TEST_F(CubeFormats, VltFilesAreNeverCube3D) {
  std::string body = std::string("LUT_3D_SIZE 2\n") +
                     "0 0 0\n4095 0 0\n0 4095 0\n4095 4095 0\n0 0 4095\n4095 0 4095\n"
                     "0 4095 4095\n4095 0 2047.5\n";
  std::string lower = Dir.Write("look.vlt", body);
  std::string upper = Dir.Write("LOOK.VLT", body);
  EXPECT_EQ(DetectFormat(lower), Index("Panasonic 3D"));
  EXPECT_EQ(DetectFormat(upper), Index("Panasonic 3D"));
  EXPECT_FALSE(GetFormat(Index("Cube 3D"))->IsFormat(lower));
  LoadLut(upper, Lut, -1);
  EXPECT_EQ(Lut.GetNode(1, 1, 1), (TRGB{1.0, 0.0, 0.5}));
  EXPECT_EQ(Lut.GetNode(1, 0, 0), (TRGB{1.0, 0.0, 0.0}));
}

TEST_F(CubeFormats, PanasonicWriterRoundsHalfToEvenWithoutClamping) {
  Lut.Kind = lk3D;
  Lut.Size3D = 1;
  Lut.SetNode(0, 0, 0, {0.5, 1.2, -0.1});
  Lut.Comments = {"note"};
  std::string path = Dir.File("out.vlt");
  SaveLut(path, Lut, ProfileNamed("Panasonic 3D vlt, Varicam"), -1);
  EXPECT_EQ(test::ReadFile(path),
            "# note\n# Converted by Vorn LUT Converter\n\nLUT_3D_SIZE 1\n\n2048 4914 -410\n");
}

TEST_F(CubeFormats, TruelightWidthLineGivesTheSize) {
  std::string values;
  for (int i = 0; i < 17 * 17 * 17; ++i) values += "0.5 0.25 " + std::to_string(i) + "\n";
  std::string path =
      Dir.Write("t.cube",
                "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n# width     17 17 17\n\n"
                "# Cube\n" +
                    values + "9 9 9\n# end\n");
  EXPECT_EQ(DetectFormat(path), Index("Cube 3D Truelight"));
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.Size3D, 17);
  EXPECT_TRUE(Lut.Comments.empty());
  EXPECT_EQ(Lut.GetNode(16, 16, 16).B, 17 * 17 * 17 - 1);
  EXPECT_EQ(Lut.GetNode(1, 0, 0).B, 1);
  EXPECT_EQ(Lut.GetNode(0, 1, 0).B, 17);
}

TEST_F(CubeFormats, TruelightWidthAbove100IsRefused) {
  std::string path = Dir.Write("big.cube", "# iDims 3\n# oDims 3\n# width 101 101 101\n0 0 0\n");
  try {
    LoadLut(path, Lut, -1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("more than 100x100x100"), std::string::npos);
  }
  std::string nonumber = Dir.Write("nonum.cube", "# iDims 3\n# oDims 3\n# width\n");
  EXPECT_EQ(DetectFormat(nonumber), -1);
  EXPECT_THROW(LoadLut(nonumber, Lut, Index("Cube 3D Truelight")), EConvertError);
}

TEST_F(CubeFormats, CubeWriterOutput) {
  Lut.Kind = lk3D;
  Lut.Size3D = 1;
  Lut.SetNode(0, 0, 0, {0.0000005, -0.25, 1.5});
  Lut.Comments = {"look", ""};
  std::string path = Dir.File("out.cube");
  SaveLut(path, Lut, ProfileNamed("Cube 3D Davinci"), -1);
  EXPECT_EQ(test::ReadFile(path),
            "# look\n# \n# Converted by Vorn LUT Converter\n\nLUT_3D_SIZE 1\n"
            "0.000001 -0.250000 1.500000\n");
}

TEST_F(CubeFormats, WritersEmitRedFastest) {
  FillTestGrid(Lut, 2);
  std::string path = Dir.File("order.cfe");
  SaveLut(path, Lut, ProfileNamed("FSI CFE (Flanders Scientific) 3D"), -1);
  TTextFile text;
  text.Load(path);
  ASSERT_EQ(text.Count(), 5u + 8u);
  EXPECT_EQ(text[0], "LUT_3D_AUTHOR Vorn LUT Converter");
  EXPECT_EQ(text[1], "LUT_3D_MODEL CM240");
  EXPECT_EQ(text[2], "LUT_3D_VERSION 2.0.0");
  EXPECT_EQ(text[3], "LUT_3D_SIZE 2");
  EXPECT_EQ(text[4], "");
  auto line = [&](int r, int g, int b) {
    TRGB v = Lut.GetNode(r, g, b);
    return FormatFixed(6, v.R) + " " + FormatFixed(6, v.G) + " " + FormatFixed(6, v.B);
  };
  EXPECT_EQ(text[5], line(0, 0, 0));
  EXPECT_EQ(text[6], line(1, 0, 0));
  EXPECT_EQ(text[7], line(0, 1, 0));
  EXPECT_EQ(text[9], line(0, 0, 1));
}

TEST_F(CubeFormats, TruelightWriterOutput) {
  FillTestGrid(Lut, 2);
  Lut.Comments = {"not written"};
  std::string path = Dir.File("tl.cube");
  SaveLut(path, Lut, ProfileNamed("Cube 3D Truelight"), -1);
  TTextFile text;
  text.Load(path);
  ASSERT_EQ(text.Count(), 6u + 8u + 2u);
  EXPECT_EQ(text[0], "# Truelight Cube v2.0");
  EXPECT_EQ(text[1], "# iDims     3");
  EXPECT_EQ(text[2], "# oDims     3");
  EXPECT_EQ(text[3], "# width     2 2 2");
  EXPECT_EQ(text[4], "");
  EXPECT_EQ(text[5], "# Cube");
  EXPECT_EQ(text[14], "# end");
  EXPECT_EQ(text[15], "# Converted by Vorn LUT Converter");
}

TEST_F(CubeFormats, EveryProfileRoundTripsThroughItsOwnReader) {
  FillTestGrid(Lut, 5);
  Lut.Comments = {"grade v3"};
  const std::set<std::string> cubeFamily = {"Cube 3D Truelight", "Cube 3D",
                                            "FSI CFE (Flanders Scientific) 3D", "Panasonic 3D"};
  for (const auto& profile : OutputProfiles()) {
    if (cubeFamily.count(GetFormat(profile->FormatIndex)->Name) == 0) continue;
    std::string path = Dir.File("rt." + profile->Extension);
    SaveLut(path, Lut, *profile, -1);
    TLUT back;
    LoadLut(path, back, -1);
    ASSERT_EQ(back.FormatIndex, profile->FormatIndex) << profile->Name;
    ASSERT_EQ(back.Size3D, 5);
    const bool integer = profile->Extension == "vlt";
    const double tolerance = integer ? 0.5 / 4095 + 1e-12 : 5e-7 + 1e-12;
    for (int r = 0; r < 5; ++r)
      for (int g = 0; g < 5; ++g)
        for (int b = 0; b < 5; ++b) {
          TRGB e = Lut.GetNode(r, g, b), a = back.GetNode(r, g, b);
          ASSERT_NEAR(a.R, e.R, tolerance) << profile->Name;
          ASSERT_NEAR(a.G, e.G, tolerance) << profile->Name;
          ASSERT_NEAR(a.B, e.B, tolerance) << profile->Name;
        }
    const bool keepsComments =
        profile->Extension == "vlt" || profile->FormatIndex == Index("Cube 3D");
    if (keepsComments) {
      EXPECT_EQ(back.Comments,
                (std::vector<std::string>{"grade v3", "Converted by Vorn LUT Converter"}))
          << profile->Name;
    } else {
      EXPECT_TRUE(back.Comments.empty()) << profile->Name;
    }
  }
}

TEST_F(CubeFormats, SavingAReadBackFileRepeatsTheConvertedLine) {
  FillTestGrid(Lut, 2);
  std::string first = Dir.File("a.cube");
  SaveLut(first, Lut, ProfileNamed("Cube 3D Davinci"), -1);
  TLUT back;
  LoadLut(first, back, -1);
  std::string second = Dir.File("b.cube");
  SaveLut(second, back, ProfileNamed("Cube 3D Davinci"), -1);
  TTextFile text;
  text.Load(second);
  EXPECT_EQ(text[0], "# Converted by Vorn LUT Converter");
  EXPECT_EQ(text[1], "# Converted by Vorn LUT Converter");
}

TEST_F(CubeFormats, OneNodeRecordWritesOneGridLine) {
  Lut.Kind = lk3D;
  Lut.Size3D = 1;
  std::string path = Dir.File("one.cube");
  SaveLut(path, Lut, ProfileNamed("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke"), -1);
  TTextFile text;
  text.Load(path);
  ASSERT_EQ(text.Count(), 4u);
  EXPECT_EQ(text[3], "0.000000 0.000000 0.000000");
}

TEST_F(CubeFormats, FsiCfeOutputIsNotCube3D) {
  FillTestGrid(Lut, 2);
  std::string path = Dir.File("m.cfe");
  SaveLut(path, Lut, ProfileNamed("FSI CFE (Flanders Scientific) 3D"), -1);
  EXPECT_FALSE(GetFormat(Index("Cube 3D"))->IsFormat(path));
  EXPECT_EQ(DetectFormat(path), Index("FSI CFE (Flanders Scientific) 3D"));
}

TEST_F(CubeFormats, NucodaFilesBelongToNoCubeReader) {
  std::string path =
      Dir.Write("n.cms", std::string("NUCODA_3D_CUBE 2\nLUT_3D_SIZE 2\n") + kIdentity2);
  for (const char* name :
       {"Cube 3D", "Cube 3D Truelight", "FSI CFE (Flanders Scientific) 3D", "Panasonic 3D"}) {
    EXPECT_FALSE(GetFormat(Index(name))->IsFormat(path)) << name;
  }
}

TEST_F(CubeFormats, LoadingASmallerGridAfterALargerOneLeavesOldValuesUnused) {
  FillTestGrid(Lut, 5);
  std::string path = Dir.Write("id.cube", std::string("LUT_3D_SIZE 2\n") + kIdentity2);
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.Size3D, 2);
  EXPECT_NE(Lut.GetNode(4, 4, 4), (TRGB{0, 0, 0}));  // left in place
  EXPECT_EQ(Lut.Evaluate({1, 1, 1}), (TRGB{1, 1, 1}));
}

TEST_F(CubeFormats, AWriteFailureNamesTheFile) {
  FillTestGrid(Lut, 2);
  std::string path = Dir.File("no-such-folder/out.cube");
  try {
    SaveLut(path, Lut, ProfileNamed("Cube 3D Davinci"), -1);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
  }
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// A 1D shaper announced above the grid size is read into the table before the grid.
TEST_F(CubeFormats, ShaperBeforeTheGridMakesA1DAnd3DRecord) {
  std::string path = Dir.Write(
      "shaper.cube",
      std::string("LUT_1D_SIZE 3\nLUT_3D_SIZE 2\n0 0 0\n0.25 0.5 0.75\n1 1 1\n") + kIdentity2);
  LoadLut(path, Lut, -1);
  EXPECT_EQ(Lut.FormatIndex, Index("Cube 3D"));
  EXPECT_EQ(Lut.Kind, lk1DAnd3D);
  EXPECT_EQ(Lut.Size1D, 3);
  EXPECT_EQ(Lut.Size3D, 2);
  EXPECT_EQ(Lut.GetEntry(1), (TRGB{0.25, 0.5, 0.75}));
  EXPECT_EQ(Lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
  EXPECT_EQ(Lut.Evaluate({0.5, 0.5, 0.5}), (TRGB{0.25, 0.5, 0.75}));
  // The shaper's lines count: without the grid's last line the file is incomplete.
  std::string shortPath = Dir.Write(
      "short.cube", std::string("LUT_1D_SIZE 3\nLUT_3D_SIZE 2\n0 0 0\n0.5 0.5 0.5\n1 1 1\n") +
                        std::string(kIdentity2, 6 * 7));
  EXPECT_THROW(LoadLut(shortPath, Lut, -1), ELUTError);
  EXPECT_EQ(Lut.Kind, lk1DAnd3D);
  EXPECT_EQ(Lut.Size1D, 3);
  std::string bad = Dir.Write("bad.cube", "LUT_1D_SIZE 1000000\nLUT_3D_SIZE 2\n");
  EXPECT_THROW(LoadLut(bad, Lut, -1), ELUTError);
}

TEST_F(CubeFormats, UnusableShaperSizeLinesAreIgnored) {
  for (const char* header :
       {"TITLE \"LUT_1D_SIZE demo\"\n", "LUT_1D_SIZE 1\n", "LUT_1D_SIZE x\n", "LUT_1D_SIZE\n"}) {
    std::string path = Dir.Write("s.cube", std::string(header) + "LUT_3D_SIZE 2\n" + kIdentity2);
    LoadLut(path, Lut, -1);
    EXPECT_EQ(Lut.Kind, lk3D) << header;
    EXPECT_EQ(Lut.GetNode(1, 0, 0), (TRGB{1, 0, 0})) << header;
  }
}

}  // namespace
}  // namespace vorn
