// The 1D text formats: a table of small files for the readers (detection, sizes, entries,
// comments, refusals), a table of writer outputs, and the real files of the shared corpus.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

std::string Repeat(const std::string& line, int count) {
  std::string text;
  text.reserve(line.size() * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

const char* const kTooLarge =
    "The 1D size 100002 is too large: a 1D table holds at most 100001 "
    "entries.";

struct TReadCase {
  const char* File;  // the name says the extension
  std::string Text;
  const char* Format;  // the detected format; null: no format claims the file
  int Size;            // Size1D after the load (also after an "Incomplete file.")
  std::vector<std::pair<int, TRGB>> Entries = {};
  std::vector<std::string> Comments = {};
  const char* Error = nullptr;  // the load's message
};

std::vector<TReadCase> ReadCases() {
  const double k16 = 65535.0;
  const double k12 = 4095.0;
  const double k10 = 1023.0;
  return {
      // Cube 1D: comments kept, keyword lines other than the size ignored, extra lines too.
      {"look.cube",
       "# first\nTITLE \"x\"\n  #   second  \nLUT_1D_SIZE 3\nDOMAIN_MIN 0 0 0\n0 0 0\n"
       "0.5 0.25 1e-3\n# late\n1 1.5 -2\n9 9 9\n",
       "Cube 1D",
       3,
       {{1, {0.5, 0.25, 0.001}}, {2, {1, 1.5, -2}}},
       {"first", "second", "late"}},
      {"later.cube",
       "LUT_1D_SIZE 2\n0 0 0\n1 1 1\nlut_1d_size 3\n0.5 0.5 0.5\n",
       "Cube 1D",
       3,
       {{1, {1, 1, 1}}, {2, {0.5, 0.5, 0.5}}}},
      {"short.cube", "LUT_1D_SIZE 3\n0 0 0\n1 1 1\n", "Cube 1D", 3, {}, {}, kIncompleteFile},
      // A size keyword in a comment is no size line: no format claims the file.
      {"nosize.cube", "# LUT_1D_SIZE 2\n0 0 0\n1 1 1\n", nullptr},
      {"big.cube", "LUT_1D_SIZE 100002\n0 0 0\n", "Cube 1D", -9, {}, {}, kTooLarge},
      {"x.cube", "LUT_1D_SIZE 2x\n", "Cube 1D", -9, {}, {}, "'2x' is not a valid integer value"},

      // Codex 1D: channel by channel, or one grey channel; codes over entries - 1.
      {"rgb.dat",
       "# made by hand\nLUT: 3 4\n\n0\n1\n  2\n3\n3\n2\n1\n0\n0\n3\n0 x\n0\n3\n",
       "Codex 1D, Scratch 1D",
       4,
       {{0, {0, 1, 0}}, {1, {1.0 / 3, 2.0 / 3, 1}}, {3, {1, 0, 1}}},
       {"made by hand"}},
      {"grey.dat",
       "LUT:\t1 3\n# ignored\n0\n1\n2\n",
       "Codex 1D, Scratch 1D",
       3,
       {{1, {0.5, 0.5, 0.5}}, {2, {1, 1, 1}}}},
      {"wide.dat",
       "LUT: 1 4096\n" + Repeat("1023\n", 4096),
       "Codex 1D, Scratch 1D",
       4096,
       {{4095, {1023 / k12, 1023 / k12, 1023 / k12}}}},
      // A third number is the output depth, counted in codes: 256 codes reach 255.
      {"two.dat", "LUT: 3 256 256\n0\n", "Codex 1D, Scratch 1D", 256, {}, {}, kIncompleteFile},
      {"depth.dat",
       "LUT: 3 2 1024\n0\n1023\n1023\n0\n512\n512\n",
       "Codex 1D, Scratch 1D",
       2,
       {{0, {0, 1, 512 / k10}}, {1, {1, 0, 512 / k10}}}},
      {"greydepth.dat",
       "LUT: 1\t3\t4096\n0\n4095\n8190\n",
       "Codex 1D, Scratch 1D",
       3,
       {{1, {1, 1, 1}}, {2, {2, 2, 2}}}},
      {"onecode.dat",
       "LUT: 3 2 1\n0\n",
       "Codex 1D, Scratch 1D",
       -9,
       {},
       {},
       "The output depth 1 is not valid: the codes need two values at least."},
      {"floatdepth.dat",
       "LUT: 3 2 65536f\n0\n",
       "Codex 1D, Scratch 1D",
       -9,
       {},
       {},
       "'65536f' is not a valid integer value"},
      {"one.dat",
       "LUT: 1 1\n5\n",
       "Codex 1D, Scratch 1D",
       -9,
       {},
       {},
       "The 1D size 1 is not valid: a 1D LUT needs at least 2 entries."},
      {"none.dat",
       "LUT: 3 0\n",
       "Codex 1D, Scratch 1D",
       -9,
       {},
       {},
       "The 1D size 0 is not valid: a 1D LUT needs at least 2 entries."},
      {"huge.dat", "LUT: 3 100002\n", "Codex 1D, Scratch 1D", -9, {}, {}, kTooLarge},
      {"cut.dat", "LUT: 3 2\n0\n1\n0\n", "Codex 1D, Scratch 1D", 2, {}, {}, kIncompleteFile},

      // Lustre 1D: the index column is skipped, entries are counted in file order.
      {"a.lut",
       "LUT16\n\n# note\n5 0 32768 65535\n6 65535 0 0\nnot an entry\n",
       "Autodesk Lustre 1D",
       2,
       {{0, {0, 32768 / k16, 1}}, {1, {1, 0, 0}}}},
      {"b.lut",
       "# head\nLUT12\n0 0 2048 4095\n",
       "Autodesk Lustre 1D",
       1,
       {{0, {0, 2048 / k12, 1}}}},
      {"lower.lut", "lut16\n0 0 0 0\n", "Autodesk Lustre 1D", 0, {}, {}, kIncompleteFile},
      {"header.lut", "LUT16\n\n", "Autodesk Lustre 1D", 0, {}, {}, kIncompleteFile},
      {"empty.lut", "LUT16\nnothing here\n", "Autodesk Lustre 1D", 0},
      {"many.lut",
       "LUT16\n" + Repeat("0 1 1 1\n", 100002),
       "Autodesk Lustre 1D",
       -9,
       {},
       {},
       kTooLarge},

      // Filmlight: the size in a comment line; other comments are not kept.
      {"f.cube",
       "# Truelight Cube v2.0\n# lutLength 3\n# iDims     3\n\n# InputLUT\n0 0 0\n0.5 0.5 0.5\n"
       "1 1 1\n# end\n",
       "Filmlight Truelight 1D",
       3,
       {{1, {0.5, 0.5, 0.5}}}},
      {"fshort.cube",
       "# iDims 3\n# lutLength 3\n0 0 0\n",
       "Filmlight Truelight 1D",
       3,
       {},
       {},
       kIncompleteFile},

      // Quantel: the largest code and the size from the header.
      {"q.txt",
       "table type\t2\n\ngMax\t1023\ngSize\t2\n\ngamma\nr\tg\tb\n0 0 0\n1023 512 1\n",
       "Quantel 1D",
       2,
       {{1, {1, 512 / k10, 1 / k10}}}},
      {"q0.txt",
       "table type 2\ngMax 0\ngSize 2\n0 0 0\n",
       "Quantel 1D",
       -9,
       {},
       {},
       "The largest code value 0 is not valid: it must be at least 1."},

      // S.two: the elem children of lut/data, 10-bit codes, absent attributes read 0.
      {"s.swto.xml",
       "<?xml version=\"1.0\"?>\n<lut name=\"x\">\n<data>\n<elem r=\"0\" g=\"1023\" "
       "b=\"512\"/>\n<other/>\n<ELEM r='1023'/>\n</data>\n</lut>\n",
       "S.two 1D",
       2,
       {{0, {0, 1, 512 / k10}}, {1, {1, 0, 0}}}},
      {"nodata.xml",
       "<lut><elem/></lut><!-- <data> -->",
       "S.two 1D",
       -9,
       {},
       {},
       "The \"data\" node is not found"},
      {"nothing.xml", "<lut><data></data><elem/></lut>", "S.two 1D", 0},
      {"many.xml",
       "<lut><data>" + Repeat("<elem/>", 100002) + "</data></lut>",
       "S.two 1D",
       -9,
       {},
       {},
       kTooLarge},
      {"word.xml",
       "<lut><data><elem r=\"red\"/></data></lut>",
       "S.two 1D",
       -9,
       {},
       {},
       "'red' is not a valid floating point value"},

      // Colorfront OSD: known by its extension, entries counted.
      {"c.1dlut",
       "# c\n0 0 0\nbad line\n1 0.5 0.25\n",
       "Colorfront OSD 1D",
       2,
       {{1, {1, 0.5, 0.25}}}},
      {"c.1DLUT", "# only a comment\n", "Colorfront OSD 1D", -1, {}, {}, kIncompleteFile},
      {"big.1dlut", Repeat("0 0 0\n", 100002), "Colorfront OSD 1D", -9, {}, {}, kTooLarge},

      // Fusion: "i R i G i B"; an index after two blanks spoils the line.
      {"f.alut",
       "F5LT\n\n16\n\n0 0 0 65535 0 32768\n1 65535  1 65535 1 0\n2 65535 2 65535 2 65535\n",
       "Fusion 1D",
       2,
       {{0, {0, 1, 32768 / k16}}, {1, {1, 1, 1}}}},
      {"f0.alut",
       "F5LT\n0\n0 0 0 0 0 0\n",
       "Fusion 1D",
       -9,
       {},
       {},
       "The bit depth 0 is not valid: integer codes have 1 to 32 bits."},

      // Blackmagic: lines starting with a digit are entries, in thousandths.
      {"b.txt",
       "R\tG\tB - HDLINK GAMMA TABLE\n   512.00 512.00 512.00\n-5 0 0\nx\n1000 0 250.5\n",
       "Blackmagic HDLink 1D",
       2,
       {{0, {0.512, 0.512, 0.512}}, {1, {1, 0, 0.2505}}}},

      // DaVinci Resolve: three leading codes, whatever follows them.
      {"d.ilut",
       "# c\n0 0 0 extra\n16383 8191,0\n",
       "DaVinci Resolve ilut 1D",
       2,
       {{1, {1, 8191 / 16383.0, 0}}}},
      {"d.OLUT", "4095 0 2048\n", "DaVinci Resolve olut 1D", 1, {{0, {1, 0, 2048 / k12}}}},
  };
}

TEST(Text1DReaders, SmallFiles) {
  test::TempDir dir;
  TLUT lut;
  for (const TReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.File);
    const std::string path = dir.Write(c.File, c.Text);
    ASSERT_EQ(DetectFormat(path), c.Format ? IndexOfFormat(c.Format) : -1);
    if (c.Format == nullptr) continue;
    lut.Size1D = -9;
    try {
      LoadLut(path, lut, -1);
      ASSERT_EQ(c.Error, nullptr) << "loaded";
      EXPECT_EQ(lut.FormatIndex, IndexOfFormat(c.Format));
    } catch (const Exception& error) {
      ASSERT_NE(c.Error, nullptr) << error.what();
      EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), c.Error);
      EXPECT_EQ(lut.FormatIndex, -1);
    }
    if (c.Size != -9) {
      EXPECT_EQ(lut.Kind, lk1D);
    }
    EXPECT_EQ(lut.Size1D, c.Size);
    for (const auto& [index, expected] : c.Entries) {
      const TRGB entry = lut.GetEntry(index);
      EXPECT_DOUBLE_EQ(entry.R, expected.R) << index;
      EXPECT_DOUBLE_EQ(entry.G, expected.G) << index;
      EXPECT_DOUBLE_EQ(entry.B, expected.B) << index;
    }
    EXPECT_EQ(lut.Comments, c.Comments);
  }
}

// Files that name a format's keyword but belong to another format.
TEST(Text1DReaders, ExcludedKeywordsKeepAFormatOff) {
  test::TempDir dir;
  const std::string nucoda = dir.Write("n.cms", "NUCODA_3D_CUBE 2\nLUT_1D_SIZE 2\n0 0 0\n1 1 1\n");
  EXPECT_FALSE(GetFormat(IndexOfFormat("Cube 1D"))->IsFormat(nucoda));
  const std::string script = dir.Write("s.ilut", "<IRIDAScript>\n0 0 0\n");
  EXPECT_FALSE(GetFormat(IndexOfFormat("DaVinci Resolve ilut 1D"))->IsFormat(script));
  EXPECT_TRUE(GetFormat(IndexOfFormat("DaVinci Resolve ilut 1D"))
                  ->IsFormat(dir.Write("s.ILUT", "0 0 0\n")));
  for (const char* name : {"Nucoda 1D", "Cine-tal 1D", "Shake 1D"}) {
    EXPECT_FALSE(GetFormat(IndexOfFormat(name))->IsFormat(dir.Write("w.txt", "0 0 0\n")));
  }
}

// The largest table is taken whole, by a size header and by counted lines alike.
TEST(Text1DReaders, TheLargestTableLoads) {
  test::TempDir dir;
  TLUT lut;
  LoadLut(dir.Write("max.cube", "LUT_1D_SIZE 100001\n" + Repeat("0.5 0.5 0.5\n", 100001)), lut);
  EXPECT_EQ(lut.Size1D, TLUT::MaxTableEntries);
  LoadLut(dir.Write("max.1dlut", Repeat("0.25 0.25 0.25\n", 100001)), lut);
  EXPECT_EQ(lut.Size1D, TLUT::MaxTableEntries);
  EXPECT_EQ(lut.GetEntry(100000), (TRGB{0.25, 0.25, 0.25}));
}

// ---- Writers -----------------------------------------------------------------------------------

struct TWriteCase {
  const char* Profile;
  const char* File;
  int Bits;  // -1: the profile's default
  const char* Text;
};

const TWriteCase kWriteCases[] = {
    {"Cube 1D", "a.cube", -1,
     "# note\n# Converted by Vorn LUT Converter\n\nLUT_1D_SIZE 3\n0.000000 0.250000 0.200000\n"
     "0.500000 0.500000 0.500000\n1.000000 -0.001000 1.200000\n"},
    {"Autodesk Lustre 1D", "a.lut", -1,
     "LUT16\n\n# Converted by Vorn LUT Converter\n\n0 0 16384 13107\n1 32768 32768 32768\n"
     "2 65535 0 65535\n"},
    {"Autodesk Lustre 1D", "a.lut", 12,
     "LUT12\n\n# Converted by Vorn LUT Converter\n\n0 0 1024 819\n1 2048 2048 2048\n"
     "2 4095 0 4095\n"},
    {"Blackmagic HDLink 1D", "a.txt", -1,
     "R\tG\tB - HDLINK GAMMA TABLE\n0.00 250.00 200.00\n500.00 500.00 500.00\n"
     "1000.00 -1.00 1200.00\n"},
    {"Cine-tal 1D", "a.txt", -1, "0 256 205\n512 512 512\n1023 0 1023\n"},
    {"Codex 1D, Sony SRW-1, Scratch 1D", "a.dat", -1,
     "# Converted by Vorn LUT Converter\n\nLUT: 3 3\n\n0\n512\n1023\n256\n512\n-1\n205\n512\n"
     "1228\n"},
    {"Colorfront OSD 1D", "a.1dlut", -1,
     "0.000000 0.250000 0.200000\n0.500000 0.500000 0.500000\n1.000000 -0.001000 1.200000\n"},
    {"Filmlight Truelight 1D", "a.cube", -1,
     "# Truelight Cube v2.0\n# lutLength 3\n# iDims     3\n\n# InputLUT\n"
     "0.000000 0.250000 0.200000\n0.500000 0.500000 0.500000\n1.000000 -0.001000 1.200000\n"
     "# end\n# Converted by Vorn LUT Converter\n"},
    {"Fusion 1D", "a.alut", -1,
     "F5LT\n\n16\n\n0 0 0 16384 0 13107\n1 32768 1 32768 1 32768\n2 65535 2 0 2 65535\n"},
    {"Nucoda 1D", "my look.cms", -1,
     "NUCODA_3D_CUBE 2\n\nTITLE \"my look\"\n\nLUT_1D_SIZE 3\n\n0.000000 0.250000 0.200000\n"
     "0.500000 0.500000 0.500000\n1.000000 -0.001000 1.200000\n"},
    {"Quantel 1D", "a.txt", -1,
     "table type\t2\n\ngMax\t1023\ngSize\t3\n\ngamma\nr\tg\tb\n0 256 205\n512 512 512\n"
     "1023 0 1023\n"},
    {"S.two 1D", "R&D look.swto.xml", -1,
     "<?xml version=\"1.0\"?>\n<lut name=\"R&amp;D look.swto\">\n<data>\n"
     "<elem r=\"0\" g=\"256\" b=\"205\"/>\n<elem r=\"512\" g=\"512\" b=\"512\"/>\n"
     "<elem r=\"1023\" g=\"0\" b=\"1023\"/>\n</data>\n</lut>\n"},
    {"Shake 1D", "a.txt", -1, "0 16384 13107\n32768 32768 32768\n65535 0 65535\n"},
};

// Three entries: a tie at every depth (0.5), values between codes, and values outside [0, 1]
// that the integer writers clamp, except Codex 1D.
void FillThreeEntries(TLUT& lut) {
  lut.Kind = lk1D;
  lut.Size1D = 3;
  lut.SetEntry(0, {0, 0.25, 0.2});
  lut.SetEntry(1, {0.5, 0.5, 0.5});
  lut.SetEntry(2, {1, -0.001, 1.2});
  lut.Comments = {"note"};
}

TEST(Text1DWriters, EveryProfileWritesItsLines) {
  test::TempDir dir;
  TLUT lut;
  FillThreeEntries(lut);
  for (const TWriteCase& c : kWriteCases) {
    SCOPED_TRACE(std::string(c.Profile) + " " + std::to_string(c.Bits));
    const std::string path = dir.File(c.File);
    SaveLut(path, lut, ProfileNamed(c.Profile), c.Bits);
    EXPECT_EQ(test::ReadFile(path), c.Text);
  }
}

TEST(Text1DWriters, TheReadOnlyTablesRefuseToWrite) {
  test::TempDir dir;
  TLUT lut;
  FillThreeEntries(lut);
  for (const char* name : {"DaVinci Resolve ilut 1D", "DaVinci Resolve olut 1D"}) {
    const TLUTFormat& format = *GetFormat(IndexOfFormat(name));
    EXPECT_FALSE(format.CanWrite()) << name;
    EXPECT_THROW(format.Save(dir.File("out.ilut"), lut, 10), Exception) << name;
    EXPECT_FALSE(FileExists(dir.File("out.ilut"))) << name;
  }
}

// ---- Real files ----------------------------------------------------------------------------

#define REQUIRE_CORPUS() \
  if (test::CorpusDir().empty()) GTEST_SKIP() << "the shared corpus folder is not there"

struct TCorpusCase {
  const char* Path;  // in the corpus
  const char* Format;
  TLutKind Kind;
  int Size1D;
  std::vector<std::pair<int, TRGB>> Entries;  // checked by hand against the text
  const char* Error = nullptr;
};

TEST(Text1DCorpus, RealFilesLoadOrAreRefusedByTheRules) {
  REQUIRE_CORPUS();
  const double k12 = 4095.0;
  const double k8 = 255.0;
  const std::vector<TCorpusCase> cases = {
      // "LUT: 3 4096", then all red codes, all green codes, all blue codes.
      {"ocio/Test_12to16fp.lut",
       "Codex 1D, Scratch 1D",
       lk1D,
       4096,
       {{0, {0, 0, 0}},
        {1, {8410 / k12, 8410 / k12, 8410 / k12}},
        {2048, {15650 / k12, 15650 / k12, 15650 / k12}},
        {4086, {18023 / k12, 18024 / k12, 18024 / k12}},
        {4095, {18036 / k12, 18036 / k12, 18036 / k12}}}},
      // Both declare "LUT: 3 256 256": 256 entries of codes 0..255 (checked against
      // OpenColorIO in OcioLustre1DPeer); the truncated one ends before its blue codes.
      {"ocio/logtolin_8to8.lut",
       "Codex 1D, Scratch 1D",
       lk1D,
       256,
       {{0, {0, 0, 0}},
        {37, {8 / k8, 8 / k8, 8 / k8}},
        {128, {124 / k8, 124 / k8, 124 / k8}},
        {255, {1, 1, 1}}}},
      {"ocio/error_truncated_file.lut", "Codex 1D, Scratch 1D", lk1D, -9, {}, kIncompleteFile},
      {"ocio/legacy_slog_to_log_v3_lustre.lut",
       "Autodesk Lustre 1D",
       lk1D,
       1024,
       {{1, {1 / k12, 1 / k12, 1 / k12}},
        {17, {16 / k12, 16 / k12, 16 / k12}},
        {517, {2374 / k12, 2374 / k12, 2374 / k12}},
        {1023, {1, 1, 1}}}},
      {"ocio/iridas_1d.cube", "Cube 1D", lk1D, 5, {{0, {-1, -2, -3}}, {4, {1, 2.1, 3.2}}}},
      {"colour-science/iridas_cube/Demo.cube", "Cube 1D", lk1D, 3, {{1, {0.5, 1, 1.5}}}},
      {"colour-science/resolve_cube/Demo.cube", "Cube 1D", lk1D, 3, {{1, {1.5, 1.5, 1.5}}}},
      {"colour-science/resolve_cube/ACES_Proxy_10_to_ACES.cube",
       "Cube 1D",
       lk1D,
       32,
       {{0, {0.0004883, 0.0004883, 0.0004883}}}},
      // A shaper and a grid: the Cube 3D reader is asked first and takes both.
      {"ocio/resolve_1d3d.cube", "Cube 3D", lk1DAnd3D, 6, {}},
  };
  for (const TCorpusCase& c : cases) {
    SCOPED_TRACE(c.Path);
    const std::string path = test::CorpusDir() + "/" + c.Path;
    ASSERT_EQ(DetectFormat(path), IndexOfFormat(c.Format));
    TLUT lut;
    lut.Size1D = -9;
    if (c.Error != nullptr) {
      try {
        LoadLut(path, lut, -1);
        ADD_FAILURE() << "loaded";
      } catch (const Exception& error) {
        EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), c.Error);
      }
      continue;
    }
    LoadLut(path, lut, -1);
    EXPECT_EQ(lut.Kind, c.Kind);
    EXPECT_EQ(lut.Size1D, c.Size1D);
    for (const auto& [index, expected] : c.Entries) {
      const TRGB entry = lut.GetEntry(index);
      EXPECT_DOUBLE_EQ(entry.R, expected.R) << index;
      EXPECT_DOUBLE_EQ(entry.G, expected.G) << index;
      EXPECT_DOUBLE_EQ(entry.B, expected.B) << index;
    }
  }
}

TEST(Text1DCorpus, CommentsOfTheDemoCubesAreKept) {
  REQUIRE_CORPUS();
  TLUT lut;
  LoadLut(test::CorpusDir() + "/colour-science/iridas_cube/Demo.cube", lut);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Comments can go anywhere"});
  LoadLut(test::CorpusDir() + "/colour-science/resolve_cube/Demo.cube", lut);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Comments can't go anywhere"});
}

}  // namespace
}  // namespace vorn
