// The line of a long single operation on a terminal: the percentage done, growing to 100%,
// then wiped; nothing with --quiet or when standard error is no terminal.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
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

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether what follows a percentage is one of the line's endings: nothing, the time left
// ("(about 3 s left)", "(about 2 min left)") or, at 100%, the seconds taken ("(4 s)").
bool IsPercentageEnding(std::string_view rest, bool& secondsTaken) {
  secondsTaken = false;
  if (rest.empty()) return true;
  if (!rest.starts_with(" (") || !rest.ends_with(")")) return false;
  std::string_view inner = rest.substr(2, rest.size() - 3);
  if (inner.starts_with("about ")) {
    inner.remove_prefix(6);
    for (const std::string_view unit : {" s left", " min left"}) {
      if (inner.ends_with(unit)) return IsDigits(inner.substr(0, inner.size() - unit.size()));
    }
    return false;
  }
  secondsTaken = inner.ends_with(" s") && IsDigits(inner.substr(0, inner.size() - 2));
  return secondsTaken;
}

// The percentages that the drawings of the line beginning with label show, in order; a
// drawing with a percentage has nothing after it, the time left or (at 100%) the seconds.
std::vector<int> PercentagesShown(const std::string& err, const std::string& label) {
  const std::string start = kWipe + label + " ";
  std::vector<int> shown;
  for (std::size_t at = err.find(start); at != std::string::npos; at = err.find(start, at + 1)) {
    const std::size_t end = err.find_first_of("\r\n", at + start.size());
    const std::string_view drawing = std::string_view(err).substr(
        at + start.size(), end == std::string::npos ? std::string::npos : end - at - start.size());
    const std::size_t percent = drawing.find('%');
    if (percent == std::string_view::npos || !IsDigits(drawing.substr(0, percent))) continue;
    bool secondsTaken = false;
    if (!IsPercentageEnding(drawing.substr(percent + 1), secondsTaken)) continue;
    shown.push_back(std::stoi(std::string(drawing.substr(0, percent))));
    if (secondsTaken) {
      EXPECT_EQ(shown.back(), 100) << drawing;
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
