// "convert" into the 1D and look outputs, "info" on what they write, and the cube file a
// Premiere look writes beside itself under --overwrite, --skip-existing or neither.

#include <gtest/gtest.h>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

const std::string kPremiere = "Adobe Premiere Look";

TCliResult ConvertTo(const std::string& profile, const std::string& outDir, const std::string& file,
                     const std::vector<std::string>& options = {}) {
  std::vector<std::string> args = {"convert", "--profile", profile, "--output-dir", outDir};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(file);
  return RunCli(args);
}

// Every 1D and look output converts a grid; the readable ones show as what they are.
TEST(CliText1D, EveryOneDimensionalAndLookOutputConverts) {
  struct TOutput {
    const char* Profile;
    const char* File;
    const char* Info;  // what "info" lists after the file line; null for write-only formats
    const char* Companion = nullptr;  // the second file written, named in the listing
  };
  const TOutput outputs[] = {
      {"Adobe Premiere Look", "affine.look",
       "Format: Adobe SpeedGrade Look 3D\nNo LUT data.\n",  // the grid is in the cube beside it
       "affine.cube"},
      {"Adobe SpeedGrade Look", "affine.look",
       "Format: Adobe SpeedGrade Look 3D\nType: 3D\n"
       "Dimension: 8\n"},
      {"Autodesk Lustre 1D", "affine.lut",
       "Format: Autodesk Lustre 1D\nType: 1D\n"
       "Dimension: 65536\n"},
      {"Blackmagic HDLink 1D", "affine.txt",
       "Format: Blackmagic HDLink 1D\nType: 1D\n"
       "Dimension: 1024\n"},
      {"Cine-tal 1D", "affine.txt", nullptr},
      {"Codex 1D, Sony SRW-1, Scratch 1D", "affine.dat",
       "Format: Codex 1D, Scratch 1D\nType: 1D\nDimension: 1024\n"
       "Converted by Vorn LUT Converter\n"},
      {"Colorfront OSD 1D", "affine.1dlut",
       "Format: Colorfront OSD 1D\nType: 1D\n"
       "Dimension: 1024\n"},
      {"Cube 1D", "affine.cube",
       "Format: Cube 1D\nType: 1D\nDimension: 4096\n"
       "affine test grid\nsecond comment\n"
       "Converted by Vorn LUT Converter\n"},
      {"Filmlight Truelight 1D", "affine.cube",
       "Format: Filmlight Truelight 1D\nType: 1D\n"
       "Dimension: 4096\n"},
      {"Fusion 1D", "affine.alut", "Format: Fusion 1D\nType: 1D\nDimension: 65536\n"},
      {"Nucoda 1D", "affine.cms", nullptr},
      {"Quantel 1D", "affine.txt", "Format: Quantel 1D\nType: 1D\nDimension: 1024\n"},
      {"S.two 1D", "affine.swto.xml", "Format: S.two 1D\nType: 1D\nDimension: 1024\n"},
      {"Shake 1D", "affine.txt", nullptr},
  };
  TempDir source;
  const std::string path = source.Write("affine.cube", AffineCube());
  for (const TOutput& output : outputs) {
    SCOPED_TRACE(output.Profile);
    TempDir out;
    const TCliResult result = ConvertTo(output.Profile, out.Path(), path);
    ASSERT_EQ(result.Status, 0) << result.Err;
    const std::string written = out.File(output.File);
    std::string line = "converted\t" + path;
    line.append("\t").append(written);
    if (output.Companion) line.append("\t").append(out.File(output.Companion));
    EXPECT_EQ(result.Out, line + "\n");
    if (output.Info == nullptr) {
      EXPECT_FALSE(ReadFile(written).empty());
      continue;
    }
    const TCliResult info = RunCli({"info", written});
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_EQ(info.Out, "File: " + written + "\n" + output.Info + "\n");
  }
}

TEST(CliText1D, TheLustreOutputTakesItsSizeAndDepth) {
  TempDir source;
  TempDir out;
  const std::string path = source.Write("affine.cube", AffineCube());
  const TCliResult result =
      ConvertTo("Autodesk Lustre 1D", out.Path(), path, {"--size", "1024", "--bits", "12"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::vector<std::string> lines = Lines(ReadFile(out.File("affine.lut")));
  ASSERT_EQ(lines.size(), 4u + 1024u);
  EXPECT_EQ(lines[0], "LUT12");
  // The grey axis of the affine map at 0 and 1, as 12-bit codes.
  EXPECT_EQ(lines[4], "0 410 819 3686");
  EXPECT_EQ(lines.back(), "1023 3686 3276 819");
  EXPECT_NE(RunCli({"info", out.File("affine.lut")}).Out.find("Dimension: 1024\n"),
            std::string::npos);
}

class CliPremiereCube : public ::testing::Test {
 protected:
  CliPremiereCube()
      : Path(Source.Write("a.cube", AffineCube())),
        Look(Out.File("a.look")),
        Cube(Out.Write("a.cube", "keep me\n")) {}

  TempDir Source;
  TempDir Out;
  std::string Path;
  std::string Look;
  std::string Cube;
};

// Into the source's own folder the look's cube would be the source: even --overwrite
// leaves it alone and names it.
TEST_F(CliPremiereCube, TheCubeBesideTheLookIsNeverTheSource) {
  const TCliResult result = ConvertTo(kPremiere, Source.Path(), Path, {"--overwrite"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_NE(result.Err.find(Path + ": The file that the output"), std::string::npos) << result.Err;
  EXPECT_EQ(ReadFile(Path), AffineCube());
  EXPECT_FALSE(FileExists(Source.File("a.look")));
}

TEST_F(CliPremiereCube, AnExistingCubeIsAnErrorThatNamesIt) {
  const TCliResult result = ConvertTo(kPremiere, Out.Path(), Path);
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + Cube +
                            ": the file already exists (use --overwrite to replace it or "
                            "--skip-existing to keep it)\n");
  EXPECT_FALSE(FileExists(Look));
  EXPECT_EQ(ReadFile(Cube), "keep me\n");
}

TEST_F(CliPremiereCube, SkipExistingWritesNeitherFile) {
  const TCliResult result = ConvertTo(kPremiere, Out.Path(), Path, {"--skip-existing"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "skipped\t" + Path + "\t" + Look + "\n");
  EXPECT_FALSE(FileExists(Look));
  EXPECT_EQ(ReadFile(Cube), "keep me\n");
}

TEST_F(CliPremiereCube, OverwriteReplacesTheCube) {
  const TCliResult result = ConvertTo(kPremiere, Out.Path(), Path, {"--overwrite"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  std::string line = "converted\t" + Path;
  line.append("\t").append(Look).append("\t").append(Cube);
  EXPECT_EQ(result.Out, line + "\n");
  EXPECT_NE(RunCli({"info", Cube}).Out.find("Format: Cube 3D\nType: 3D\nDimension: 32\n"),
            std::string::npos);
  EXPECT_NE(ReadFile(Look).find("<LUT>\"a.cube\"</LUT>"), std::string::npos);
}

}  // namespace
}  // namespace vorn::test
