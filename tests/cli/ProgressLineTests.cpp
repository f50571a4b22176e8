// The line of a long single operation on a terminal: the percentage done, growing to 100%,
// then wiped; nothing with --quiet or when standard error is no terminal.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "codecs/Pictures.h"
#include "core/VornLut.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

constexpr char kWipe[] = "\r\x1b[K";

TBitmap24 Photograph(int width, int height) {
  TBitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < width * 3; ++x) p[x] = static_cast<std::uint8_t>(x * 7 + y * 3 + x * y);
  }
  return picture;
}

TPicture48 DeepPhotograph(int width, int height) {
  TPicture48 picture{width, height, {}};
  for (int i = 0; i < width * height * 3; ++i)
    picture.Rgb.push_back(static_cast<std::uint16_t>(i * 2654435761u >> 16));
  return picture;
}

// The percentages that the drawings of the line beginning with label show, in order; a
// drawing with a percentage has nothing after it, the time left or (at 100%) the seconds.
std::vector<int> PercentagesShown(const std::string& err, const std::string& label) {
  std::string literal;
  for (const char c : kWipe + label) {
    if (std::ispunct(static_cast<unsigned char>(c))) literal += '\\';
    literal += c;
  }
  const std::regex drawing(literal +
                           " (\\d+)%( \\(about \\d+ (s|min) left\\)| \\(\\d+ s\\))?(?=\\r|$)");
  std::vector<int> shown;
  for (std::sregex_iterator at(err.begin(), err.end(), drawing), end; at != end; ++at) {
    shown.push_back(std::stoi((*at)[1]));
    if ((*at)[2].str().ends_with(" s)")) {
      EXPECT_EQ(shown.back(), 100) << at->str();
    }
  }
  return shown;
}

TEST(CliProgressLine, LongOperationsShowTheirPercentageOnATerminalOnly) {
  TempDir dir;
  const std::string cube = dir.Write("grade.cube", CubeTextOf(*MakeGradeLut(lk3D, 17)));
  const std::string icc = WriteTestProfile(dir.Path(), "d.icc", TTestProfile::Display);
  SavePng(dir.File("photo.png"), Photograph(1800, 1200));
  SaveJpeg(dir.File("photo.jpg"), Photograph(1800, 1200), 90, TChromaSubsampling::s420);
  SavePng48(dir.File("deep.png"), DeepPhotograph(1200, 900));
  struct TCase {
    std::vector<std::string> Args;
    std::string Label;
  };
  const TCase cases[] = {
      {{"icc2lut", "-p", "Cube 3D Davinci", "-s", "65", "-o", dir.File("s.cube"), icc},
       "sampling " + icc},
      {{"icc2lut", "-p", "Cine-tal 1D", "-o", dir.File("s.1d"), icc}, "sampling " + icc},
      {{"apply", cube, dir.File("photo.png"), dir.File("out.png")}, "applying " + cube},
      {{"apply", cube, dir.File("deep.png"), dir.File("out48.png")}, "applying " + cube},
      {{"apply", cube, dir.File("photo.jpg"), dir.File("out.jpg")}, "applying " + cube},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> args = c.Args;
    args.push_back("-f");
    SCOPED_TRACE(args[0] + " " + args[args.size() - 3]);
    const TCliResult shown = RunCli(args, TErrorStream::Terminal);
    ASSERT_EQ(shown.Status, 0) << shown.Err;
    EXPECT_NE(shown.Err.find(kWipe + c.Label + " (0 s)"), std::string::npos) << shown.Err;
    const std::vector<int> percentages = PercentagesShown(shown.Err, c.Label);
    ASSERT_FALSE(percentages.empty()) << shown.Err;
    EXPECT_TRUE(std::is_sorted(percentages.begin(), percentages.end())) << shown.Err;
    EXPECT_EQ(percentages.back(), 100) << shown.Err;
    EXPECT_TRUE(shown.Err.ends_with(kWipe)) << shown.Err;

    std::vector<std::string> quiet = args;
    quiet.push_back("-q");
    EXPECT_EQ(RunCli(quiet, TErrorStream::Terminal).Err, "");
    EXPECT_EQ(RunCli(args).Err, "");
  }
}

}  // namespace
}  // namespace vorn::test
