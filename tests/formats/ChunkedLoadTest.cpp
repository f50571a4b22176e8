// Formats that parse one line at a time read their files in pieces: with any piece size the
// record, its comments, the skipped-value warning and the errors with their line numbers are
// those of the whole-text reading.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/CubeFormats.h"
#include "formats/FormatToolkit.h"
#include "formats/Text1DFormats.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

// What a load gave, as text: the record and the warning, or the error and its line.
std::string Outcome(const TGenericLutFormat& format, const std::string& path,
                    std::size_t chunkBytes) {
  TLUT lut;
  TLoadContext context;
  std::ostringstream out;
  try {
    format.LoadLines(path, lut, context, chunkBytes);
  } catch (const Exception& error) {
    out << "error on line " << error.Line() << ": " << error.what();
    return out.str();
  }
  out << "kind " << lut.Kind << " sizes " << lut.Size1D << " " << lut.Size3D << " skipped "
      << context.SkippedValueLines.Count << " from line " << context.SkippedValueLines.FirstLine
      << "\n";
  for (const std::string& comment : lut.Comments) out << "# " << comment << "\n";
  for (int i = 0; lut.HasTable() && i < lut.Size1D; ++i) {
    const TRGB e = lut.GetEntry(i);
    out << e.R << " " << e.G << " " << e.B << "\n";
  }
  const int n = lut.HasGrid() ? lut.Size3D : 0;
  for (int b = 0; b < n; ++b) {
    for (int g = 0; g < n; ++g) {
      for (int r = 0; r < n; ++r) {
        const TRGB v = lut.GetNode(r, g, b);
        out << v.R << " " << v.G << " " << v.B << "\n";
      }
    }
  }
  return out.str();
}

struct TChunkCase {
  const char* What;
  std::string Text;
  bool Loads;
};

std::string Values(const char* lineBreak) {
  std::string text;
  for (int i = 0; i < 8; ++i) {
    text += std::to_string(i & 1) + " " + std::to_string((i >> 1) & 1) + " 0." + std::to_string(i) +
            lineBreak;
  }
  return text;
}

TEST(ChunkedLoad, GivesWhatTheWholeTextGivesForTrickyLineBreaks) {
  const std::vector<TChunkCase> cases = {
      {"CR LF", "# graded\r\nLUT_3D_SIZE 2\r\n" + Values("\r\n"), true},
      {"CR", "# graded\rLUT_3D_SIZE 2\r\r" + Values("\r"), true},
      {"mixed, no last break", "# a\r\n# b\rLUT_3D_SIZE 2\n" + Values("\r\n") + "# tail", true},
      {"CR then LF as two lines", "LUT_3D_SIZE 2\n\r" + Values("\n\r") + "nan 0 0\r\n", true},
      {"skipped value lines after CRs",
       "LUT_3D_SIZE 2\r0 0 0\r\r\r1 x 0\r\n" + Values("\r").substr(6), true},
      {"a NUL ends the text early",
       "LUT_3D_SIZE 2\r\n" + Values("\r\n").substr(0, 30) + std::string(1, '\0') + "1 1 1\n",
       false},
      {"a NUL after the values", "LUT_3D_SIZE 2\r" + Values("\r") + std::string(1, '\0') + "x",
       true},
      {"an error on a line counted through CR breaks",
       "# a\r# b\r\n\r\n\rLUT_3D_SIZE 1000\r" + Values("\r"), false},
      {"a size that is not a number", "\r\r\n\n\rLUT_3D_SIZE two\r\n" + Values("\r"), false},
      {"incomplete", "LUT_3D_SIZE 2\r\n" + Values("\r").substr(0, 40), false},
      {"a shaper before the grid",
       "LUT_1D_SIZE 2\r\nLUT_3D_SIZE 2\r\n0 0 0\r\n1 1 1\r" + Values("\r\n"), true},
  };
  const TCube3DLutFormat cube;
  test::TempDir dir;
  for (const TChunkCase& item : cases) {
    const std::string path = dir.Write("in.cube", item.Text);
    const std::string whole = Outcome(cube, path, 0);
    EXPECT_EQ(whole.rfind("error", 0) != 0, item.Loads) << item.What << ": " << whole;
    for (const std::size_t chunk : {1, 2, 3, 7, 4096}) {
      EXPECT_EQ(Outcome(cube, path, chunk), whole) << item.What << ", pieces of " << chunk;
    }
  }
}

TEST(ChunkedLoad, OneDimensionalTextFilesToo) {
  const TCube1DLutFormat cube1D;
  test::TempDir dir;
  const std::string path =
      dir.Write("in.cube", "# curve\rLUT_1D_SIZE 3\r\n0 0 0\r\r0.5 0.5 0.5\n1 1 1");
  const std::string whole = Outcome(cube1D, path, 0);
  EXPECT_EQ(whole.rfind("error", 0), std::string::npos) << whole;
  for (const std::size_t chunk : {1, 2, 5}) {
    EXPECT_EQ(Outcome(cube1D, path, chunk), whole) << "pieces of " << chunk;
  }
}

}  // namespace
}  // namespace vorn
