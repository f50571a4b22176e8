// Folders as arguments of info and convert (recursive, name order, unclaimed files counted
// and reported), and the loss report of "convert --report".

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

class CliFolders : public ::testing::Test {
 protected:
  CliFolders() {
    std::filesystem::create_directories(In.File("shots/b-roll"));
    Grade = In.Write("shots/Grade.cube", AffineCube());
    Deeper = In.Write("shots/b-roll/deeper.cube", IdentityCube());
    Notes = In.Write("shots/b-roll/notes.txt", "not a LUT\n");
    Identity = In.Write("shots/a.cube", IdentityCube());
    Readme = In.Write("shots/readme.md", "also not a LUT\n");
  }

  TempDir In;
  TempDir Out;
  std::string Grade, Deeper, Notes, Identity, Readme;
};

TEST_F(CliFolders, InfoDescribesTheClaimedFilesInNameOrderAndListsTheRest) {
  TCliResult result = RunCli({"info", In.File("shots")});
  ASSERT_EQ(result.Status, 0) << result.Err;
  std::vector<std::string> files;
  for (const std::string& line : Lines(result.Out)) {
    if (line.starts_with("File: ")) files.push_back(line.substr(6));
  }
  EXPECT_EQ(files, (std::vector<std::string>{Identity, Deeper, Grade}));
  const std::string tail = result.Out.substr(result.Out.find("Skipped "));
  EXPECT_EQ(tail, "Skipped 2 files in the folders that no format claims:\n  " + Notes + "\n  " +
                      Readme + "\n");
}

TEST_F(CliFolders, ConvertWritesTheClaimedFilesAndReportsTheRest) {
  TCliResult result = RunCli(
      {"convert", "--profile", "Cube 3D Davinci", "--output-dir", Out.Path(), In.File("shots")});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "converted\t" + Identity + "\t" + Out.File("a.cube") + "\n" +
                            "converted\t" + Deeper + "\t" + Out.File("deeper.cube") + "\n" +
                            "converted\t" + Grade + "\t" + Out.File("Grade.cube") + "\n" +
                            "unclaimed\t" + Notes + "\n" + "unclaimed\t" + Readme + "\n");
  EXPECT_EQ(result.Err, "vorn-lut: skipped 2 files in the folders that no format claims\n");
}

TEST_F(CliFolders, ReportAddsTheLossOfEveryWrittenFile) {
  // To 2 nodes: the affine grade and the identity survive the resampling exactly.
  TCliResult result = RunCli({"convert", "--profile", "Cube 3D Davinci", "--size", "2", "--report",
                              "--output-dir", Out.Path(), Grade, Identity});
  ASSERT_EQ(result.Status, 0) << result.Err;
  std::vector<std::string> lines = Lines(result.Out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Fields(lines[1]),
            (std::vector<std::string>{"converted", Identity, Out.File("a.cube"),
                                      "max 0.000 10-bit codes", "max dE00 0.0000"}));
  // The affine values are written with six decimals: less than half a millionth off.
  EXPECT_EQ(Fields(lines[0])[3], "max 0.000 10-bit codes");

  // 12-bit codes lose up to half a 12-bit code, a quarter of a 10-bit one.
  TempDir vlt;
  result = RunCli({"convert", "--profile", "Panasonic 3D vlt, Varicam", "--report", "--output-dir",
                   vlt.Path(), Grade});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::vector<std::string> fields = Fields(Lines(result.Out).at(0));
  ASSERT_EQ(fields.size(), 5u);
  const double codes = std::stod(fields[3].substr(4));
  EXPECT_GT(codes, 0.0);
  EXPECT_LE(codes, 0.5 * 1023 / 4095 + 1e-3);
  EXPECT_EQ(fields[4].rfind("max dE00 ", 0), 0u);

  // Without --report the lines keep their three fields.
  result = RunCli({"convert", "--profile", "Cube 3D Davinci", "--overwrite", "--output-dir",
                   Out.Path(), Grade});
  EXPECT_EQ(Fields(Lines(result.Out).at(0)).size(), 3u);
}

}  // namespace
}  // namespace vorn::test
