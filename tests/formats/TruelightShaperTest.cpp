// The Truelight cube's "# InputLUT" section, as OpenColorIO writes it, read as the 1D
// shaper before the grid and checked against OpenColorIO's own reading of the same files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

bool HaveOpenColorIO() {
  return std::system("command -v ociobakelut >/dev/null 2>&1") == 0;
}

void Bake(const std::string& input, const std::string& format, int cubeSize, int shaperSize,
          const std::string& output) {
  std::string command = "ociobakelut --lut '" + input + "' --format " + format + " --cubesize " +
                        std::to_string(cubeSize);
  if (shaperSize > 0) command += " --shapersize " + std::to_string(shaperSize);
  command += " '" + output + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A 3-node grade that bends every channel differently.
std::string GradeCube() {
  std::ostringstream text;
  text << "LUT_3D_SIZE 3\n";
  for (int b = 0; b < 3; ++b)
    for (int g = 0; g < 3; ++g)
      for (int r = 0; r < 3; ++r)
        text << 0.05 + 0.9 * std::pow(r / 2.0, 0.8) << ' ' << 0.1 + 0.8 * (g / 2.0) << ' '
             << std::pow(b / 2.0, 1.3) << '\n';
  return text.str();
}

// The file with its InputLUT lines (grid indices 0..width-1) replaced by a curve.
std::string WithCurvedShaper(const std::string& text, int entries, int width) {
  std::istringstream in(text);
  std::ostringstream out;
  std::string line;
  int inShaper = -1;
  while (std::getline(in, line)) {
    if (line == "# InputLUT") inShaper = 0;
    if (inShaper > 0 && inShaper <= entries) {
      const double x = (inShaper - 1.0) / (entries - 1.0);
      const double index = (width - 1) * x * x;
      line = std::to_string(index) + " " + std::to_string(index) + " " +
             std::to_string((width - 1) * std::sqrt(x));
    }
    if (inShaper >= 0) ++inShaper;
    out << line << '\n';
  }
  return out.str();
}

TEST(TruelightShaper, OpenColorIOFilesReadAsOpenColorIOReadsThem) {
  if (!HaveOpenColorIO()) GTEST_SKIP() << "ociobakelut (OpenColorIO) is not installed";
  test::TempDir dir;
  const std::string grade = dir.Write("grade.cube", GradeCube());
  const std::string written = dir.File("written.cub");
  Bake(grade, "truelight", 4, 5, written);
  const std::string curved =
      dir.Write("curved.cub", WithCurvedShaper(test::ReadFile(written), 5, 4));
  ASSERT_NE(test::ReadFile(written).find("# lutLength 5"), std::string::npos);

  for (const std::string& path : {written, curved}) {
    SCOPED_TRACE(path);
    TLUT lut;
    const TLoadReport report = LoadLut(path, lut);
    ASSERT_EQ(lut.FormatIndex, IndexOfFormat("Cube 3D Truelight"));
    EXPECT_TRUE(report.Warnings.empty());
    ASSERT_EQ(lut.Kind, lk1DAnd3D);
    EXPECT_EQ(lut.Size1D, 5);
    ASSERT_EQ(lut.Size3D, 4);

    // OpenColorIO's reading of the same file, sampled on a 9-node grid.
    const std::string sampled = path + ".sampled.cube";
    Bake(path, "iridas_cube", 9, 0, sampled);
    TLUT reference;
    LoadLut(sampled, reference);
    ASSERT_EQ(reference.Size3D, 9);
    double worst = 0;
    for (int r = 0; r < 9; ++r)
      for (int g = 0; g < 9; ++g)
        for (int b = 0; b < 9; ++b) {
          const TRGB ours = lut.Evaluate({r / 8.0, g / 8.0, b / 8.0});
          const TRGB theirs = reference.GetNode(r, g, b);
          worst = std::max({worst, std::fabs(ours.R - theirs.R), std::fabs(ours.G - theirs.G),
                            std::fabs(ours.B - theirs.B)});
        }
    EXPECT_LT(worst, 2e-6);
  }
}

TEST(TruelightShaper, TheSectionIsReadByItsMarkersAndItsLength) {
  const std::string header =
      "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n# width     2 2 2\n";
  const std::string grid = "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
  struct TCase {
    const char* What;
    std::string Text;
    TLutKind Kind;
    int Entries;
  };
  const std::vector<TCase> cases = {
      {"length before the section",
       "# lutLength 3\n" + header + "# InputLUT\n0 0 0\n0.5 0.5 0.5\n1 1 1\n# Cube\n" + grid,
       lk1DAnd3D, 3},
      {"no length: the section's lines", header + "# InputLUT\n0 0 0\n1 1 1\n\n# Cube\n" + grid,
       lk1DAnd3D, 2},
      {"no Cube marker after a full shaper",
       "# lutLength 2\n" + header + "# InputLUT\n0 0 0\n1 1 1\n" + grid, lk1DAnd3D, 2},
      {"a length without a section", "# lutLength 4\n" + header + "# Cube\n" + grid, lk3D, 0},
      {"our own writing", header + "\n# Cube\n" + grid + "# end\n", lk3D, 0},
  };
  for (const TCase& item : cases) {
    SCOPED_TRACE(item.What);
    test::TempDir dir;
    TLUT lut;
    LoadLut(dir.Write("t.cube", item.Text), lut);
    ASSERT_EQ(lut.FormatIndex, IndexOfFormat("Cube 3D Truelight"));
    EXPECT_EQ(lut.Kind, item.Kind);
    EXPECT_EQ(lut.Size3D, 2);
    EXPECT_EQ(lut.GetNode(1, 0, 0), (TRGB{1, 0, 0}));
    EXPECT_EQ(lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
    if (item.Kind == lk1DAnd3D) {
      EXPECT_EQ(lut.Size1D, item.Entries);
      EXPECT_EQ(lut.GetEntry(item.Entries - 1), (TRGB{1, 1, 1}));
    }
  }
  test::TempDir dir;
  TLUT lut;
  EXPECT_THROW(LoadLut(dir.Write("short.cube", "# lutLength 3\n" + header +
                                                   "# InputLUT\n0 0 0\n1 1 1\n# Cube\n" + grid),
                       lut),
               ELUTError);
  EXPECT_THROW(
      LoadLut(dir.Write("long.cube", "# lutLength 100002\n" + header + "# InputLUT\n"), lut),
      ELUTError);
}

}  // namespace
}  // namespace vorn
