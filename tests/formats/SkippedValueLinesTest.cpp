// Every format on the reading toolkit reports lines that look like values but were skipped
// inside its values; here on the Cube family and a reader with a loop of its own (every
// written profile is checked in ProfileRoundTripTest).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

struct TSkipCase {
  const char* What;
  const char* Name;
  std::string Text;
  int Count;
  int FirstLine;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

const std::vector<std::string> kIdentity = {"0 0 0", "1 0 0", "0 1 0", "1 1 0",
                                            "0 0 1", "1 0 1", "0 1 1", "1 1 1"};

// The cube's header and its eight value lines with extra lines put before value line `at`.
std::string Cube(int at, const std::vector<std::string>& extra,
                 const std::string& header = "LUT_3D_SIZE 2") {
  std::vector<std::string> lines = {"# graded", header};
  for (int i = 0; i < 8; ++i) {
    if (i == at) lines.insert(lines.end(), extra.begin(), extra.end());
    lines.push_back(kIdentity[i]);
  }
  if (at >= 8) lines.insert(lines.end(), extra.begin(), extra.end());
  return Lines(lines);
}

TEST(SkippedValueLines, AreCountedInsideTheValuesOfEveryCubeFormat) {
  const std::vector<TSkipCase> cases = {
      {"a number out of range", "a.cube", Cube(3, {"1e400 0 0"}), 1, 6},
      {"not a number", "a.cube", Cube(1, {"nan 0 0"}), 1, 4},
      {"four numbers and two", "a.cube", Cube(2, {"1 0 0 0", "0.5 0.5"}), 2, 5},
      {"spread out", "a.cube", Cube(5, {"inf 1 1"}), 1, 8},
      {"comments, keywords and blank lines", "a.cube", Cube(4, {"# note", "TITLE \"x\"", ""}), 0,
       0},
      {"before the first value", "a.cube", Cube(0, {"nan 0 0"}), 0, 0},
      {"after the last value", "a.cube", Cube(8, {"nan 0 0", "1 2"}), 0, 0},
      {"Truelight", "t.cube",
       "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n# width     2 2 2\n\n# Cube\n" +
           Lines({"0 0 0", "1 0 0", "x", "1,0", "0 1 0", "1 1 0", "0 0 1", "1 0 1", "0 1 1",
                  "1 1 1"}) +
           "# end\n",
       1, 10},
      {"FSI CFE", "f.cfe", Cube(7, {"0 1 nan"}, "LUT_3D_VERSION 2.0.0\nLUT_3D_SIZE 2"), 1, 11},
      {"Panasonic codes", "p.vlt",
       Lines({"LUT_3D_SIZE 2", "0 0 0", "4095 0 0", "0 4095 0", "4095 4095 0 0", "4095 4095 0",
              "0 0 4095", "4095 0 4095", "0 4095 4095", "4095 4095 4095"}),
       1, 5},
      {"MatchLight, read by a loop of its own", "m.mlc",
       Lines({"lutS 2", "cubeS 2", "0 0 0", "15 15 15", "0 0 0", "1 0 0", "nan 1 1", "0 1 0",
              "1 1 0", "0 0 1", "1 0 1", "0 1 1", "1 1 1"}),
       1, 7},
      {"inside a shaper", "s.cube",
       Lines({"LUT_1D_SIZE 3", "LUT_3D_SIZE 2", "0 0 0", "0.5 0.5", "0.5 0.5 0.5", "1 1 1"}) +
           Lines(kIdentity),
       1, 4},
  };
  for (const TSkipCase& item : cases) {
    SCOPED_TRACE(item.What);
    test::TempDir dir;
    const std::string path = dir.Write(item.Name, item.Text);
    TLUT lut;
    const TLoadReport report = LoadLut(path, lut);
    ASSERT_NE(lut.FormatIndex, -1);
    if (item.Count == 0) {
      EXPECT_TRUE(report.Warnings.empty()) << report.Warnings.front().Message;
      continue;
    }
    ASSERT_EQ(report.Warnings.size(), 1u);
    const TLoadWarning& warning = report.Warnings.front();
    EXPECT_EQ(warning.File, path);
    EXPECT_EQ(warning.Line, item.FirstLine);
    const std::string count = std::to_string(item.Count);
    EXPECT_EQ(warning.Message.rfind(count + (item.Count == 1 ? " line " : " lines "), 0), 0u)
        << warning.Message;
    EXPECT_NE(warning.Message.find("line " + std::to_string(item.FirstLine) + ")"),
              std::string::npos)
        << warning.Message;
  }
}

TEST(SkippedValueLines, TheWarningAndItsErrorNameTheFileAndTheFirstLine) {
  const TLoadWarning one = SkippedValueLinesWarning("/luts/a.cube", {1, 7});
  EXPECT_EQ(one.Message,
            "1 line inside the values looks like values but could not be read and was skipped "
            "(line 7); every value after it moved one node or entry earlier.");
  const TLoadWarning three = SkippedValueLinesWarning("/luts/a.cube", {3, 12});
  EXPECT_EQ(three.Message,
            "3 lines inside the values look like values but could not be read and were skipped "
            "(the first is line 12); the values after them moved to earlier nodes or entries.");
  try {
    RaiseWarning(three);
    FAIL() << "no error";
  } catch (const ELUTError& error) {
    EXPECT_EQ(error.Message(), three.Message);
    EXPECT_EQ(error.File(), "/luts/a.cube");
    EXPECT_EQ(error.Line(), 12);
  }
}

TEST(SkippedValueLines, AnIncompleteFileIsStillAnError) {
  test::TempDir dir;
  TLUT lut;
  EXPECT_THROW(LoadLut(dir.Write("a.cube", "LUT_3D_SIZE 2\n0 0 0\nnan 0 0\n1 0 0\n"), lut),
               ELUTError);
}

}  // namespace
}  // namespace vorn
