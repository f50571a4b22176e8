// The 3D text formats of integer codes (Codex, Luther, Clipster) and of real numbers
// (Nucoda, Colorfront OSD, DaVinci DAT): detection, reading with its edge cases and refusals,
// the exact text of every writer, and a Nucoda shaper converted through the shaper and then
// the grid.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/Conversion.h"
#include "core/TextFile.h"
#include "formats/FormatToolkit.h"
#include "platform/Convert.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

// The 2-node identity as blue-fastest R G B lines, which is also how red-fastest B G R lines
// write it; codes of 1.0 are top.
std::string BlueFastestIdentity(const std::string& top) {
  return "0 0 0\n0 0 " + top + "\n0 " + top + " 0\n0 " + top + " " + top + "\n" + top + " 0 0\n" +
         top + " 0 " + top + "\n" + top + " " + top + " 0\n" + top + " " + top + " " + top + "\n";
}

// Red-fastest R G B lines whose node [1][0][0] is (0.7, 0.2, -0.1).
const std::string kRedFastestGrid =
    "0 0 0\n0.7 0.2 -0.1\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
// Red-fastest B G R lines whose node [1][0][0] is (0.3, 0.2, 0.1) and node [0][0][1] is
// (0, 0, 1).
const std::string kBgrGrid = "0 0 0\n0.1 0.2 0.3\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 1\n";

// The text without its last line.
std::string DropLastLine(const std::string& text) {
  return text.substr(0, text.rfind('\n', text.size() - 2) + 1);
}

std::string Repeat(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

struct TNodeCheck {
  int R, G, B;  // for a 1D record: R is the entry
  TRGB Values;
};

struct TLoadCase {
  const char* Name;
  const char* File;  // its extension counts for detection
  std::string Text;
  const char* Format;  // the format detection chooses
  const char* Error;   // the message of a refused file; null when the file loads
  TLutKind Kind = lk3D;
  int Size = 0;  // Size3D, or Size1D of a 1D record
  std::vector<TNodeCheck> Nodes = {};
  std::vector<TNodeCheck> Entries = {};  // table entries of a 1D & 3D record
  std::vector<std::string> Comments = {};
};

std::vector<TLoadCase> LoadCases() {
  return {
      // ---- Codex 3D
      {"Codex: size line in capitals, comments anywhere, codes above 12 bits",
       "c.txt",
       "# first\nLUT3D: 2\n\nR\tG\tB\n0 0 0\n0 0 4095\n0 4095 0\n   # middle \n0 4095 4095\n"
       "4095 0 0\n4095 0 4095\n4095 4095 0\n65535 4095 2047\n9 9 9\n",
       "Codex 3D",
       nullptr,
       lk3D,
       2,
       {{1, 1, 1, {65535 / 4095.0, 1, 2047 / 4095.0}}, {0, 0, 1, {0, 0, 1}}},
       {},
       {"first", "middle"}},
      {"Codex: too few lines", "c.txt", "Lut3D: 2\n0 0 0\n0 0 4095\n", "Codex 3D", kIncompleteFile},
      {"Codex: size above 100", "c.txt", "Lut3D: 101\n0 0 0\n", "Codex 3D", kGridSizeLimitMessage},
      {"Codex: size text", "c.txt", "Lut3D: 2 nodes\n", "Codex 3D",
       "'2 nodes' is not a valid integer value"},
      // ---- Luther 3D
      {"Luther: node count, codes read as 10 bits",
       "l.txt",
       "#channels: c3\n#elements = 8\n# a note\n" + DropLastLine(BlueFastestIdentity("1023")) +
           "4095 1023 0\n",
       "Luther 3D",
       nullptr,
       lk3D,
       2,
       {{1, 1, 1, {4095 / 1023.0, 1, 0}}, {0, 0, 1, {0, 0, 1}}, {1, 0, 0, {1, 0, 0}}}},
      {"Luther: a node count that is not a cube rounds",
       "l.txt",
       "#channels: c3\n#elements =26\n" + Repeat("0 0 1023\n", 27),
       "Luther 3D",
       nullptr,
       lk3D,
       3,
       {{2, 2, 2, {0, 0, 1}}}},
      {"Luther: a blank after the count", "l.txt", "#channels: c3\n#elements = 8 \n", "Luther 3D",
       "' 8 ' is not a valid integer value"},
      {"Luther: 101 nodes per axis", "l.txt", "#channels: c3\n#elements = 1030301\n", "Luther 3D",
       kGridSizeLimitMessage},
      {"Luther: no node count", "l.txt", "#channels: c3\n" + BlueFastestIdentity("1023"),
       "Luther 3D", kIncompleteFile},
      // ---- Clipster 3D
      {"Clipster: double quotes, N as 2.0, blank lines between grid lines",
       "k.txt",
       "<?xml version=\"1.0\"?>\n<LUT3D name=\"Look\" N=\"2.0\" BitDepth=\"10\">\n<values>\n"
       "0 0 0\n\n0 0 1023\n\r\n0 1023 0\n0 1023 1023\n1023 0 0\n1023 0 1023\n1023 1023 0\n"
       "1023 1023 511\n5 5 5\n</values>\n</LUT3D>\n",
       "Clipster 3D",
       nullptr,
       lk3D,
       2,
       {{1, 1, 1, {1, 1, 511 / 1023.0}}, {0, 0, 1, {0, 0, 1}}, {1, 0, 0, {1, 0, 0}}},
       {},
       {"Name: Look"}},
      {"Clipster: apostrophes, an escaped name, lower-case element names",
       "k.txt",
       "<lut3d name='O&apos;Brien &amp; Co' n='2' bitdepth='1'><VALUES>" +
           BlueFastestIdentity("1") + "</VALUES></lut3d>",
       "Clipster 3D",
       nullptr,
       lk3D,
       2,
       {{1, 0, 1, {1, 0, 1}}},
       {},
       {"Name: O'Brien & Co"}},
      {"Clipster: no name",
       "k.txt",
       "<LUT3D N='1' BitDepth='8'><values>255 0 128</values></LUT3D>",
       "Clipster 3D",
       nullptr,
       lk3D,
       1,
       {{0, 0, 0, {1, 0, 128 / 255.0}}},
       {},
       {"Name: "}},
      {"Clipster: fewer lines than N^3", "k.txt",
       "<LUT3D N='2' BitDepth='8'><values>0 0 0\n255 0 0\n</values></LUT3D>", "Clipster 3D",
       kIncompleteFile},
      {"Clipster: no N", "k.txt", "<LUT3D BitDepth='8'><values>0 0 0</values></LUT3D>",
       "Clipster 3D", "The LUT3D element has no N attribute (the grid size)."},
      {"Clipster: empty N", "k.txt", "<LUT3D N='' BitDepth='8'><values>0 0 0</values></LUT3D>",
       "Clipster 3D", "The LUT3D element has no N attribute (the grid size)."},
      {"Clipster: N above 100", "k.txt",
       "<LUT3D N='1e9' BitDepth='8'><values>0 0 0</values></LUT3D>", "Clipster 3D",
       kGridSizeLimitMessage},
      {"Clipster: N 0", "k.txt", "<LUT3D N='0' BitDepth='8'><values>0 0 0</values></LUT3D>",
       "Clipster 3D", "The grid size 0 is not valid: a 3D LUT needs at least 1 node per axis."},
      {"Clipster: no BitDepth", "k.txt", "<LUT3D N='1'><values>0 0 0</values></LUT3D>",
       "Clipster 3D", "The LUT3D element has no BitDepth attribute (the depth of the codes)."},
      {"Clipster: BitDepth 0", "k.txt", "<LUT3D N='1' BitDepth='0'><values>0 0 0</values></LUT3D>",
       "Clipster 3D", "The BitDepth 0 is not valid: codes take 1 to 31 bits."},
      {"Clipster: BitDepth 32", "k.txt",
       "<LUT3D N='1' BitDepth='32'><values>0 0 0</values></LUT3D>", "Clipster 3D",
       "The BitDepth 32 is not valid: codes take 1 to 31 bits."},
      {"Clipster: N not a number", "k.txt", "<LUT3D N='x' BitDepth='8'></LUT3D>", "Clipster 3D",
       "'x' is not a valid floating point value"},
      {"Clipster: no values element", "k.txt", "<LUT3D N='1' BitDepth='8'><value/></LUT3D>",
       "Clipster 3D", "The \"values\" node is not found"},
      // ---- Nucoda 3D
      {"Nucoda: a version 1 shaper divided by 33, then the grid as written",
       "n.cms",
       "NUCODA_3D_CUBE 1\n\nTITLE \"shaped\"\n\nLUT_1D_SIZE 2\nLUT_3D_SIZE 2\n\n0 0 0\n"
       "33 16.5 8.25\n\n# grid\n" +
           kRedFastestGrid + "7 7 7\n",
       "Nucoda 3D",
       nullptr,
       lk1DAnd3D,
       2,
       {{1, 0, 0, {0.7, 0.2, -0.1}}, {0, 0, 1, {0, 0, 1}}, {1, 1, 1, {1, 1, 1}}},
       {{1, 0, 0, {1, 0.5, 0.25}}}},
      {"Nucoda: the Nucoda 1D writer's file, entries unscaled",
       "n.cms",
       "NUCODA_3D_CUBE 2\n\nTITLE \"curve\"\n\nLUT_1D_SIZE 4\n\n0.000000 0.000000 0.000000\n"
       "0.400000 0.300000 0.200000\n0.700000 0.600000 0.500000\n1.000000 1.000000 1.000000\n",
       "Nucoda 3D",
       nullptr,
       lk1D,
       4,
       {{1, 0, 0, {0.4, 0.3, 0.2}}, {3, 0, 0, {1, 1, 1}}}},
      {"Nucoda: a table alone keeps the entries it has",
       "n.cms",
       "NUCODA_3D_CUBE 2\nlut_1d_size 4\n0 0 0\n0.5 0.5 0.5\n",
       "Nucoda 3D",
       nullptr,
       lk1D,
       2,
       {{1, 0, 0, {0.5, 0.5, 0.5}}}},
      {"Nucoda: a grid alone, red fastest",
       "n.cube",
       "NUCODA_3D_CUBE 3\nLUT_3D_SIZE 2\n" + kRedFastestGrid,
       "Nucoda 3D",
       nullptr,
       lk3D,
       2,
       {{1, 0, 0, {0.7, 0.2, -0.1}}, {0, 1, 1, {0, 1, 1}}}},
      {"Nucoda: a second, smaller grid size ends the grid inside the record",
       "n.cms",
       "NUCODA_3D_CUBE 3\nLUT_3D_SIZE 3\n" + Repeat("0.5 0.5 0.5\n", 18) + "LUT_3D_SIZE 2\n" +
           Repeat("0.25 0.25 0.25\n", 1000),
       "Nucoda 3D",
       nullptr,
       lk3D,
       2,
       {{1, 1, 0, {0.5, 0.5, 0.5}}}},
      {"Nucoda: nothing but keyword lines", "n.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\n# no grid\n",
       "Nucoda 3D", kIncompleteFile},
      {"Nucoda: no size keyword", "n.cms", "NUCODA_3D_CUBE 1\nTITLE \"x\"\n0 0 0\n", "Nucoda 3D",
       "The file has neither a LUT_1D_SIZE nor a LUT_3D_SIZE line: it holds no LUT."},
      {"Nucoda: a grid without all of its lines", "n.cms",
       "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\n" + kRedFastestGrid.substr(0, 40), "Nucoda 3D",
       kIncompleteFile},
      {"Nucoda: a file cut inside the shaper", "n.cms",
       "NUCODA_3D_CUBE 1\nLUT_1D_SIZE 4\nLUT_3D_SIZE 1\n0 0 0\n1 1 1\n", "Nucoda 3D",
       kIncompleteFile},
      {"Nucoda: grid size above 100", "n.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 101\n0 0 0\n",
       "Nucoda 3D", kGridSizeLimitMessage},
      {"Nucoda: shaper beyond the table", "n.cms", "NUCODA_3D_CUBE 1\nLUT_1D_SIZE 100002\n",
       "Nucoda 3D", "The 1D size 100002 is too large: a 1D table holds at most 100001 entries."},
      {"Nucoda: shaper of 0 entries", "n.cms",
       "NUCODA_3D_CUBE 1\nLUT_1D_SIZE 0\nLUT_3D_SIZE 1\n0 0 0\n", "Nucoda 3D",
       "The 1D size 0 is not valid: a 1D LUT needs at least 1 entry."},
      {"Nucoda: version keyword without a number", "n.cms", "NUCODA_3D_CUBE\nLUT_3D_SIZE 1\n",
       "Nucoda 3D", "'' is not a valid integer value"},
      // ---- Colorfront OSD 3D
      {"Colorfront: B G R, red fastest, size from the line count",
       "c.3dmesh",
       "\n# made by hand\n" + kBgrGrid.substr(0, 18) + "\n" + kBgrGrid.substr(18) + "0.5 0.5 0.5\n",
       "Colorfront OSD 3D",
       nullptr,
       lk3D,
       2,
       {{1, 0, 0, {0.3, 0.2, 0.1}}, {0, 0, 1, {0, 0, 1}}}},
      {"Colorfront: extension in capitals, 7 lines round to 2 nodes", "c.3DMESH",
       DropLastLine(kBgrGrid), "Colorfront OSD 3D", kIncompleteFile},
      {"Colorfront: no value line", "c.3dmesh", "# empty\nnot numbers\n", "Colorfront OSD 3D",
       kIncompleteFile},
      // ---- DaVinci DAT 3D
      {"DaVinci: a .dat file sized by its line count",
       "d.dat",
       "# grade\n\n" + kBgrGrid,
       "Davinci DAT 3D",
       nullptr,
       lk3D,
       2,
       {{1, 0, 0, {0.3, 0.2, 0.1}}, {0, 0, 1, {0, 0, 1}}}},
      {"DaVinci: the size line counts, lines before it do not",
       "d.txt",
       "0.9 0.9 0.9\n3DLUTSIZE 1\n" + kBgrGrid.substr(6),
       "Davinci DAT 3D",
       nullptr,
       lk3D,
       1,
       {{0, 0, 0, {0.3, 0.2, 0.1}}}},
      {"DaVinci: size above 100", "d.dat", "3DLUTSIZE 101\n0 0 0\n", "Davinci DAT 3D",
       kGridSizeLimitMessage},
      {"DaVinci: size keyword without a number", "d.dat", "3DLUTSIZE\n0 0 0\n", "Davinci DAT 3D",
       "'' is not a valid integer value"},
      {"DaVinci: too few lines for the stated size", "d.dat", "3DLUTSIZE 2\n" + kBgrGrid.substr(6),
       "Davinci DAT 3D", kIncompleteFile},
  };
}

TEST(Grid3DTextFormats, FilesLoadThroughDetectionOrAreRefusedWithAMessage) {
  test::TempDir dir;
  auto lut = std::make_unique<TLUT>();
  for (const TLoadCase& c : LoadCases()) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write(c.File, c.Text);
    const int format = IndexOfFormat(c.Format);
    ASSERT_GE(format, 0);
    EXPECT_EQ(DetectFormat(path), format);
    if (c.Error) {
      try {
        LoadLut(path, *lut, -1);
        ADD_FAILURE() << "the file loaded";
      } catch (const Exception& error) {
        EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), c.Error);
        EXPECT_EQ(lut->FormatIndex, -1);
      }
      continue;
    }
    LoadLut(path, *lut, -1);
    EXPECT_EQ(lut->FormatIndex, format);
    EXPECT_EQ(lut->Kind, c.Kind);
    EXPECT_EQ(c.Kind == lk1D ? lut->Size1D : lut->Size3D, c.Size);
    for (const TNodeCheck& n : c.Nodes) {
      const TRGB value = c.Kind == lk1D ? lut->GetEntry(n.R) : lut->GetNode(n.R, n.G, n.B);
      EXPECT_EQ(value, n.Values) << n.R << " " << n.G << " " << n.B;
    }
    for (const TNodeCheck& e : c.Entries) EXPECT_EQ(lut->GetEntry(e.R), e.Values) << e.R;
    EXPECT_EQ(lut->Comments, c.Comments);
  }
}

TEST(Grid3DTextFormats, DetectionByKeywordAndExtension) {
  struct TDetectCase {
    const char* File;
    const char* Text;
    const char* Format;  // null: no format claims the file
  };
  const TDetectCase cases[] = {
      {"a.dat", "no numbers here\n1 2\n", nullptr},
      {"a.DAT", "1 2 3\n", "Davinci DAT 3D"},
      {"a.txt", "1 2 3\n", nullptr},
      {"a.txt", "x\n3dlutsize 2\n", "Davinci DAT 3D"},
      {"a.3dmesh", "anything", "Colorfront OSD 3D"},
      {"a.cube", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\n", "Nucoda 3D"},
      {"a.txt", "lut3d: 2\n", "Codex 3D"},
      {"a.txt", "# lut3d: in a comment\n", nullptr},
      {"c.txt", "# Lut3D: 2\n0 0 0\n", nullptr},
      {"a.txt", "<LUT3D N='2'>", "Clipster 3D"},
      {"a.txt", "#Channels: C3\n", "Luther 3D"},
      {"a.txt", "c3 and channels: apart\n", nullptr},
      {"a.txt", "channels: c3\n", nullptr},
      {"k.txt", "<LUT3DX N='1'><values>0 0 0</values></LUT3DX>", nullptr},
      {"k.txt", "Notes on <LUT3D N='2'>\n", nullptr},
      {"a.txt", "#channels: c2\n", nullptr},
  };
  test::TempDir dir;
  for (const TDetectCase& c : cases) {
    const std::string path = dir.Write(c.File, c.Text);
    EXPECT_EQ(DetectFormat(path), c.Format ? IndexOfFormat(c.Format) : -1) << c.File << c.Text;
  }
}

// The support's 2-node grid with a comment these writers leave out.
std::unique_ptr<TLUT> SmallGrid() {
  auto lut = test::SmallGrid();
  lut->Comments = {"not written"};
  return lut;
}

TEST(Grid3DTextFormats, WritersPutOutTheirLayout) {
  const std::string bgrLines =
      "0.000000 0.000000 0.000000\n0.000000 0.000000 0.500000\n0.000000 0.250000 0.000000\n"
      "0.000000 0.250000 0.500000\n0.125000 0.000000 0.000000\n0.125000 0.000000 0.500000\n"
      "0.125000 0.250000 0.000000\n0.250000 -0.500000 1.250000\n";
  struct TWriterCase {
    const char* Profile;
    std::string Text;
  };
  const TWriterCase cases[] = {
      {"Codex 3D",
       "Lut3D: 2\n\nR\tG\tB\n0 0 0\n0 0 512\n0 1024 0\n0 1024 512\n2048 0 0\n2048 0 512\n"
       "2048 1024 0\n4095 0 1024\n"},
      {"Luther 3D",
       "#channels: c3\n#elements = 8\n0 0 0\n0 0 128\n0 256 0\n0 256 128\n512 0 0\n512 0 128\n"
       "512 256 0\n1023 0 256\n"},
      {"Clipster 3D",
       "<LUT3D name='Look' N='2' BitDepth='16'>\n<values>\n0 0 0\n0 0 8192\n0 16384 0\n"
       "0 16384 8192\n32768 0 0\n32768 0 8192\n32768 16384 0\n65535 0 16384\n</values>\n"
       "</LUT3D>\n"},
      {"Colorfront OSD 3D", bgrLines},
      {"Davinci DAT 3D", "3DLUTSIZE 2\n\n" + bgrLines},
  };
  test::TempDir dir;
  const auto lut = SmallGrid();
  for (const TWriterCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const std::string path = dir.File("Look." + profile.Extension);
    SaveLut(path, *lut, profile, -1);
    EXPECT_EQ(test::ReadFile(path), c.Text);
  }
}

TEST(Grid3DTextFormats, NucodaWriterPutsAFixedShaperBeforeTheGrid) {
  test::TempDir dir;
  const auto lut = SmallGrid();
  const std::string path = dir.File("Look.cms");
  SaveLut(path, *lut, ProfileNamed("Nucoda 3D"), -1);
  TTextFile text;
  text.Load(path);
  ASSERT_EQ(text.Count(), 7u + 4096u + 1u + 8u);
  const std::vector<std::string> header = {
      "NUCODA_3D_CUBE 1", "", "TITLE \"Look\"", "", "LUT_1D_SIZE 4096", "LUT_3D_SIZE 2", ""};
  for (std::size_t i = 0; i < header.size(); ++i) EXPECT_EQ(text[i], header[i]) << i;
  EXPECT_EQ(text[7], "0.000000 0.000000 0.000000");
  EXPECT_EQ(text[8], "0.008059 0.008059 0.008059");  // 32.999999 / 4095
  EXPECT_EQ(text[7 + 4095], "32.999999 32.999999 32.999999");
  EXPECT_EQ(text[7 + 4096], "");
  EXPECT_EQ(text[7 + 4097], "0.000000 0.000000 0.000000");
  EXPECT_EQ(text[7 + 4098], "0.500000 0.000000 0.000000");  // red fastest, R G B
  EXPECT_EQ(text[7 + 4101], "0.000000 0.000000 0.125000");
  EXPECT_EQ(text[7 + 4104], "1.250000 -0.500000 0.250000");

  // Read back: the ramp divided by 33 before the grid as written.
  auto back = std::make_unique<TLUT>();
  LoadLut(path, *back, -1);
  EXPECT_EQ(back->Kind, lk1DAnd3D);
  EXPECT_EQ(back->Size1D, 4096);
  EXPECT_EQ(back->Size3D, 2);
  EXPECT_EQ(back->GetEntry(0), (TRGB{0, 0, 0}));
  EXPECT_EQ(back->GetEntry(4095).R, 32.999999 / 33);
  EXPECT_NEAR(back->GetEntry(2048).G, 2048 / 4095.0 * 32.999999 / 33, 1e-8);
  EXPECT_EQ(back->GetNode(1, 1, 1), (TRGB{1.25, -0.5, 0.25}));
}

// The name of the file goes into the Clipster header escaped, so the document stays
// well-formed and the name reads back as it was.
TEST(Grid3DTextFormats, ClipsterHeaderOfAnAwkwardFileNameIsWellFormed) {
  test::TempDir dir;
  const std::string title = "Bob's <cut> & \"grade\"";
  const std::string path = dir.File(title + ".txt");
  SaveLut(path, *SmallGrid(), ProfileNamed("Clipster 3D"), -1);
  auto lut = std::make_unique<TLUT>();
  LoadLut(path, *lut, -1);
  EXPECT_EQ(lut->FormatIndex, IndexOfFormat("Clipster 3D"));
  EXPECT_EQ(lut->Comments, (std::vector<std::string>{"Name: " + title}));
  EXPECT_EQ(lut->GetNode(1, 0, 0), (TRGB{32768 / 65535.0, 0, 0}));

  if (!test::HasProgram("xmllint")) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  EXPECT_EQ(test::RunProgram({"xmllint", "--noout", path}).Status, 0);
  auto name = test::RunProgram({"xmllint", "--xpath", "string(/LUT3D/@name)", path});
  ASSERT_EQ(name.Status, 0);
  if (name.Out.ends_with('\n')) name.Out.pop_back();
  EXPECT_EQ(name.Out, title);
}

// More value lines than 100.5^3 ask for a grid of 101 nodes, which is refused before
// anything is stored; one line fewer gives 100 nodes.
TEST(Grid3DTextFormats, ColorfrontFilesOfMoreLinesThanTheGridHoldsAreRefused) {
  test::TempDir dir;
  auto lut = std::make_unique<TLUT>();
  const std::string lines = Repeat("0.5 0.25 1\n", 1015075);
  LoadLut(dir.Write("large.3dmesh", lines), *lut, -1);
  EXPECT_EQ(lut->Size3D, 100);
  EXPECT_EQ(lut->GetNode(99, 99, 99), (TRGB{1, 0.25, 0.5}));
  try {
    LoadLut(dir.Write("larger.3dmesh", lines + "0 0 0\n"), *lut, -1);
    FAIL() << "a grid of 101 nodes loaded";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), kGridSizeLimitMessage);
    EXPECT_EQ(error.Line(), 1);
  }
}

// A Nucoda shaper before its grid converted to Cube 3D: every output node is the grid at the
// shaper's output. The shaper entries (written times 33) land on grid nodes, so each output
// node is one grid node exactly.
TEST(Grid3DTextFormats, NucodaShaperAndGridConvertThroughTheShaperThenTheGrid) {
  const double shaper[5][3] = {{1, 0, 0.5}, {0.5, 0, 1}, {0, 0.5, 0}, {0.5, 1, 1}, {1, 1, 0.5}};
  auto gridNode = [](int r, int g, int b) {
    return TRGB{0.1 * r + 0.01 * g * g, 0.3 * g - 0.05 * b, 0.2 * b + 0.07 * r * g};
  };
  std::string text = "NUCODA_3D_CUBE 1\nTITLE \"shaped\"\nLUT_1D_SIZE 5\nLUT_3D_SIZE 3\n";
  for (const auto& entry : shaper) {
    text += FormatFixed(6, 33 * entry[0]) + " " + FormatFixed(6, 33 * entry[1]) + " " +
            FormatFixed(6, 33 * entry[2]) + "\n";
  }
  for (int b = 0; b < 3; ++b)
    for (int g = 0; g < 3; ++g)
      for (int r = 0; r < 3; ++r) {
        const TRGB v = gridNode(r, g, b);
        text += FormatFixed(6, v.R) + " " + FormatFixed(6, v.G) + " " + FormatFixed(6, v.B) + "\n";
      }
  test::TempDir dir;
  const std::string source = dir.Write("shaped.cms", text);
  const std::string target = dir.File("shaped.cube");
  ConvertFile(source, target, -1, ProfileNamed("Cube 3D Davinci"), 5, -1);

  auto cube = std::make_unique<TLUT>();
  LoadLut(target, *cube, -1);
  ASSERT_EQ(cube->FormatIndex, IndexOfFormat("Cube 3D"));
  ASSERT_EQ(cube->Size3D, 5);
  auto node = [](double shaped) { return static_cast<int>(std::lround(shaped * 2)); };
  for (int r = 0; r < 5; ++r)
    for (int g = 0; g < 5; ++g)
      for (int b = 0; b < 5; ++b) {
        const TRGB expected = gridNode(node(shaper[r][0]), node(shaper[g][1]), node(shaper[b][2]));
        const TRGB actual = cube->GetNode(r, g, b);
        ASSERT_NEAR(actual.R, expected.R, 5e-7) << r << g << b;
        ASSERT_NEAR(actual.G, expected.G, 5e-7) << r << g << b;
        ASSERT_NEAR(actual.B, expected.B, 5e-7) << r << g << b;
      }
}

}  // namespace
}  // namespace vorn
