// The look formats: the SpeedGrade look's hexadecimal grid written and read, its refusals,
// and the Premiere look with the cube file it writes beside itself.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

int SpeedGrade() {
  return IndexOfFormat("Adobe SpeedGrade Look 3D");
}

const char* const kShaderLines =
    "<?xml version=\"1.0\" ?>\n<look>\n  <shaders>\n    <shader>\n"
    "      <name>\"LUT\"</name>\n      <visible>\"1\"</visible>\n"
    "      <opacity>\"1\"</opacity>\n      <mask>\"0\"</mask>\n"
    "      <vectormask>\"0\"</vectormask>\n      <parameters>\n";

// A SpeedGrade look around the given size and data texts.
std::string Look(const std::string& size, const std::string& data) {
  return std::string(kShaderLines) + "      </parameters>\n    </shader>\n  </shaders>\n  <LUT>\n" +
         "    <size>" + size + "</size>\n    <data>" + data + "</data>\n</LUT>\n</look>\n";
}

TEST(SpeedGradeLook, ATwoNodeGridIsThreeLinesOfSixtyFourDigits) {
  TLUT lut;
  lut.Kind = lk3D;
  lut.Size3D = 2;
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) lut.SetNode(r, g, b, {1.0 * r, 0.5 * g, 1.0 * b});
  lut.Comments = {"not written"};
  test::TempDir dir;
  const std::string path = dir.File("two.look");
  SaveLut(path, lut, ProfileNamed("Adobe SpeedGrade Look"), -1);
  // Red fastest, blue slowest; 1.0 is 0000803F and 0.5 is 0000003F.
  EXPECT_EQ(test::ReadFile(path),
            std::string(kShaderLines) +
                "      </parameters>\n    </shader>\n  </shaders>\n  <LUT>\n"
                "    <size>\"2\"</size>\n    <data>\"\n"
                "      0000000000000000000000000000803F0000000000000000000000000000003F\n"
                "      000000000000803F0000003F0000000000000000000000000000803F0000803F\n"
                "      000000000000803F000000000000003F0000803F0000803F0000003F0000803F\"\n"
                "    </data>\n</LUT>\n</look>\n");
}

TEST(SpeedGradeLook, ASeventeenNodeGridEndsWithAShortLineAndReadsBackWhole) {
  TLUT lut;
  lut.Kind = lk3D;
  lut.Size3D = 17;
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) lut.SetNode(r, g, b, {r / 16.0, std::sqrt(g / 16.0), -0.1 * b});
  test::TempDir dir;
  const std::string path = dir.File("big.look");
  SaveLut(path, lut, ProfileNamed("Adobe SpeedGrade Look"), 12);
  TTextFile text;
  text.Load(path);
  const std::string_view last = text[text.Count() - 4];
  EXPECT_EQ(last.size(), 6u + 24u + 1u);
  EXPECT_EQ(last.back(), '"');

  TLUT back;
  LoadLut(path, back);
  ASSERT_EQ(back.FormatIndex, SpeedGrade());
  ASSERT_EQ(back.Kind, lk3D);
  ASSERT_EQ(back.Size3D, 17);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) {
        const double* written = lut.Node(r, g, b);
        const double* read = back.Node(r, g, b);
        for (int q = 0; q < 3; ++q) {
          ASSERT_EQ(read[q], static_cast<float>(written[q])) << r << " " << g << " " << b;
        }
      }
}

struct TLookCase {
  const char* Name;
  std::string Text;
  TLutKind Kind;
  TRGB Node000 = {};            // for a 1-node grid
  const char* Error = nullptr;  // the load's message
};

TEST(SpeedGradeLook, SmallFiles) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string premiere =
      std::string(kShaderLines) +
      "          <LUT>\"a.cube\"</LUT>\n      </parameters>\n    </shader>\n  </shaders>\n"
      "</look>\n";
  const std::vector<TLookCase> cases = {
      {"lower-case digits", Look("\"1\"", "\"0000803f0000003f00000000\""), lk3D, {1, 0.5, 0}},
      {"unquoted size, any separators",
       Look("1", "00 00 80 3F,0000\n003F\t\"00000000"),
       lk3D,
       {1, 0.5, 0}},
      {"NaN reads 0, infinities stay",
       Look("\"1\"", "\"0000C07F0000807F000080FF\""),
       lk3D,
       {0, inf, -inf}},
      {"ends inside a number: the node is missing, not partly zero",
       Look("\"1\"", "\"0000803F0000803F000080"),
       lk3D,
       {},
       kIncompleteFile},
      {"size 0", Look("\"0\"", "\"\""), lkNone},
      {"a Premiere look has no look/lut", premiere, lkNone},
      {"no look element", "<root><look></look><shaders/></root>\n", lkNone},
      {"short data",
       Look("\"2\"", "\"" + std::string(5 * 24, '0') + "\""),
       lk3D,
       {},
       kIncompleteFile},
      {"no size",
       "<look><shaders/><lut><data>00</data></lut></look>",
       lkNone,
       {},
       "The \"size\" node is not found"},
      {"no data",
       "<look><shaders/><lut><size>1</size></lut></look>",
       lkNone,
       {},
       "The \"data\" node is not found"},
      {"size not a number", Look("\"x\"", "\"\""), lkNone, {}, "'x' is not a valid integer value"},
      {"size beyond the grid",
       Look("\"102\"", "\"\""),
       lkNone,
       {},
       "The grid size 102 is too large: a 3D LUT holds at most 101 nodes per axis."},
      {"negative size",
       Look("\"-2\"", "\"\""),
       lkNone,
       {},
       "The grid size -2 is not valid: a 3D LUT needs at least 1 node per axis."},
  };
  test::TempDir dir;
  TLUT lut;
  for (const TLookCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write("case.look", c.Text);
    ASSERT_EQ(DetectFormat(path), SpeedGrade());
    lut.Kind = lk1D;
    try {
      LoadLut(path, lut);
      ASSERT_EQ(c.Error, nullptr) << "loaded";
    } catch (const Exception& error) {
      ASSERT_NE(c.Error, nullptr) << error.what();
      EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), c.Error);
      if (c.Kind == lkNone) continue;  // the record is left as it was
    }
    EXPECT_EQ(lut.Kind, c.Kind);
    if (c.Kind == lk3D && c.Error == nullptr) {
      EXPECT_EQ(lut.Size3D, 1);
      EXPECT_EQ(lut.GetNode(0, 0, 0), c.Node000);
    }
  }
}

// A look without values passes the picture through and lists "No LUT data.".
TEST(SpeedGradeLook, ALookWithoutAGridIsTheIdentity) {
  test::TempDir dir;
  TLUT lut;
  LoadLut(dir.Write("empty.look", Look("\"0\"", "\"\"")), lut);
  EXPECT_EQ(lut.Evaluate({0.2, 0.4, 0.9}), (TRGB{0.2, 0.4, 0.9}));
  EXPECT_EQ(LutInformationLines(lut), std::vector<std::string>{"No LUT data."});
}

// ---- Premiere look -------------------------------------------------------------------------

class PremiereLook : public ::testing::Test {
 protected:
  PremiereLook() {
    Lut.Kind = lk3D;
    Lut.Size3D = 2;
    for (int r = 0; r < 2; ++r)
      for (int g = 0; g < 2; ++g)
        for (int b = 0; b < 2; ++b) Lut.SetNode(r, g, b, {0.25 * r, 0.5 * g, 0.75 * b});
    Lut.Comments = {"graded"};
  }
  void Save(const std::string& path, const TReplaceQuestion& question = {}) {
    SaveLut(path, Lut, ProfileNamed("Adobe Premiere Look"), -1, question);
  }

  test::TempDir Dir;
  TLUT Lut;
};

TEST_F(PremiereLook, WritesTheLookAndItsCubeBesideIt) {
  const std::string path = Dir.File("R&D grade.look");
  Save(path);
  EXPECT_EQ(test::ReadFile(path),
            std::string(kShaderLines) +
                "          <LUT>\"R&amp;D grade.cube\"</LUT>\n      </parameters>\n"
                "    </shader>\n  </shaders>\n</look>\n");
  TLUT cube;
  LoadLut(Dir.File("R&D grade.cube"), cube);
  EXPECT_EQ(cube.FormatIndex, IndexOfFormat("Cube 3D"));
  EXPECT_EQ(cube.Size3D, 2);
  EXPECT_EQ(cube.GetNode(1, 1, 1), (TRGB{0.25, 0.5, 0.75}));
  EXPECT_EQ(cube.Comments, (std::vector<std::string>{"graded", "Converted by Vorn LUT Converter"}));
  // The look names the cube from its shader parameters, which the SpeedGrade reader
  // does not look at.
  TLUT look;
  LoadLut(path, look);
  EXPECT_EQ(look.FormatIndex, SpeedGrade());
  EXPECT_EQ(look.Kind, lkNone);
}

TEST_F(PremiereLook, AnExistingCubeIsReplacedOnlyWhenTheQuestionSaysYes) {
  const std::string path = Dir.File("a.look");
  const std::string cube = Dir.Write("a.cube", "old");
  std::vector<std::string> asked;
  auto answer = [&asked](bool yes) {
    return [&asked, yes](const std::string& file) {
      asked.push_back(file);
      return yes;
    };
  };
  Save(path, answer(false));
  EXPECT_EQ(asked, std::vector<std::string>{cube});
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(test::ReadFile(cube), "old");

  try {
    Save(path);
    FAIL() << "replaced without a question";
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()),
              "The " + cube + " file already exists and is not replaced.");
  }
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(test::ReadFile(cube), "old");

  Save(path, answer(true));
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(FileExists(path));
  TLUT written;
  LoadLut(cube, written);
  EXPECT_EQ(written.Size3D, 2);
}

TEST_F(PremiereLook, ALookPathEndingInCubeIsRefused) {
  const std::string path = Dir.File("a.cube");
  EXPECT_THROW(Save(path, [](const std::string&) { return true; }), Exception);
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace vorn
