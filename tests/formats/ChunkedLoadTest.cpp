// Formats that parse one line at a time read their files in pieces: with any piece size the
// record, its comments, the skipped-value warning and the errors with their line numbers are
// those of the whole-text reading.

#include <gtest/gtest.h>

#include <iomanip>
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
  out << std::setprecision(17);
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

// A cube of n nodes a side with six-decimal values, with extra lines put before the value
// line of the given numbers (0 for the first value line).
std::string LargeCube(int n, const std::vector<std::pair<int, std::string>>& extra,
                      const char* lineBreak = "\n") {
  std::string text = "# large\nLUT_3D_SIZE " + std::to_string(n) + lineBreak;
  const int nodes = n * n * n;
  char line[96];
  for (int i = 0; i < nodes; ++i) {
    for (const auto& [before, what] : extra) {
      if (before == i) text += what + lineBreak;
    }
    std::snprintf(line, sizeof line, "%.6f %.6f %.6f%s", (i % 997) / 996.0, (i % 1009) / 1008.0,
                  (i % 499) / 498.0 - 0.25, lineBreak);
    text += line;
  }
  return text;
}

// count shaper entries, one a line, without a break after the last.
std::string ShaperLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += '\n';
    text.append(std::to_string(i / (count - 1.0))).append(" 0.5 0.25");
  }
  return text;
}

// Large files are read in batches parsed ahead on a second core: the record, the warning
// and the errors with their lines are those of the whole text, and of a load on one core.
TEST(ChunkedLoad, LargeFilesParsedAheadGiveWhatTheWholeTextGives) {
  const std::vector<TChunkCase> cases = {
      {"plain", LargeCube(30, {}), true},
      {"CR LF", LargeCube(30, {}, "\r\n"), true},
      {"comments, blanks and a skipped line deep inside",
       LargeCube(30, {{9000, "# note"}, {12000, ""}, {20000, "1 x 0"}, {20001, "  \t"}}), true},
      {"a value that is no number deep inside", LargeCube(30, {{25000, "0.5 0.5 nan"}}), true},
      {"an error deep inside", LargeCube(30, {{17000, "DOMAIN_MIN 0 0"}}), true},
      {"a NUL deep inside", LargeCube(30, {{16000, std::string("0 0") + '\0' + " 0"}}), true},
      {"incomplete", LargeCube(30, {}).substr(0, 500000), false},
      {"a shaper before the grid", "LUT_1D_SIZE 5000\n" + LargeCube(25, {{0, ShaperLines(5000)}}),
       true},
  };
  const TCube3DLutFormat cube;
  test::TempDir dir;
  for (const TChunkCase& item : cases) {
    const std::string path = dir.Write("in.cube", item.Text);
    const std::string whole = Outcome(cube, path, 0);
    EXPECT_EQ(whole.rfind("error", 0) != 0, item.Loads)
        << item.What << ": " << whole.substr(0, 200);
    EXPECT_EQ(test::FirstDifference(Outcome(cube, path, TTextFileReader::kChunkBytes), whole), "")
        << item.What;
    std::string single;
    {
      const test::TOnOneCore oneCore;
      single = Outcome(cube, path, TTextFileReader::kChunkBytes);
    }
    EXPECT_EQ(test::FirstDifference(single, whole), "") << item.What << ", on one core";
  }
}

}  // namespace
}  // namespace vorn
