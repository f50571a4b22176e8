// The integer-coded 3D formats: 3DL (depth chosen or estimated), Autodesk Lustre ("Mesh"),
// Pandora / Technicolor ("in " and "out ", an index column) and Quantel ("vertices",
// "max value"). Reading cases share one table; the writers are checked line for line.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "platform/Convert.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

constexpr const char* kSizeLimit =
    "The current version cannot process LUTs more than 100x100x100.\r\n"
    "In general, 64x64x64 is definitely enough for 3D LUTs.";
constexpr const char* kCodeZero =
    "The largest code 0 is not valid: integer codes need a largest code of at least 1.";

// The value lines of an n-node identity with codes 0..top, blue index fastest; with an
// index column the fields are separated by tabs.
std::string IdentityLines(int n, double top, bool indexColumn = false) {
  std::string text;
  int index = 0;
  const char separator = indexColumn ? '\t' : ' ';
  auto code = [&](int i) { return std::to_string(RoundHalfEven(top * i / (n - 1))); };
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        if (indexColumn) text += std::to_string(index++) + separator;
        text += code(r) + separator + code(g) + separator + code(b) + "\n";
      }
  return text;
}

// Ceil(i x 1023 / (n - 1)), as the 3DL writer puts them.
std::string Breakpoints(int n) {
  std::string line;
  for (int i = 0; i < n; ++i) line += (i ? " " : "") + std::to_string((i * 1023 + n - 2) / (n - 1));
  return line + "\n";
}

std::string Repeat(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += line;
  return text;
}

struct TNode {
  int R, G, B;
  TRGB Value;
};

struct TLoadCase {
  const char* Name;
  const char* FileName;
  std::string Text;
  int InputBits;
  const char* Format;  // the detected format
  // What a successful load gives, or the message of the refusal.
  int Size;
  std::vector<TNode> Nodes;
  std::vector<std::string> Comments;
  const char* Error = nullptr;
};

std::vector<TLoadCase> LoadCases() {
  const std::string lustreHead = "3DMESH\nMesh 0 4\n";
  const std::string pandoraHead =
      "channel 3d\nin 8\nout 4096\nformat lut\nvalues\tred\tgreen\tblue\n";
  return {
      // ---- 3DL
      {"3dl: 12-bit identity, automatic depth steps 10, 11, 12",
       "id.3dl",
       "# look\n" + Breakpoints(17) + IdentityLines(17, 4095),
       -1,
       "3DL",
       17,
       {{8, 0, 16, {2048 / 4095.0, 0, 1}}, {4, 16, 1, {1024 / 4095.0, 1, 256 / 4095.0}}},
       {"look"}},
      {"3dl: the same file read as 10-bit codes",
       "id.3dl",
       Breakpoints(17) + IdentityLines(17, 4095),
       10,
       "3DL",
       17,
       {{16, 16, 16, {4095 / 1023.0, 4095 / 1023.0, 4095 / 1023.0}}},
       {}},
      {"3dl: a jump to 4095 on the second line gives 14 bits",
       "jump.3dl",
       "0 1023\n0 0 0\n0 0 4095\n" + Repeat("0 0 0\n", 6),
       -1,
       "3DL",
       2,
       {{0, 0, 1, {0, 0, 4095 / 16383.0}}},
       {}},
      {"3dl: without breakpoints the first line of codes gives the size",
       "nobp.3DL",
       "0 0 0\n" + IdentityLines(3, 1023),
       -1,
       "3DL",
       3,
       {{0, 0, 0, {0, 0, 0}}, {2, 1, 0, {1, 512 / 1023.0, 0}}},
       {}},
      {"3dl: a breakpoint line with a real is passed over, a '-' line is never one",
       "bp.3dl",
       "-1 0 1023\n0 0.5 1023\n0 1023\n" + IdentityLines(2, 1023) + "  # after the grid\n",
       -1,
       "3DL",
       2,
       {{1, 0, 1, {1, 0, 1}}},
       {"after the grid"}},
      {"3dl: 100 breakpoints are a size",
       "bp100.3dl",
       Repeat("7 ", 100) + "\n",
       -1,
       "3DL",
       100,
       {},
       {},
       kIncompleteFile},
      {"3dl: 101 breakpoints are refused",
       "bp101.3dl",
       Repeat("7 ", 101) + "\n0 0 0\n",
       -1,
       "3DL",
       0,
       {},
       {},
       kSizeLimit},
      {"3dl: real numbers never make a value line",
       "reals.3dl",
       "0 1\n" + Repeat("0.5 0.5 0.5\n", 8),
       -1,
       "3DL",
       2,
       {},
       {},
       kIncompleteFile},
      {"3dl: codes past 31 bits",
       "deep.3dl",
       "0 1023\n0 0 16777215\n" + Repeat("0 0 0\n", 7),
       -1,
       "3DL",
       0,
       {},
       {},
       "The codes of this file need more than 31 bits per value; set its bits per color to read "
       "it."},
      {"3dl: a depth of 0 bits",
       "zero.3dl",
       "0 1023\n" + Repeat("0 0 0\n", 8),
       0,
       "3DL",
       0,
       {},
       {},
       "The bits per color 0 cannot be used: 3DL codes are read with 1 to 31 bits."},
      // ---- Lustre
      {"lustre: Mesh 4 10, value lines before it ignored",
       "grade.lut",
       "3DMESH\n1 1 1\nMesh 4 10\n" + Breakpoints(17) + IdentityLines(17, 1023) +
           "\nLUT8\ngamma 1.0\n",
       -1,
       "Autodesk Lustre 3D",
       17,
       {{0, 0, 0, {0, 0, 0}}, {16, 0, 8, {1, 0, 512 / 1023.0}}},
       {}},
      {"lustre: a later Mesh line after the grid changes nothing",
       "later.3dl",
       lustreHead + IdentityLines(2, 15) + "Mesh 5 12\n9 9 9\n",
       16,
       "Autodesk Lustre 3D",
       2,
       {{1, 1, 1, {1, 1, 1}}},
       {}},
      {"lustre: a Mesh line that shrinks the grid while it is read ends it",
       "shrink.lut",
       "3DMESH\nMesh 2 8\n" + Repeat("1 2 3\n", 60) + "Mesh 0 8\n" + Repeat("255 255 255\n", 500),
       -1,
       "Autodesk Lustre 3D",
       2,
       {{2, 2, 1, {1, 1, 1}}},
       {}},
      {"lustre: no Mesh line",
       "nomesh.lut",
       "3DMESH\n" + IdentityLines(2, 4095),
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       kIncompleteFile},
      {"lustre: fewer value lines than the grid",
       "short.lut",
       lustreHead + "0 0 0\n1 1 1\n",
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       kIncompleteFile},
      {"lustre: 2^7 + 1 nodes",
       "big.lut",
       "3DMESH\nMesh 7 12\n",
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       kSizeLimit},
      {"lustre: a huge exponent",
       "huge.lut",
       "3DMESH\nMesh 2147483647 12\n",
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       kSizeLimit},
      {"lustre: 0 output bits",
       "zero.lut",
       "3DMESH\nMesh 1 0\n0 0 0\n",
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       kCodeZero},
      {"lustre: 32 output bits",
       "wide.lut",
       "3DMESH\nMesh 1 32\n",
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       "The largest code 4294967295 is too large: codes are read as 32-bit integers."},
      {"lustre: a Mesh line without its output bits",
       "half.lut",
       "3DMESH\nMesh 5\n",
       -1,
       "Autodesk Lustre 3D",
       0,
       {},
       {},
       "'' is not a valid integer value"},
      // ---- Pandora
      {"pandora: in 4912 rounds to 17 nodes",
       "p.m3d",
       "channel 3d\nin 4912\nout 65536\nformat lut\n" + IdentityLines(17, 65535, true),
       -1,
       "Pandora 3D, Technicolor",
       17,
       {{16, 8, 0, {1, 32768 / 65535.0, 0}}},
       {}},
      {"pandora: index and codes; three numbers alone are skipped",
       "p.mga",
       pandoraHead + "0 1 2\n0 4095 0 0\n" + Repeat("1 0 0 0\n", 7),
       -1,
       "Pandora 3D, Technicolor",
       2,
       {{0, 0, 0, {1, 0, 0}}, {1, 1, 1, {0, 0, 0}}},
       {}},
      {"pandora: a size line in capitals is not one",
       "caps.m3d",
       "CHANNEL 3D\nIN 8\nout 4096\nFORMAT LUT\n" + Repeat("0 0 0 0\n", 8),
       -1,
       "Pandora 3D, Technicolor",
       0,
       {},
       {},
       kIncompleteFile},
      {"pandora: one code",
       "one.m3d",
       "channel 3d\nin 8\nout 1\nformat lut\n0 0 0 0\n",
       -1,
       "Pandora 3D, Technicolor",
       0,
       {},
       {},
       kCodeZero},
      {"pandora: 101^3 nodes",
       "big.m3d",
       "channel 3d\nin 1030301\nout 4096\nformat lut\n",
       -1,
       "Pandora 3D, Technicolor",
       0,
       {},
       {},
       kSizeLimit},
      {"pandora: a trailing blank after the count",
       "blank.m3d",
       "channel 3d\nin 8 \nformat lut\n",
       -1,
       "Pandora 3D, Technicolor",
       0,
       {},
       {},
       "'8 ' is not a valid integer value"},
      // ---- Quantel
      {"quantel: max value before vertices",
       "q.txt",
       "max value 4095\nvertices 2\ncube data\nR G B\n" + IdentityLines(2, 4095),
       -1,
       "Quantel 3D",
       2,
       {{1, 0, 1, {1, 0, 1}}},
       {}},
      {"quantel: vertices before max value",
       "q.txt",
       "vertices 2\nmax value 1023\n" + IdentityLines(2, 4095),
       -1,
       "Quantel 3D",
       2,
       {{1, 1, 1, {4095 / 1023.0, 4095 / 1023.0, 4095 / 1023.0}}},
       {}},
      {"quantel: one node",
       "q1.txt",
       "vertices 1\nmax value 100\n50 25 100\n",
       -1,
       "Quantel 3D",
       1,
       {{0, 0, 0, {0.5, 0.25, 1}}},
       {}},
      {"quantel: 0 vertices",
       "q0.txt",
       "vertices 0\nmax value 100\n",
       -1,
       "Quantel 3D",
       0,
       {},
       {},
       "The grid size 0 is not valid: a 3D LUT needs at least 1 node per axis."},
      {"quantel: 129 vertices",
       "q129.txt",
       "vertices 129\nmax value 100\n",
       -1,
       "Quantel 3D",
       0,
       {},
       {},
       kSizeLimit},
      {"quantel: max value 0",
       "qmax.txt",
       "vertices 2\nmax value 0\n0 0 0\n",
       -1,
       "Quantel 3D",
       0,
       {},
       {},
       kCodeZero},
  };
}

TEST(IntegerCodedFormats, ReadingCases) {
  test::TempDir dir;
  auto lut = std::make_unique<TLUT>();
  for (const TLoadCase& c : LoadCases()) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write(c.FileName, c.Text);
    ASSERT_EQ(DetectFormat(path), IndexOfFormat(c.Format));
    try {
      LoadLut(path, *lut, -1, c.InputBits);
    } catch (const Exception& error) {
      EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), c.Error ? c.Error : "(none)");
      EXPECT_EQ(error.File(), path);
      continue;
    }
    ASSERT_EQ(c.Error, nullptr) << "loaded a file that should be refused";
    EXPECT_EQ(lut->FormatIndex, IndexOfFormat(c.Format));
    EXPECT_EQ(lut->Kind, lk3D);
    EXPECT_EQ(lut->Size3D, c.Size);
    EXPECT_EQ(lut->Comments, c.Comments);
    for (const TNode& node : c.Nodes) {
      const TRGB value = lut->GetNode(node.R, node.G, node.B);
      EXPECT_DOUBLE_EQ(value.R, node.Value.R) << node.R << node.G << node.B;
      EXPECT_DOUBLE_EQ(value.G, node.Value.G) << node.R << node.G << node.B;
      EXPECT_DOUBLE_EQ(value.B, node.Value.B) << node.R << node.G << node.B;
    }
  }
}

// Detection: 3DL by its extension alone, the others by their header lines in any case.
TEST(IntegerCodedFormats, Detection) {
  test::TempDir dir;
  const std::string grid = "0 1023\n" + IdentityLines(2, 1023);
  EXPECT_EQ(DetectFormat(dir.Write("a.3dl", "anything")), IndexOfFormat("3DL"));
  EXPECT_EQ(DetectFormat(dir.Write("a.dd3", grid)), -1);
  EXPECT_EQ(DetectFormat(dir.Write("a.txt", grid)), -1);
  EXPECT_EQ(DetectFormat(dir.Write("a.3dl", "3dmesh\n" + grid)),
            IndexOfFormat("Autodesk Lustre 3D"));
  EXPECT_EQ(DetectFormat(dir.Write("a.txt", "Channel 3D\nin 8\nout 1024\nFORMAT LUT\n")),
            IndexOfFormat("Pandora 3D, Technicolor"));
  EXPECT_EQ(DetectFormat(dir.Write("a.txt", "# lut format: 3d, one channel\n")), -1);
  EXPECT_EQ(DetectFormat(dir.Write("a.m3d", "channel 3d\nin 8\n")), -1);
  EXPECT_EQ(DetectFormat(dir.Write("a.lut", "VERTICES 17\nMAX VALUE 4095\n")),
            IndexOfFormat("Quantel 3D"));
}

// A 2-node grid with a half code, values outside [0, 1] and one comment.
std::unique_ptr<TLUT> TwoNodeGrid() {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = 2;
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) lut->SetNode(r, g, b, {r * 1.0, g * 0.5, b * 0.25});
  lut->SetNode(1, 1, 1, {1.2, -0.1, 2047.5 / 4095});
  lut->Comments = {"two nodes"};
  return lut;
}

TEST(IntegerCodedFormats, WritersLineForLine) {
  struct TWriterCase {
    const char* Profile;
    int Bits;
    std::string Text;
  };
  const std::string codes12 =
      "0 0 0\n0 0 1024\n0 2048 0\n0 2048 1024\n4095 0 0\n4095 0 1024\n4095 2048 0\n4095 0 2048\n";
  const TWriterCase cases[] = {
      {"3DL Fusion", -1, "# two nodes\n# Converted by Vorn LUT Converter\n0 1023\n" + codes12},
      {"Dolby DD3", 10,
       "# two nodes\n# Converted by Vorn LUT Converter\n0 1023\n0 0 0\n0 0 256\n0 512 0\n"
       "0 512 256\n1023 0 0\n1023 0 256\n1023 512 0\n1023 0 512\n"},
      {"Autodesk Lustre 3D", -1,
       "\n# Converted by Vorn LUT Converter\n\n3DMESH\nMesh 0 12\n\n" + codes12 +
           "\nLUT8\ngamma 1.0\n"},
      {"Technicolor 3D mga", -1,
       "#HEADER\n#type: 3D cube file\n#format: 1.00\n#comment: Converted by Vorn LUT "
       "Converter\n#END\n\nchannel 3d\nin 8\nout 65536\n\nformat lut\n\nvalues\tred\tgreen\tblue\n"
       "0\t0\t0\t0\n1\t0\t0\t16384\n2\t0\t32768\t0\n3\t0\t32768\t16384\n4\t65535\t0\t0\n"
       "5\t65535\t0\t16384\n6\t65535\t32768\t0\n7\t65535\t0\t32768\n"},
      {"Quantel 3D", -1,
       "max value 4095\nvertices 2\nblue is fastest changing\nred is slowest changing\n\n"
       "cube data\nR G B\n" +
           codes12},
  };
  test::TempDir dir;
  const auto lut = TwoNodeGrid();
  for (const TWriterCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const std::string path = dir.File("out." + profile.Extension);
    SaveLut(path, *lut, profile, c.Bits);
    EXPECT_EQ(test::ReadFile(path), c.Text);
  }
}

TEST(IntegerCodedFormats, GridSizesTheWritersTakeOrRefuse) {
  test::TempDir dir;
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  auto save = [&](const char* profile, int size) {
    lut->Size3D = size;
    const std::string path = dir.File("size." + ProfileNamed(profile).Extension);
    SaveLut(path, *lut, ProfileNamed(profile), -1);
    return path;
  };
  // One node: a 3DL breakpoint line of "0", which reads back as one node.
  lut->SetNode(0, 0, 0, {0.25, 0.5, 1.0});
  const std::string one = save("3DL Scratch, Autodesk, Blackmagic, Cine-tal", 1);
  EXPECT_EQ(test::ReadFile(one), "# Converted by Vorn LUT Converter\n0\n1024 2048 4095\n");
  auto back = std::make_unique<TLUT>();
  LoadLut(one, *back, -1, 12);
  EXPECT_EQ(back->Size3D, 1);
  EXPECT_EQ(back->GetNode(0, 0, 0), (TRGB{1024 / 4095.0, 2048 / 4095.0, 1.0}));
  // Lustre: the "Mesh" line states 2^A + 1 nodes, so only such sizes can be written.
  for (int size : {2, 3, 5, 9, 17, 33, 65}) {
    const std::string path = save("Autodesk Lustre 3D", size);
    LoadLut(path, *back, -1);
    EXPECT_EQ(back->Size3D, size);
  }
  for (int size : {1, 10, 32, 100}) {
    try {
      save("Autodesk Lustre 3D", size);
      FAIL() << size;
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()),
                "An Autodesk Lustre 3D file holds 2, 3, 5, 9, 17, 33 or 65 nodes per axis; this "
                "LUT has " +
                    std::to_string(size) + ".");
    }
  }
  // A depth that the readers cannot take back is not written.
  lut->Size3D = 2;
  EXPECT_THROW(SaveLut(dir.File("b.m3d"), *lut, ProfileNamed("Pandora 3D, Apple 3D m3d"), 31),
               Exception);
  EXPECT_THROW(SaveLut(dir.File("b.3dl"), *lut, ProfileNamed("3DL Fusion"), 0), Exception);
  EXPECT_FALSE(FileExists(dir.File("b.3dl")));
}

}  // namespace
}  // namespace vorn
