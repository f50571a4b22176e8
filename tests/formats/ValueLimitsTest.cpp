// Text the readers take as it is (a NUL byte inside a comment), what "Incomplete file." tells,
// and the values that no output can write.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/VornLut.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

const std::string kNul(1, '\0');
const char* kIdentity = "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
const char* kIdentity3dl =
    "0 1023\n0 0 0\n0 0 4095\n0 4095 0\n0 4095 4095\n4095 0 0\n"
    "4095 0 4095\n4095 4095 0\n4095 4095 4095\n";

TEST(ReadingText, ANulByteInACommentIsPartOfTheComment) {
  struct TCase {
    const char* Name;
    std::string Text;
  };
  const std::vector<TCase> cases = {
      {"a.cube", "# co" + kNul + "mment\nLUT_3D_SIZE 2\n" + kIdentity},
      {"a.3dl", "# co" + kNul + "mment\n" + kIdentity3dl},
  };
  test::TempDir dir;
  for (const TCase& c : cases) {
    TLUT lut;
    ASSERT_NO_THROW(LoadLutFile(dir.Write(c.Name, c.Text), lut)) << c.Name;
    EXPECT_EQ(lut.Size3D, 2) << c.Name;
    EXPECT_GT(lut.GetNode(1, 1, 1).B, 0.2) << c.Name;  // the last value line was read
    ASSERT_FALSE(lut.Comments.empty()) << c.Name;
    EXPECT_EQ(lut.Comments[0], "co" + kNul + "mment") << c.Name;
  }
}

TEST(ReadingText, AnIncompleteFileSaysHowManyValuesItHoldsAndDeclares) {
  struct TCase {
    const char* Name;
    std::string Text;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"a.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n",
       "Incomplete file. 2 of the 8 values the file declares were read."},
      {"b.cube", "LUT_1D_SIZE 3\n0 0 0\n",
       "Incomplete file. 1 of the 3 values the file declares were read."},
      {"c.cube", "LUT_1D_SIZE 2\nLUT_3D_SIZE 2\n0 0 0\n1 1 1\n0 0 0\n",
       "Incomplete file. 3 of the 10 values the file declares were read."},
      {"d.3dl", "0 1023\n0 0 0\n0 0 4095\n0 4095 0\n",
       "Incomplete file. 3 of the 8 values the file declares were read."},
      {"e.cube", "LUT_3D_SIZE 2\n# nothing else\n",
       "Incomplete file. 0 of the 8 values the file declares were read."},
  };
  test::TempDir dir;
  for (const TCase& c : cases) {
    TLUT lut;
    try {
      LoadLutFile(dir.Write(c.Name, c.Text), lut);
      ADD_FAILURE() << c.Name << " loaded";
    } catch (const ELUTError& error) {
      EXPECT_STREQ(error.what(), c.Message) << c.Name;
    }
  }
}

TEST(WritingValues, ValuesAnOutputCannotCodeAreRefusedNamingTheOutputAndTheValue) {
  const double inf = std::numeric_limits<double>::infinity();
  struct TCase {
    const char* Profile;
    double Value;
    const char* Message;
  };
  const std::vector<TCase> cases = {
      {"Cube 1D", inf,
       "The output \"Cube 1D\" cannot write the value inf: it is not a finite "
       "number."},
      {"Nucoda 1D", std::numeric_limits<double>::quiet_NaN(),
       "The output \"Nucoda 1D\" cannot write the value nan: it is not a finite number."},
      // Codes clamped to [0, 1] would write NaN as 0 and an infinity as an end of the range.
      {"Quantel 1D", std::numeric_limits<double>::quiet_NaN(),
       "The output \"Quantel 1D\" cannot write the value nan: it is not a finite number."},
      {"Fusion 1D", -inf,
       "The output \"Fusion 1D\" cannot write the value -inf: it is not a finite number."},
      {"Blackmagic HDLink 1D", 1e308,
       "The output \"Blackmagic HDLink 1D\" cannot write the value 1e+308: times 1000 it lies "
       "beyond the range of numbers."},
      {"Codex 1D, Sony SRW-1, Scratch 1D", 1e308,
       "The output \"Codex 1D, Sony SRW-1, Scratch 1D\" cannot write the value 1e+308: times "
       "the top code 1023 it lies beyond the 32-bit integers that readers take."},
      {"Codex 1D, Sony SRW-1, Scratch 1D", -3e6,
       "The output \"Codex 1D, Sony SRW-1, Scratch 1D\" cannot write the value -3e+06: times "
       "the top code 1023 it lies beyond the 32-bit integers that readers take."},
  };
  test::TempDir dir;
  for (const TCase& c : cases) {
    TLUT lut;
    lut.Kind = lk1D;
    lut.Size1D = 2;
    lut.SetEntry(0, {0, 0, 0});
    lut.SetEntry(1, {1, c.Value, 1});
    try {
      SaveLut(dir.Path() + "/out.txt", lut, test::ProfileNamed(c.Profile), -1);
      ADD_FAILURE() << c.Profile << " wrote " << c.Value;
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
    EXPECT_FALSE(FileExists(dir.Path() + "/out.txt")) << c.Profile;
  }
}

}  // namespace
}  // namespace vorn
