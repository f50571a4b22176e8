// The registry listings, the help texts and the handling of command lines that cannot run.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "tests/cli/CliRunner.h"

namespace vorn::test {
namespace {

// The listings print the registry of the program, which is the registry of this test.
std::string YesNo(bool value) {
  return value ? "yes" : "no";
}

TEST(CliListing, FormatsListsTheRegisteredFormatsInDetectionOrder) {
  TCliResult result = RunCli({"formats"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Err, "");
  std::string expected = "Number\tName\tType\tReads\tWrites\n";
  std::vector<bool> writes(LutFormats().size(), false);
  for (const auto& profile : OutputProfiles()) writes[profile->FormatIndex] = true;
  for (std::size_t i = 0; i < LutFormats().size(); ++i) {
    const TLUTFormat& format = *LutFormats()[i];
    expected += std::to_string(i) + "\t" + format.Name + "\t" + (format.Is3D ? "3D" : "1D") + "\t" +
                YesNo(format.CanRead()) + "\t" + YesNo(writes[i]) + "\n";
  }
  EXPECT_EQ(result.Out, expected);
  EXPECT_EQ(result.Out.substr(0, result.Out.find('\n', 40) + 1),
            "Number\tName\tType\tReads\tWrites\n0\tCube 3D Truelight\t3D\tyes\tyes\n");
  EXPECT_NE(result.Out.find("\tASC CDL\t3D\tyes\tno\n"), std::string::npos);
}

TEST(CliListing, ProfilesListsEveryOutputWithItsDefaults) {
  TCliResult result = RunCli({"profiles"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  std::string expected =
      "Number\tName\tExtension\tDefaultSize\tDefaultBits\tSizeSelectable\tBitsSelectable\n";
  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    const TLutOutputProfile& p = *OutputProfiles()[i];
    expected += std::to_string(i) + "\t" + p.Name + "\t" + p.Extension + "\t" +
                std::to_string(p.DefaultSize) + "\t" + std::to_string(p.DefaultBits) + "\t" +
                YesNo(p.SizeSelectable) + "\t" + YesNo(p.BitsSelectable) + "\n";
  }
  EXPECT_EQ(result.Out, expected);
  EXPECT_NE(result.Out.find("\tCube 3D Davinci\tcube\t33\t0\tyes\tno\n"), std::string::npos);
}

TEST(CliListing, EveryListingLineHasTheHeadersColumnCount) {
  for (const char* command : {"formats", "profiles"}) {
    std::vector<std::string> lines = Lines(RunCli({command}).Out);
    ASSERT_GE(lines.size(), 2u) << command;
    const std::size_t columns = Fields(lines[0]).size();
    for (const std::string& line : lines) EXPECT_EQ(Fields(line).size(), columns) << line;
  }
}

TEST(CliHelp, EveryCommandHasHelpOnStandardOutput) {
  const std::vector<std::vector<std::string>> commandLines = {{"--help"},
                                                              {"-h"},
                                                              {"help"},
                                                              {"formats", "--help"},
                                                              {"profiles", "-h"},
                                                              {"info", "--help"},
                                                              {"convert", "--help"},
                                                              {"help", "convert"},
                                                              {"convert", "a.cube", "--help"}};
  for (const auto& args : commandLines) {
    TCliResult result = RunCli(args);
    EXPECT_EQ(result.Status, 0) << args[0];
    EXPECT_EQ(result.Err, "") << args[0];
    EXPECT_EQ(result.Out.rfind("Usage: vorn-lut", 0), 0u) << args[0];
  }
  EXPECT_NE(RunCli({"convert", "--help"}).Out.find("--skip-existing"), std::string::npos);
  EXPECT_NE(RunCli({"info", "-h"}).Out.find("--values"), std::string::npos);
  EXPECT_NE(RunCli({"--help"}).Out.find("profiles"), std::string::npos);
}

TEST(CliHelp, VersionNamesTheProgram) {
  TCliResult result = RunCli({"--version"});
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Out.rfind("vorn-lut ", 0), 0u);
}

struct TUsageCase {
  std::vector<std::string> Args;
  const char* Expected;  // part of the message
};

TEST(CliUsage, CommandLinesThatCannotRunExitWithStatusTwo) {
  const std::vector<TUsageCase> cases = {
      {{}, "no command"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"formats", "extra"}, "takes no arguments"},
      {{"info"}, "at least one file"},
      {{"info", "--colour", "a.cube"}, "unknown option '--colour'"},
      {{"convert", "--output-dir", "/tmp", "a.cube"}, "--profile"},
      {{"convert", "--profile", "1", "a.cube"}, "--output-dir"},
      {{"convert", "--profile", "1", "--output-dir", "/tmp"}, "at least one file"},
      {{"convert", "--profile", "1", "--output-dir"}, "needs a value"},
      {{"convert", "--profile", "1", "--output-dir", "/tmp", "--overwrite", "--skip-existing",
        "a.cube"},
       "cannot be used together"},
      {{"convert", "--profile", "No Such Output", "--output-dir", "/tmp", "a.cube"},
       "vorn-lut profiles"},
      {{"convert", "--profile", "35", "--output-dir", "/tmp", "a.cube"}, "vorn-lut profiles"},
      {{"convert", "--profile", "Cube 3D Davinci", "--size", "big", "--output-dir", "/tmp",
        "a.cube"},
       "--size"},
      {{"info", "--input-bits", "9", "a.3dl"}, "--input-bits must be 8, 10, 12, 14 or 16"},
      {{"info", "--input-bits=twelve", "a.3dl"}, "--input-bits must be"},
      {{"info", "a.3dl", "--input-bits"}, "needs a value"},
      {{"convert", "--profile", "1", "--input-bits", "-1", "--output-dir", "/tmp", "a.3dl"},
       "--input-bits must be"},
      {{"help", "frobnicate"}, "unknown command"},
  };
  for (const TUsageCase& c : cases) {
    TCliResult result = RunCli(c.Args);
    std::string shown = c.Args.empty() ? "(nothing)" : c.Args[0];
    EXPECT_EQ(result.Status, 2) << shown << ": " << result.Err;
    EXPECT_EQ(result.Out, "") << shown;
    EXPECT_EQ(result.Err.rfind("vorn-lut: ", 0), 0u) << result.Err;
    EXPECT_NE(result.Err.find(c.Expected), std::string::npos) << result.Err;
    EXPECT_NE(result.Err.find("--help"), std::string::npos) << result.Err;
  }
}

}  // namespace
}  // namespace vorn::test
