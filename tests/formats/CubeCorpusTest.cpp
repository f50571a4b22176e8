// Cube files written by other tools, read by path from the shared corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::string CorpusFile(const std::string& relative) {
  std::string dir = test::CorpusDir();
  return dir.empty() ? std::string() : dir + "/" + relative;
}

#define REQUIRE_CORPUS() \
  if (test::CorpusDir().empty()) GTEST_SKIP() << "the shared corpus folder is not there"

TEST(CubeCorpus, ThreeDimensionalFilesLoadWithTheirSizes) {
  REQUIRE_CORPUS();
  struct Case {
    const char* Path;
    int Size;
  };
  for (const Case& c :
       {Case{"ocio/iridas_3d.cube", 2}, Case{"colour-science/iridas_cube/Colour_Correct.cube", 4},
        Case{"colour-science/resolve_cube/Colour_Correct.cube", 4},
        Case{"colour-science/iridas_cube/Three_Dimensional_Table.cube", 2}}) {
    std::string path = CorpusFile(c.Path);
    TLUT lut;
    LoadLut(path, lut, -1);
    EXPECT_EQ(lut.FormatIndex, IndexOfFormat("Cube 3D")) << c.Path;
    EXPECT_EQ(lut.Kind, lk3D) << c.Path;
    EXPECT_EQ(lut.Size3D, c.Size) << c.Path;
  }
}

TEST(CubeCorpus, EveryCubeFileEitherLoadsOrFailsWithAMessage) {
  REQUIRE_CORPUS();
  int loaded = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(test::CorpusDir())) {
    if (entry.path().extension() != ".cube") continue;
    TLUT lut;
    try {
      LoadLut(entry.path().string(), lut, -1);
      if (lut.FormatIndex >= 0) {
        ++loaded;
        const bool table = lut.Kind == lk1D;
        EXPECT_GE(table ? lut.Size1D : lut.Size3D, 1) << entry.path();
        EXPECT_LE(table ? lut.Size1D : lut.Size3D, table ? TLUT::MaxTableEntries : 100)
            << entry.path();
        TRGB out = lut.Evaluate({0.5, 0.5, 0.5});
        EXPECT_FALSE(std::isnan(out.R)) << entry.path();
      }
    } catch (const std::exception& e) {
      EXPECT_GT(std::string(e.what()).size(), 0u) << entry.path();
    }
  }
  EXPECT_GT(loaded, 5);
}

TEST(CubeCorpus, IdentityIsReproduced) {
  REQUIRE_CORPUS();
  TLUT lut;
  LoadLut(CorpusFile("ocio/iridas_3d.cube"), lut, -1);
  ASSERT_EQ(lut.Size3D, 2);
  // The file is red-fastest; node values stay as written.
  TLUT again;
  test::TempDir dir;
  std::string out = dir.File("again.cube");
  const auto davinci = std::find_if(OutputProfiles().begin(), OutputProfiles().end(),
                                    [](const auto& p) { return p->Name == "Cube 3D Davinci"; });
  ASSERT_NE(davinci, OutputProfiles().end());
  SaveLut(out, lut, **davinci, -1);
  LoadLut(out, again, -1);
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) {
        TRGB e = lut.GetNode(r, g, b), a = again.GetNode(r, g, b);
        EXPECT_NEAR(a.R, e.R, 5e-7);
        EXPECT_NEAR(a.G, e.G, 5e-7);
        EXPECT_NEAR(a.B, e.B, 5e-7);
      }
}

}  // namespace
}  // namespace vorn
