// Every cube file of the shared corpus of real files either converts or fails with a
// message that names it. Files with a 3D size line load as grids, 1D-only files as Cube 1D
// tables that the conversion samples into a grid.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "tests/cli/CliRunner.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

// Relative to the corpus folder. The three files with a 1D shaper before the grid load
// as plain grids: the reader takes the first value lines after the 3D size line.
const std::set<std::string> kLoadable = {
    "colour-science/iridas_cube/ACES_Proxy_10_to_ACES.cube",
    "colour-science/iridas_cube/Colour_Correct.cube",
    "colour-science/iridas_cube/Demo.cube",
    "colour-science/iridas_cube/RGB_1_0.5_0.25.cube",
    "colour-science/iridas_cube/Three_Dimensional_Table.cube",
    "colour-science/iridas_cube/Unit.cube",
    "colour-science/iridas_cube/eotf_sRGB_3D.cube",
    "colour-science/resolve_cube/ACES_Proxy_10_to_ACES.cube",
    "colour-science/resolve_cube/Colour_Correct.cube",
    "colour-science/resolve_cube/Demo.cube",
    "colour-science/resolve_cube/LogC_Video.cube",
    "colour-science/resolve_cube/RGB_1_0.5_0.25.cube",
    "colour-science/resolve_cube/Three_Dimensional_Table.cube",
    "colour-science/resolve_cube/Three_Dimensional_Table_With_Shaper.cube",
    "colour-science/resolve_cube/Unit.cube",
    "colour-science/resolve_cube/eotf_sRGB_3D.cube",
    "ocio/iridas_1d.cube",
    "ocio/iridas_3d.cube",
    "ocio/resolve_1d3d.cube",
};

std::vector<std::string> CorpusCubeFiles(const std::string& corpus) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.is_regular_file() && entry.path().extension() == ".cube") {
      files.push_back(fs::relative(entry.path(), corpus).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(CliCorpus, EveryCubeFileConvertsOrIsRefusedByName) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the shared corpus of real LUT files is not present";
  const std::vector<std::string> files = CorpusCubeFiles(corpus);
  ASSERT_FALSE(files.empty());
  std::size_t loaded = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const std::string path = corpus + "/" + file;
    TempDir out;
    TCliResult result = RunCli({"convert", "--profile", "Cube 3D Davinci", "--size", "9",
                                "--output-dir", out.Path(), path});
    if (kLoadable.count(file)) {
      ASSERT_EQ(result.Status, 0) << result.Err;
      TCliResult info = RunCli({"info", out.File(fs::path(file).filename().string())});
      EXPECT_NE(info.Out.find("Format: Cube 3D\nType: 3D\nDimension: 9\n"), std::string::npos)
          << info.Out;
      ++loaded;
    } else {
      EXPECT_EQ(result.Status, 1);
      EXPECT_EQ(result.Err.rfind("vorn-lut: " + path + ": ", 0), 0u) << result.Err;
      EXPECT_NE(result.Err.find("not a LUT file"), std::string::npos) << result.Err;
      EXPECT_TRUE(fs::is_empty(out.Path()));
    }
  }
  EXPECT_EQ(loaded, kLoadable.size());
}

// A single correction loads as a 33-node grid and converts; a decision list and a collection
// load their first correction and list the others.
TEST(CliCorpus, AscCdlFilesShowAndConvert) {
  const std::string corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "the shared corpus of real LUT files is not present";
  const std::string correction = corpus + "/ocio/cdl_test2.cc";
  TCliResult info = RunCli({"info", correction});
  ASSERT_EQ(info.Status, 0) << info.Err;
  EXPECT_NE(info.Out.find("Format: ASC CDL\nType: 3D\nDimension: 33\nName: cc0001\n"),
            std::string::npos)
      << info.Out;
  TempDir out;
  TCliResult converted =
      RunCli({"convert", "--profile", "Cube 3D Davinci", "--output-dir", out.Path(), correction});
  ASSERT_EQ(converted.Status, 0) << converted.Err;
  EXPECT_NE(RunCli({"info", out.File("cdl_test2.cube")}).Out.find("Dimension: 33\nName: cc0001"),
            std::string::npos);

  for (const char* file : {"/ocio/cdl_test1.cdl", "/ocio/cdl_test1.ccc"}) {
    const TCliResult several = RunCli({"info", corpus + file});
    ASSERT_EQ(several.Status, 0) << several.Err;
    EXPECT_NE(several.Out.find("Format: ASC CDL\nType: 3D\nDimension: 33\nName: cc0001\n"
                               "Correction 1 of 5: id cc0001 (loaded)\n"),
              std::string::npos)
        << several.Out;
    EXPECT_NE(several.Out.find("Corrections: 5\n  1\tcc0001\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace vorn::test
