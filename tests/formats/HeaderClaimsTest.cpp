// Which files the keyword formats claim: keywords count only where a format puts them, so
// prose about LUTs is never taken for a LUT, while every real file of the corpus is still
// claimed by a format of its kind.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using enum TKeywordPlace;
using enum TKeywordValue;

TEST(HeaderClaims, KeywordsCountWhereTheyStand) {
  const struct {
    const char* Head;
    THeaderKeyword Wanted;
    bool Claimed;
  } cases[] = {
      {"# header\nlut_3d_size 17\n", {"LUT_3D_SIZE", LineStart, Integer}, true},
      {"  \tLUT_3D_SIZE\t33\r\n", {"LUT_3D_SIZE", LineStart, Integer}, true},
      {"\xEF\xBB\xBFLUT_3D_SIZE 2\n", {"LUT_3D_SIZE", LineStart, Integer}, true},
      {"Text\rLUT_3D_SIZE 2\r", {"LUT_3D_SIZE", LineStart, Integer}, true},
      {"The LUT_3D_SIZE 17 line\n", {"LUT_3D_SIZE", LineStart, Integer}, false},
      {"LUT_3D_SIZE_X 17\n", {"LUT_3D_SIZE", LineStart, Word}, false},
      {"LUT_3D_SIZE\n", {"LUT_3D_SIZE", LineStart, Word}, true},
      {"LUT_3D_SIZE\n", {"LUT_3D_SIZE", LineStart, Integer}, false},
      {"LUT_3D_SIZE\n17\n", {"LUT_3D_SIZE", LineStart, Integer}, false},
      {"NOT LUT_3D_SIZE 2\nLUT_3D_SIZE 5\n", {"LUT_3D_SIZE", LineStart, Integer}, true},
      {"Max value of the grid is 1\n", {"max value", LineStart, Integer}, false},
      {"max value 4095\n", {"max value", LineStart, Integer}, true},
      {"Lut3D: -2\n", {"Lut3D:", LineStart, Integer}, true},
      {"LUT: 3 1024\n", {"LUT:", LineStart, Integer}, true},
      {"LUT: the show's look\n", {"LUT:", LineStart, Integer}, false},
      {"#elements = 27\n", {"elements", CommentLine, Integer}, true},
      {"# width 33 33 33\n", {"width", CommentLine, Integer}, true},
      {"width 33\n", {"width", CommentLine, Integer}, false},
      {" \t# \twidth 33\n", {"width", CommentLine, Integer}, true},
      {"# # width 33\n", {"width", CommentLine, Integer}, false},
      {"x # width 33\n", {"width", CommentLine, Integer}, false},
      {"channel 3d  \n", {"channel 3d", LineStart, Nothing}, true},
      {"channel 3d, then more\n", {"channel 3d", LineStart, Nothing}, false},
      {"\n\nR\tG\tB - HDLINK GAMMA TABLE\n", {"HDLINK", FirstLine, Word}, true},
      {"Notes\nHDLINK\n", {"HDLINK", FirstLine, Word}, false},
      {"<?xml?>\n<lut name='a'>", {"<lut", XmlTag, Word}, true},
      {"<ColorCorrectionCollection>", {"<ColorCorrection", XmlTag, Word}, false},
      {"Notes: <lut> in prose\n", {"<lut", XmlTag, Word}, false},
      {"a <IRIDAScript> b", {"<IRIDAScript>", Anywhere, Word}, true},
      {"", {"LUT_3D_SIZE", LineStart, Word}, false},
  };
  test::TempDir dir;
  for (const auto& c : cases) {
    const std::string path = dir.Write("head.txt", c.Head);
    EXPECT_EQ(HasHeaderLines(path, {c.Wanted}), c.Claimed) << c.Head;
  }
}

TEST(HeaderClaims, ExcludedKeywordsAndTheHeadsLength) {
  test::TempDir dir;
  const std::string both = dir.Write("both.cube", "LUT_3D_SIZE 2\nLUT_3D_VERSION 2.0\n");
  EXPECT_TRUE(HasHeaderLines(both, {{"LUT_3D_SIZE"}, {"LUT_3D_VERSION", LineStart, Word}}));
  EXPECT_FALSE(HasHeaderLines(both, {{"LUT_3D_SIZE"}}, {{"LUT_3D_VERSION", LineStart, Word}}));
  EXPECT_FALSE(HasHeaderLines(both, {{"LUT_3D_SIZE"}, {"LUT_1D_SIZE"}}));
  const std::string late = dir.Write("late.cube", std::string(4090, '#') + "\nLUT_3D_SIZE 2\n");
  EXPECT_FALSE(HasHeaderLines(late, {{"LUT_3D_SIZE", LineStart, Word}}));
}

// Files a user keeps beside their LUTs.
TEST(HeaderClaims, ProseIsNeverTakenForALut) {
  const char* const prose[] = {
      "Notes on the LUT format: 3D, per-channel curves\n",
      "# Sample LUTs\n\nA 3D mesh (3DMESH) with LUT_3D_SIZE 33 and LUT_1D_SIZE 1024 lines;\n"
      "the channel 3d format lut values, max value and vertices, table type, gMax, gSize,\n"
      "F5LT, HDLink, Lut3D: and LUT: keywords, NUCODA_3D_CUBE and 3DLUTSIZE, lutS cubeS.\n"
      "iDims oDims width lutLength; channels: c3; <lut> <maximum> <cube> <look> <shaders>\n",
      "MIT License\n\nPermission is hereby granted, free of charge, to any person obtaining a "
      "copy of this LUT software\n",
      "name,size,format\nshow look,33,LUT_3D_SIZE\nmax value,4095,LUT:\n",
      "{\"lut\": {\"LUT_3D_SIZE\": 33, \"channels: c3\": true, \"format lut\": 1}}\n",
      "#!/bin/sh\n# Converts every LUT: Lut3D: 33\nfor f in *.cube; do vorn-lut convert \"$f\"; "
      "done\n",
      "",
  };
  test::TempDir dir;
  for (const char* text : prose) {
    EXPECT_EQ(DetectFormat(dir.Write("notes.txt", text)), -1) << text;
  }
  for (const char* readme : {"assets/samples/README.md", "docs/robustness.md"}) {
    EXPECT_EQ(DetectFormat(std::string(VORN_SOURCE_DIR) + "/" + readme), -1) << readme;
  }
}

// Every real file whose extension names a format we read is claimed, by a format of that kind.
TEST(HeaderClaims, EveryCorpusLutIsClaimedByItsKind) {
  const std::string corpus = test::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the shared corpus of real LUT files is not present";
  const std::map<std::string, std::set<std::string>> kinds = {
      {".cube", {"Cube 3D", "Cube 1D"}},
      {".3dl", {"3DL", "Autodesk Lustre 3D"}},
      {".cdl", {"ASC CDL"}},
      {".lut", {"Autodesk Lustre 1D", "Codex 1D, Scratch 1D"}},
      {".m3d", {"Pandora 3D, Technicolor"}},
  };
  int claimed = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    const auto kind = kinds.find(entry.path().extension().string());
    if (!entry.is_regular_file() || kind == kinds.end()) continue;
    const int format = DetectFormat(entry.path().string());
    ASSERT_GE(format, 0) << entry.path();
    EXPECT_TRUE(kind->second.contains(GetFormat(format)->Name)) << entry.path();
    ++claimed;
  }
  EXPECT_GT(claimed, 0);
}

// The cubes Debian's video tools ship load as the grids or tables they are.
TEST(HeaderClaims, TheLutsOfDebianPackagesLoad) {
  int loaded = 0;
  for (const char* folder :
       {"/usr/share/kdenlive/luts", "/usr/share/obs/obs-plugins/obs-filters/LUTs"}) {
    if (!std::filesystem::is_directory(folder)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() != ".cube") continue;
      TLUT lut;
      LoadLutFile(entry.path().string(), lut);
      EXPECT_TRUE(lut.HasGrid() || lut.HasTable()) << entry.path();
      ++loaded;
    }
  }
  if (loaded == 0) GTEST_SKIP() << "kdenlive-data and obs-studio are not installed";
}

}  // namespace
}  // namespace vorn
