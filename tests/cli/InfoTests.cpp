// "info": detected format, the preview lines, and the values with --values.

#include <gtest/gtest.h>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

TEST(CliInfo, NamesTheFormatOfEachCubeFamilyFile) {
  TempDir dir;
  const std::string cube = dir.Write("plain.cube", IdentityCube());
  const std::string truelight = dir.Write("truelight.cube", IdentityTruelight());
  const std::string cfe = dir.Write("monitor.cfe", IdentityCfe());
  const std::string vlt = dir.Write("camera.VLT", IdentityVlt());
  TCliResult result = RunCli({"info", cube, truelight, cfe, vlt});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out,
            "File: " + cube +
                "\nFormat: Cube 3D\nType: 3D\nDimension: 2\nidentity\n\n"
                "File: " +
                truelight +
                "\nFormat: Cube 3D Truelight\nType: 3D\nDimension: 2\n\n"
                "File: " +
                cfe +
                "\nFormat: FSI CFE (Flanders Scientific) 3D\nType: 3D\nDimension: 2\n\n"
                "File: " +
                vlt + "\nFormat: Panasonic 3D\nType: 3D\nDimension: 2\ntwelve-bit identity\n\n");
}

TEST(CliInfo, AFileOfUnknownFormatGetsOnlyItsNameAndFormat) {
  TempDir dir;
  const std::string notes = dir.Write("notes.txt", "nothing to see here\n");
  const std::string cube = dir.Write("a.cube", IdentityCube());
  TCliResult result = RunCli({"info", notes, cube});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out.substr(0, result.Out.find("File: " + cube)),
            "File: " + notes + "\nFormat: unknown\n\n");
  EXPECT_NE(result.Out.find("Format: Cube 3D\n"), std::string::npos);
}

TEST(CliInfo, ValuesListsTheGridRedSlowestWithSeventeenDigits) {
  TempDir dir;
  // Value lines run red fastest; the listing runs blue fastest.
  const std::string path = dir.Write(
      "tiny.cube", Cube2("", "0 0 0\n1 0.1 0\n0 1 0.25\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1.5 -0.5 1\n"));
  TCliResult result = RunCli({"info", "--values", path});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "File: " + path +
                            "\nFormat: Cube 3D\nType: 3D\nDimension: 2\n"
                            "0 0 0 0 0 0\n"
                            "0 0 1 0 0 1\n"
                            "0 1 0 0 1 0.25\n"
                            "0 1 1 0 1 1\n"
                            "1 0 0 1 0.10000000000000001 0\n"
                            "1 0 1 1 0 1\n"
                            "1 1 0 1 1 0\n"
                            "1 1 1 1.5 -0.5 1\n"
                            "\n");
}

TEST(CliInfo, ValuesOfAShaperAndGridListTheTableThenTheGrid) {
  TempDir dir;
  const std::string path = dir.Write("shaper.cube",
                                     "# shaped\nLUT_1D_SIZE 2\nLUT_3D_SIZE 2\n0 0.5 0\n1 1 0.25\n"
                                     "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  TCliResult result = RunCli({"info", "--values", path});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "File: " + path +
                            "\nFormat: Cube 3D\nType: 1D & 3D\nDimension: 2 & 2\nshaped\n"
                            "0 0 0.5 0\n"
                            "1 1 1 0.25\n"
                            "0 0 0 0 0 0\n"
                            "0 0 1 0 0 1\n"
                            "0 1 0 0 1 0\n"
                            "0 1 1 0 1 1\n"
                            "1 0 0 1 0 0\n"
                            "1 0 1 1 0 1\n"
                            "1 1 0 1 1 0\n"
                            "1 1 1 1 1 1\n"
                            "\n");
}

// A Nucoda file's shaper (divided by 33 in a version 1 file) comes before its grid.
TEST(CliInfo, ANucodaShaperAndGridAreOneLutOfBothKinds) {
  TempDir dir;
  const std::string path =
      dir.Write("shaped.cms", std::string("NUCODA_3D_CUBE 1\nTITLE \"shaped\"\nLUT_1D_SIZE 2\n") +
                                  "LUT_3D_SIZE 2\n0 0 0\n33 16.5 33\n" + kIdentityLines);
  TCliResult result = RunCli({"info", "--values", path});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "File: " + path +
                            "\nFormat: Nucoda 3D\nType: 1D & 3D\nDimension: 2 & 2\n"
                            "0 0 0 0\n"
                            "1 1 0.5 1\n"
                            "0 0 0 0 0 0\n"
                            "0 0 1 0 0 1\n"
                            "0 1 0 0 1 0\n"
                            "0 1 1 0 1 1\n"
                            "1 0 0 1 0 0\n"
                            "1 0 1 1 0 1\n"
                            "1 1 0 1 1 0\n"
                            "1 1 1 1 1 1\n"
                            "\n");
}

TEST(CliInfo, ValuesOfALargeGridHaveOneLinePerNode) {
  TempDir source;
  TempDir out;
  const std::string sourcePath = source.Write("a.cube", AffineCube());
  TCliResult converted = RunCli({"convert", "--profile", "Cube 3D Davinci", "--size", "64",
                                 "--output-dir", out.Path(), sourcePath});
  ASSERT_EQ(converted.Status, 0) << converted.Err;
  TCliResult result = RunCli({"info", "--values", out.File("a.cube")});
  ASSERT_EQ(result.Status, 0) << result.Err;
  std::vector<std::string> lines = Lines(result.Out);
  // File, Format, Type, Dimension, two source comments and the converter's line, then
  // the nodes and the empty line.
  constexpr std::size_t kNodes = 64 * 64 * 64;
  ASSERT_EQ(lines.size(), 7 + kNodes + 1);
  EXPECT_EQ(lines[3], "Dimension: 64");
  EXPECT_EQ(lines[6], "Converted by Vorn LUT Converter");
  EXPECT_EQ(lines[7], "0 0 0 0.10000000000000001 0.20000000000000001 0.90000000000000002");
  EXPECT_EQ(lines[8].rfind("0 0 1 0.1", 0), 0u);
  EXPECT_EQ(lines[7 + kNodes - 1].rfind("63 63 63 0.9", 0), 0u);
  EXPECT_EQ(lines.back(), "");
}

// --input-bits is the depth of the codes of files that do not state it (3DL); a file that
// states its range (Panasonic's 4095) reads the same with it.
TEST(CliInfo, InputBitsSetTheDepthOfFilesThatDoNotStateIt) {
  TempDir dir;
  const std::string dl = dir.Write("id.3dl", Identity3dl12());
  const std::string vlt = dir.Write("id.vlt", IdentityVlt());
  auto lastNodes = [&](const std::vector<std::string>& options) {
    std::vector<std::string> args = {"info", "--values"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {dl, vlt});
    TCliResult result = RunCli(args);
    EXPECT_EQ(result.Status, 0) << result.Err;
    std::vector<std::string> nodes;
    for (const std::string& line : Lines(result.Out)) {
      if (line.rfind("1 1 1 ", 0) == 0) nodes.push_back(line);
    }
    return nodes;
  };
  EXPECT_EQ(lastNodes({}), (std::vector<std::string>{
                               "1 1 1 0.24995422083867425 0.24995422083867425 0.24995422083867425",
                               "1 1 1 1 1 1"}));
  const std::vector<std::string> twelve = {"1 1 1 1 1 1", "1 1 1 1 1 1"};
  EXPECT_EQ(lastNodes({"--input-bits", "12"}), twelve);
  EXPECT_EQ(lastNodes({"--input-bits=12"}), twelve);
}

TEST(CliInfo, WithFailFastAMalformedFileEndsTheCommandNamingIt) {
  TempDir dir;
  const std::string good = dir.Write("good.cube", IdentityCube());
  const std::string truncated = dir.Write("short.cube", TruncatedCube());
  const std::string later = dir.Write("later.cube", IdentityCube());
  TCliResult result = RunCli({"info", "--fail-fast", good, truncated, later});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + truncated +
                            ": Incomplete file. 3 of the 8 values the file declares were read.\n");
  EXPECT_NE(result.Out.find("File: " + good), std::string::npos);
  EXPECT_EQ(result.Out.find(truncated), std::string::npos);
  EXPECT_EQ(result.Out.find(later), std::string::npos);
}

TEST(CliInfo, AValueThatDoesNotParseNamesItsFileAndLine) {
  TempDir dir;
  TempDir out;
  const std::string bad = dir.Write("bad.cube", "# a look\nLUT_3D_SIZE 2x\n");
  for (const char* command : {"info", "convert"}) {
    std::vector<std::string> args = {command, bad};
    if (std::string(command) == "convert") {
      args.insert(args.begin() + 1, {"--profile", "Cube 3D Davinci", "--output-dir", out.Path()});
    }
    TCliResult result = RunCli(args);
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Err, "vorn-lut: " + bad + ":2: '2x' is not a valid integer value\n");
  }
}

TEST(CliInfo, AMissingFileIsAFailureNamingIt) {
  TempDir dir;
  const std::string missing = dir.File("missing.cube");
  TCliResult result = RunCli({"info", missing});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err.rfind("vorn-lut: " + missing + ": ", 0), 0u) << result.Err;
  EXPECT_EQ(result.Out, "");
}

}  // namespace
}  // namespace vorn::test
