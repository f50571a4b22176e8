// ASC CDL files of several corrections on the command line: "info" lists them, "convert
// --cdl" takes one by id or number, "--cdl all" writes one file per correction.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "tests/cli/CliRunner.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

std::string Correction(const std::string& idAttribute, const std::string& slope) {
  return "<ColorCorrection" + idAttribute + "><SOPNode><Slope>" + slope +
         "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
}

// Three corrections: ids "a" and "b/2" (not fit for a file name) and one without an id.
const std::string kCollection = "<ColorCorrectionCollection>\n" +
                                Correction(" id=\"a\"", "0.5 0.5 0.5") +
                                Correction(" id=\"b/2\"", "0.6 0.7 0.8") +
                                Correction("", "0.9 0.9 0.9") + "</ColorCorrectionCollection>\n";

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(CdlChoice, InfoListsTheCorrections) {
  TempDir dir;
  const std::string path = dir.Write("looks.ccc", kCollection);
  const TCliResult text = RunCli({"info", path});
  ASSERT_EQ(text.Status, 0) << text.Err;
  EXPECT_NE(text.Out.find("Corrections: 3\n  1\ta\n  2\tb/2\n  3\t(no id)\n"), std::string::npos)
      << text.Out;
  EXPECT_NE(text.Out.find("Correction 2 of 3: id b/2\n"), std::string::npos) << text.Out;
  const TCliResult json = RunCli({"info", "--json", path});
  ASSERT_EQ(json.Status, 0) << json.Err;
  const nlohmann::json corrections = nlohmann::json::parse(json.Out)["files"][0]["corrections"];
  EXPECT_EQ(corrections, nlohmann::json::parse(R"([{"index": 1, "id": "a"},
                                                  {"index": 2, "id": "b/2"},
                                                  {"index": 3, "id": ""}])"));
}

TEST(CdlChoice, ConvertTakesOneCorrectionOrEach) {
  TempDir dir;
  const std::string path = dir.Write("looks.ccc", kCollection);
  struct Case {
    std::string Choice;
    std::set<std::string> Written;
  };
  const std::vector<Case> cases = {
      {"", {"looks.cube"}},
      {"b/2", {"looks.cube"}},
      {"3", {"looks.cube"}},
      {"all", {"looks_a.cube", "looks_b_2.cube", "looks_3.cube"}},
  };
  std::vector<std::string> written;  // by correction: the first, b/2, the third
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Choice);
    const std::string out = dir.File("out-" + std::to_string(written.size()));
    fs::create_directory(out);
    std::vector<std::string> args = {"convert", "--profile", "Cube 3D Davinci", "--output-dir",
                                     out};
    if (!c.Choice.empty()) args.insert(args.end(), {"--cdl", c.Choice});
    args.push_back(path);
    const TCliResult result = RunCli(args);
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(FilesIn(out), c.Written);
    if (c.Choice != "all") written.push_back(ReadFile(out + "/looks.cube"));
    if (c.Choice == "all") {
      EXPECT_EQ(ReadFile(out + "/looks_a.cube"), written[0]);
      EXPECT_EQ(ReadFile(out + "/looks_b_2.cube"), written[1]);
      EXPECT_EQ(ReadFile(out + "/looks_3.cube"), written[2]);
    }
  }
  EXPECT_NE(written[0], written[1]);
  EXPECT_NE(written[1], written[2]);

  const TCliResult unknown = RunCli({"convert", "--profile", "Cube 3D Davinci", "--output-dir",
                                     dir.File("out-0"), "--overwrite", "--cdl", "c", path});
  EXPECT_EQ(unknown.Status, 1);
  EXPECT_NE(unknown.Err.find("The file holds no correction \"c\""), std::string::npos)
      << unknown.Err;
}

}  // namespace
}  // namespace vorn::test
