// What "convert" says a conversion drops (on standard error, as warnings that --strict lets
// pass) and what --report compares for profiles whose file holds no values or is not read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

class CliLossNotes : public ::testing::Test {
 protected:
  CliLossNotes()
      : Grade33(In.Write("grade33.cube", CubeTextOf(*MakeGradeLut(lk3D, 33)))),
        Wide(In.Write("wide.cube", Cube2("",
                                         "-0.1 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n"
                                         "0 1 1\n2.0 1 1\n"))) {}

  TCliResult Convert(const std::string& profile, const std::vector<std::string>& files,
                     const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"--strict", "convert",      "--profile",
                                     profile,    "--output-dir", Out.Path()};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), files.begin(), files.end());
    return RunCli(args);
  }

  TempDir In;
  TempDir Out;
  std::string Grade33;
  std::string Wide;
};

TEST_F(CliLossNotes, EachLossIsAWarningLineThatStrictLetsPass) {
  struct TCase {
    const char* Profile;
    std::string File;
    std::string Err;
  };
  const std::string warning = "vorn-lut: warning: ";
  const std::vector<TCase> cases = {
      {"Cube 3D Davinci", Grade33, ""},
      {"3DL Fusion", Wide, warning + Wide + ": values from -0.1 to 2 are clamped to [0, 1]\n"},
      {"Shake 1D", Wide,
       warning + Wide +
           ": a 1D profile holds no grid: the 2-node grid is sampled along its grey axis and "
           "its cross-talk between channels is lost\n" +
           warning + Wide + ": values from -0.1 to 2 are clamped to [0, 1]\n"},
  };
  for (const TCase& item : cases) {
    SCOPED_TRACE(std::string(item.Profile) + " " + item.File);
    const TCliResult result = Convert(item.Profile, {item.File}, {"--overwrite"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Err, item.Err);
    EXPECT_EQ(Lines(result.Out).size(), 1u) << result.Out;
  }
}

// The look names its cube and holds no values: the cube is what is compared.
TEST_F(CliLossNotes, ThePremiereReportComparesTheLooksCube) {
  const TCliResult result = Convert("Adobe Premiere Look", {Grade33}, {"--report"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::vector<std::string> fields = Fields(Lines(result.Out).at(0));
  ASSERT_EQ(fields.size(), 6u) << result.Out;
  EXPECT_EQ(fields[2], Out.File("grade33.look"));
  EXPECT_EQ(fields[3], Out.File("grade33.cube"));
  ASSERT_TRUE(fields[4].starts_with("max ")) << fields[4];
  // 33 to 32 nodes of a smooth grade lose about 2 codes where its gamma is steepest; a look
  // compared as the empty record it loads as would be hundreds of codes off.
  const double codes = std::stod(fields[4].substr(4));
  EXPECT_GT(codes, 0.0);
  EXPECT_LT(codes, 4.0);
}

TEST_F(CliLossNotes, AProfileThatNoFormatReadsBackIsNotCompared) {
  const TCliResult result = Convert("Cine-tal 1D", {Grade33}, {"--report"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(Fields(Lines(result.Out).at(0)),
            (std::vector<std::string>{"converted", Grade33, Out.File("grade33.txt"),
                                      "not compared: no format reads the written file back"}));
}

}  // namespace
}  // namespace vorn::test
