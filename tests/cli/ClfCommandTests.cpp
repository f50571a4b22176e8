// Process lists on the command line: info --size, and convert sampling an evaluated list at
// the output's size and keeping a table as a table.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/CliRunner.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

const std::string kMatrixList =
    "<ProcessList id=\"m\" compCLFversion=\"3\"><Matrix inBitDepth=\"32f\" outBitDepth=\"32f\">"
    "<Array dim=\"3 3\">1 0 0 0 0.5 0 0 0 1</Array></Matrix></ProcessList>\n";
const std::string kTableList =
    "<ProcessList id=\"t\" compCLFversion=\"3\"><LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\">"
    "<Array dim=\"5 1\">0 0.1 0.3 0.6 1</Array></LUT1D></ProcessList>\n";

struct TInfoCase {
  std::vector<std::string> Options;
  int Status;
  std::string Expected;  // in the output, or in the error for a status other than 0
};

TEST(CliClf, InfoSamplesAnEvaluatedListAtTheSizeAsked) {
  TempDir dir;
  const std::string path = dir.Write("matrix.clf", kMatrixList);
  const std::vector<TInfoCase> cases = {
      {{}, 0, "Dimension: 33\n"},
      {{"--size", "5"}, 0, "Dimension: 5\n"},
      {{"--size=100"}, 0, "Dimension: 100\n"},
      {{"--size", "1"}, 2, "--size must be a whole number from 2 to 100, got '1'"},
      {{"--size", "101"}, 2, "--size must be a whole number from 2 to 100, got '101'"},
      {{"--size", "x"}, 2, "--size must be a whole number from 2 to 100, got 'x'"},
  };
  for (const TInfoCase& c : cases) {
    std::vector<std::string> args = {"info"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.push_back(path);
    SCOPED_TRACE(args.size() > 2 ? args[1] : "no option");
    const TCliResult result = RunCli(args);
    EXPECT_EQ(result.Status, c.Status) << result.Err;
    EXPECT_NE((c.Status == 0 ? result.Out : result.Err).find(c.Expected), std::string::npos)
        << result.Out << result.Err;
  }
}

TEST(CliClf, ConvertSamplesAtTheOutputSizeAndKeepsATable) {
  TempDir dir;
  const std::string matrix = dir.Write("matrix.clf", kMatrixList);
  const std::string table = dir.Write("table.clf", kTableList);
  TempDir outDir;
  const std::string out = outDir.Path();
  TCliResult result = RunCli(
      {"convert", "--profile", "Cube 3D Davinci", "--size", "9", "--output-dir", out, matrix});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Err.find("resampled"), std::string::npos) << result.Err;
  EXPECT_NE(ReadFile(out + "/matrix.cube").find("LUT_3D_SIZE 9\n"), std::string::npos);
  result =
      RunCli({"convert", "--profile", "Academy/ASC Common LUT Format", "--output-dir", out, table});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::string written = ReadFile(out + "/table.clf");
  EXPECT_NE(written.find("<Array dim=\"5 3\">"), std::string::npos) << written;
  EXPECT_EQ(written.find("<LUT3D"), std::string::npos) << written;
}

}  // namespace
}  // namespace vorn::test
