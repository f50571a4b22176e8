// What the commands say about values they cannot use (a look without data, values an ICC
// profile clips, values no output can code) and how a file's own text reaches the terminal
// and JSON.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A Premiere look names its cube and holds no values.
std::string PremiereLook(const TempDir& dir) {
  const std::string cube = dir.Write("grade.cube", IdentityCube());
  const TCliResult made = RunCli(
      {"convert", "--profile", "Adobe Premiere Look", "--output-dir", dir.Path() + "/looks", cube});
  EXPECT_EQ(made.Status, 0) << made.Err;
  return dir.Path() + "/looks/grade.look";
}

TEST(CliValues, EveryCommandRefusesALookWithoutLutData) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() + "/looks");
  const std::string look = PremiereLook(dir);
  const std::string cube = dir.Write("id.cube", IdentityCube());
  const std::string out = dir.Path() + "/out";
  const std::vector<std::vector<std::string>> commands = {
      {"merge", "--profile", "Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "--output",
       out + ".cube", cube, look},
      {"lut2icc", "--class", "input", look, out + ".icc"},
      {"apply", look, dir.Write("p.bmp", ""), out + ".png"},
      {"compare", look, cube},
      {"compare", "--tolerance", "0.5", cube, look},
  };
  for (const auto& command : commands) {
    const TCliResult result = RunCli(command);
    EXPECT_EQ(result.Status, 1) << command[0] << ": " << result.Out;
    EXPECT_TRUE(Has(result.Err, "The file holds no LUT data to convert.")) << result.Err;
    EXPECT_TRUE(Has(result.Err, look)) << result.Err;
    EXPECT_FALSE(std::filesystem::exists(out + ".cube") || std::filesystem::exists(out + ".icc"));
  }
}

TEST(CliValues, Lut2IccWarnsOfClippedValuesAndStrictRefusesThem) {
  TempDir dir;
  const std::string wide = dir.Write(
      "wide.cube", Cube2("", "-0.1 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n2 1 1\n"));
  const TCliResult warned = RunCli({"lut2icc", "--class", "input", wide, wide + ".icc"});
  EXPECT_EQ(warned.Status, 0) << warned.Err;
  EXPECT_EQ(warned.Err, "vorn-lut: warning: " + wide +
                            ": values from -0.1 to 2 were clipped to [0, 1] in the ICC profile.\n");
  const TCliResult strict = RunCli({"--strict", "lut2icc", "--class", "input", wide, wide + "2"});
  EXPECT_EQ(strict.Status, 1);
  EXPECT_TRUE(Has(strict.Err, wide + ": values from -0.1 to 2 were clipped")) << strict.Err;
  EXPECT_FALSE(std::filesystem::exists(wide + "2"));
  const TCliResult inside = RunCli({"lut2icc", "--class", "input",
                                    dir.Write("id.cube", IdentityCube()), dir.Path() + "/id.icc"});
  EXPECT_EQ(inside.Err, "");
}

TEST(CliValues, ValuesNoOutputCanCodeAreRefusedAndNeverPrintedAsNumbersThatAreNot) {
  TempDir dir;
  const std::string big = dir.Write("big.cube", "LUT_1D_SIZE 2\n0 0 0\n1e308 1e308 1e308\n");
  struct TCase {
    const char* Profile;
    const char* Message;
  };
  const TCase cases[] = {
      {"Blackmagic HDLink 1D", "The output \"Blackmagic HDLink 1D\" cannot write the value "},
      {"Codex 1D, Sony SRW-1, Scratch 1D",
       "The output \"Codex 1D, Sony SRW-1, Scratch 1D\" cannot write the value "},
  };
  for (const TCase& c : cases) {
    const TCliResult result =
        RunCli({"convert", "--report", "--profile", c.Profile, "--output-dir", dir.Path(), big});
    EXPECT_EQ(result.Status, 1) << c.Profile;
    EXPECT_TRUE(Has(result.Err, c.Message)) << result.Err;
    EXPECT_FALSE(Has(result.Out + result.Err, "inf codes")) << result.Out;
  }
  const TCliResult compared = RunCli({"compare", big, dir.Write("id.cube", IdentityCube())});
  EXPECT_EQ(compared.Status, 1);
  EXPECT_FALSE(Has(compared.Out, "nan") || Has(compared.Out, "inf")) << compared.Out;
  EXPECT_TRUE(Has(compared.Err, "too large for their differences to be measured")) << compared.Err;
}

TEST(CliText, ControlCharactersOfNamesAndCommentsAreEscaped) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() + "/a\nb");
  const std::string named = dir.Write("a\nb/x.cube", Cube2("# a\x1b[31mred\n", kIdentityLines));
  const TCliResult info = RunCli({"info", named});
  ASSERT_EQ(info.Status, 0) << info.Err;
  EXPECT_TRUE(Has(info.Out, "File: " + dir.Path() + "/a\\nb/x.cube\n")) << info.Out;
  EXPECT_TRUE(Has(info.Out, "\na\\x1b[31mred\n")) << info.Out;
  EXPECT_FALSE(Has(info.Out + info.Err, "\x1b")) << info.Out;
  const TCliResult compare = RunCli({"compare", named, named});
  EXPECT_FALSE(Has(compare.Out, "\x1b") || Has(compare.Out, "a\nb")) << compare.Out;
  const std::string broken = dir.Write("\x1b]0;x\a.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  const TCliResult error = RunCli({"info", broken});
  EXPECT_EQ(error.Status, 1);
  EXPECT_TRUE(Has(error.Err, "\\x1b]0;x\\x07.cube")) << error.Err;
  EXPECT_FALSE(Has(error.Err, "\x1b")) << error.Err;
}

TEST(CliText, InfoJsonListsTheFilesBeforeABrokenOneWithItsError) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() + "/f");
  dir.Write("f/a.cube", IdentityCube());
  dir.Write("f/b.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n");
  const TCliResult result = RunCli({"info", "--json", dir.Path() + "/f"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_TRUE(Has(result.Out, "\"path\": \"" + dir.Path() + "/f/a.cube\"")) << result.Out;
  EXPECT_TRUE(Has(result.Out, "\"error\": \"" + dir.Path() +
                                  "/f/b.cube: Incomplete file. 2 of the 8 values the file "
                                  "declares were read.\""))
      << result.Out;
  EXPECT_TRUE(Has(result.Err, "Incomplete file.")) << result.Err;
}

TEST(CliText, JsonKeepsTheBytesOfNamesThatAreNotUtf8) {
  TempDir dir;
  const std::string path = dir.Write("\xff\x7f\xc3\xa9.cube", IdentityCube());
  const TCliResult result = RunCli({"info", "--json", path});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_TRUE(Has(result.Out, "/\\udcff\\u007f\xc3\xa9.cube\"")) << result.Out;
}

}  // namespace
}  // namespace vorn::test
