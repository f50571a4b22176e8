// "compare" and the JSON documents of formats, profiles, info and compare: each is checked
// by Python's own JSON parser first, then read here for its keys and numbers.

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

using TJson = nlohmann::ordered_json;

// The document, after python3 -m json.tool has accepted it.
TJson ParseJson(const std::string& text) {
  TempDir dir;
  const std::string path = dir.Write("output.json", text);
  const std::string command = "python3 -m json.tool '" + path + "' > /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << text;
  return TJson::parse(text);
}

std::vector<std::string> Keys(const TJson& object) {
  std::vector<std::string> keys;
  for (const auto& item : object.items()) keys.push_back(item.key());
  return keys;
}

const std::vector<std::string> kFileKeys = {"path",    "format",  "format_number", "type",
                                            "size_1d", "size_3d", "comments"};
const std::vector<std::string> kStatsKeys = {
    "max", "mean", "p99", "max_codes_10bit", "mean_codes_10bit", "p99_codes_10bit", "max_at"};

std::string Number(double value) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 10);
  return std::string(text, end);
}

// A 33-node grid of (r^2, g^2, b^2).
std::string SquareCube() {
  std::string text = "LUT_3D_SIZE 33\n";
  for (int b = 0; b < 33; ++b) {
    for (int g = 0; g < 33; ++g) {
      for (int r = 0; r < 33; ++r) {
        text += Number(r * r / 1024.0) + " " + Number(g * g / 1024.0) + " " +
                Number(b * b / 1024.0) + "\n";
      }
    }
  }
  return text;
}

TEST(CliCompare, ALutWithItselfDiffersNowhere) {
  TempDir dir;
  const std::string affine = dir.Write("affine.cube", AffineCube());
  TCliResult result = RunCli({"compare", affine, affine});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::vector<std::string> lines = Lines(result.Out);
  ASSERT_EQ(lines.size(), 13u) << result.Out;
  EXPECT_EQ(lines[0], "First:  " + affine + " (Cube 3D, Type: 3D, Dimension: 2)");
  // A 2-node grid: its 8 nodes and the centre of its one cell.
  EXPECT_EQ(lines[2],
            "Inputs: 9, the nodes of both LUTs and the centres of the finer grid's cells");
  const std::string zeros = "  0.000000  0.000000  0.000000     0.000     0.000     0.000  0 0 0";
  EXPECT_EQ(lines[6], "R       " + zeros);
  EXPECT_EQ(lines[9], "Overall " + zeros);
  EXPECT_EQ(lines[11],
            "Largest colour difference (CIEDE2000, outputs read as sRGB): 0.0000 at 0 0 0");
}

TEST(CliCompare, AResampleDiffersByTheInterpolationErrorAndToleranceGuardsIt) {
  TempDir dir;
  TempDir out;
  const std::string fine = dir.Write("square.cube", SquareCube());
  ASSERT_EQ(RunCli({"convert", "--profile", "Cube 3D Davinci", "--size", "17", "--output-dir",
                    out.Path(), fine})
                .Status,
            0);
  const std::string coarse = out.File("square.cube");

  TCliResult result = RunCli({"compare", "--json", "--tolerance", "0.002", fine, coarse});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const TJson document = ParseJson(result.Out);
  // Linear interpolation of x^2 misses by at most h^2 / 4 = 1/1024 for h = 1/16; the
  // 17-node file holds six decimals.
  const TJson& overall = document["differences"]["overall"];
  EXPECT_NEAR(overall["max"].get<double>(), 1.0 / 1024, 1e-6);
  EXPECT_NEAR(overall["max_codes_10bit"].get<double>(), 1023.0 / 1024, 1e-3);
  EXPECT_EQ(document["sampling"]["samples"], 33 * 33 * 33 + 32 * 32 * 32);
  EXPECT_EQ(document["tolerance"], (TJson{{"value", 0.002}, {"exceeded", false}}));

  result = RunCli({"compare", "--tolerance", "0.0005", fine, coarse});
  EXPECT_EQ(result.Status, 1);
  EXPECT_NE(result.Out.find("Overall "), std::string::npos) << "the comparison is printed first";
  EXPECT_EQ(result.Err.rfind("vorn-lut: the largest difference 0.00097", 0), 0u) << result.Err;
  EXPECT_NE(result.Err.find(" is above the tolerance 0.0005"), std::string::npos) << result.Err;

  result = RunCli({"compare", "--samples", "5", "--json", fine, coarse});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const TJson lattice = ParseJson(result.Out)["sampling"];
  EXPECT_EQ(lattice, (TJson{{"inputs", "lattice"}, {"lattice_size", 5}, {"samples", 125}}));
}

TEST(CliCompare, FilesThatAreNotLutsEndWithStatusOne) {
  TempDir dir;
  const std::string cube = dir.Write("a.cube", IdentityCube());
  const std::string notes = dir.Write("notes.txt", "hello\n");
  const std::string broken = dir.Write("broken.cube", TruncatedCube());
  TCliResult result = RunCli({"compare", cube, notes});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + notes + ": not a LUT file of any known format\n");
  result = RunCli({"compare", broken, cube});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + broken +
                            ": Incomplete file. 3 of the 8 values the file declares were read.\n");
  EXPECT_EQ(result.Out, "");
}

TEST(CliJson, EveryDocumentParsesAndCarriesItsKeys) {
  TempDir dir;
  const std::string cube = dir.Write("a.cube", IdentityCube());
  const std::string notes = dir.Write("notes.txt", "hello\n");

  const TJson formats = ParseJson(RunCli({"formats", "--json"}).Out);
  EXPECT_EQ(Keys(formats), std::vector<std::string>{"formats"});
  ASSERT_FALSE(formats["formats"].empty());
  EXPECT_EQ(
      formats["formats"][1],
      (TJson{
          {"number", 1}, {"name", "Cube 3D"}, {"type", "3D"}, {"reads", true}, {"writes", true}}));

  const TJson profiles = ParseJson(RunCli({"profiles", "--json"}).Out);
  ASSERT_FALSE(profiles["profiles"].empty());
  for (const TJson& profile : profiles["profiles"]) {
    EXPECT_EQ(Keys(profile),
              (std::vector<std::string>{"number", "name", "extension", "format", "format_number",
                                        "type", "default_size", "default_bits", "size_selectable",
                                        "bits_selectable"}));
  }
  const auto davinci = std::find_if(profiles["profiles"].begin(), profiles["profiles"].end(),
                                    [](const TJson& p) { return p["name"] == "Cube 3D Davinci"; });
  ASSERT_NE(davinci, profiles["profiles"].end());
  EXPECT_EQ((*davinci)["format"], "Cube 3D");
  EXPECT_EQ((*davinci)["default_size"], 33);
  EXPECT_EQ((*davinci)["size_selectable"], true);

  const TJson info = ParseJson(RunCli({"info", "--json", "--values", cube, notes}).Out);
  EXPECT_EQ(Keys(info), (std::vector<std::string>{"files", "unclaimed"}));
  ASSERT_EQ(info["files"].size(), 2u);
  std::vector<std::string> withValues = kFileKeys;
  withValues.insert(withValues.end(), {"table", "grid"});
  EXPECT_EQ(Keys(info["files"][0]), withValues);
  EXPECT_EQ(info["files"][0]["comments"], TJson::array({"identity"}));
  EXPECT_EQ(info["files"][0]["size_1d"], nullptr);
  EXPECT_EQ(info["files"][0]["size_3d"], 2);
  ASSERT_EQ(info["files"][0]["grid"].size(), 8u);
  EXPECT_EQ(info["files"][0]["grid"][1], TJson::array({0, 0, 1})) << "blue runs fastest";
  EXPECT_EQ(info["files"][1]["format"], nullptr);
  EXPECT_EQ(Keys(info["files"][1]), kFileKeys);

  const TJson compare = ParseJson(RunCli({"compare", "--json", cube, cube}).Out);
  EXPECT_EQ(Keys(compare), (std::vector<std::string>{"first", "second", "sampling", "differences",
                                                     "delta_e_2000", "tolerance"}));
  EXPECT_EQ(Keys(compare["first"]), kFileKeys);
  EXPECT_EQ(Keys(compare["differences"]),
            (std::vector<std::string>{"red", "green", "blue", "overall"}));
  EXPECT_EQ(Keys(compare["differences"]["green"]), kStatsKeys);
  std::vector<std::string> overallKeys = kStatsKeys;
  overallKeys.push_back("max_channel");
  EXPECT_EQ(Keys(compare["differences"]["overall"]), overallKeys);
  EXPECT_EQ(Keys(compare["delta_e_2000"]),
            (std::vector<std::string>{"max", "mean", "p99", "max_at"}));
  EXPECT_TRUE(compare["differences"]["red"]["max"].is_number());
  EXPECT_EQ(compare["tolerance"], nullptr);
}

}  // namespace
}  // namespace vorn::test
