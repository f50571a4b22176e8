// Profiles written by LUT-to-ICC, run through other colour managers: LittleCMS's transicc
// (with and without black-point compensation) and tificc (its precalculated transform on an
// 8-bit picture), and ArgyllCMS's icclu, with a version 2 sRGB (ours) and a version 4 sRGB
// (LittleCMS's built-in one), in perceptual and relative colorimetric chains. Each cell of the
// table holds the largest difference to the LUT over a 9-node lattice and the grey axis, for a
// LUT that lifts its blacks and for a grade that keeps black; the table is what docs/icc.md
// shows.

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "codecs/PictureCodecs.h"
#include "core/Bitmap.h"
#include "imaging/ICCLib.h"
#include "imaging/LutToIcc.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

// LittleCms: transicc, in floating point. LittleCmsBpc: transicc with black-point
// compensation asked for (-b), as image editors do by default for their displays.
// LittleCmsPicture: tificc on an 8-bit TIFF, LittleCMS's precalculated integer transform as
// applications run it. ArgyllCms: icclu.
enum class TPeer { LittleCms, LittleCmsBpc, LittleCmsPicture, ArgyllCms };
enum class TSrgb { None, V2, V4 };  // None: a device link, which has no sRGB in its chain

// What a cell of the table expects for one LUT.
struct TExpectation {
  enum { Within, Moved, Refused } Kind;
  // Within: the largest difference is at most High. Moved (the colour manager's rules move
  // the LUT's black or white, see docs/icc.md): it lies between Low and High.
  double Low = 0.0;
  double High = 0.0;
};

constexpr TExpectation Within(double high) {
  return {TExpectation::Within, 0.0, high};
}
constexpr TExpectation Moved(double low, double high) {
  return {TExpectation::Moved, low, high};
}
// The colour manager refuses the chain (ArgyllCMS reads no version 4 profile, and runs a
// device link only with the intent its header names).
constexpr TExpectation kRefused{TExpectation::Refused};

struct TCell {
  TLutIccClass Class;
  int Intent;  // 0 perceptual, 1 relative colorimetric
  TSrgb Srgb;
  TPeer Peer;
  TExpectation Lifted;
  TExpectation KeptBlack;
};

constexpr TLutIccClass kInput = TLutIccClass::Input;
constexpr TLutIccClass kDisplay = TLutIccClass::Display;
constexpr TLutIccClass kLink = TLutIccClass::DeviceLink;
constexpr TPeer kLcms = TPeer::LittleCms;
constexpr TPeer kBpc = TPeer::LittleCmsBpc;
constexpr TPeer kPicture = TPeer::LittleCmsPicture;
constexpr TPeer kArgyll = TPeer::ArgyllCms;

const TCell kCells[] = {
    {kInput, 0, TSrgb::V2, kLcms, Within(0.001), Within(0.001)},
    {kInput, 0, TSrgb::V4, kLcms, Moved(0.02, 0.05), Within(0.001)},
    {kInput, 1, TSrgb::V2, kLcms, Within(0.001), Within(0.001)},
    {kInput, 1, TSrgb::V4, kLcms, Within(0.001), Within(0.001)},
    {kInput, 0, TSrgb::V2, kBpc, Moved(0.02, 0.05), Within(0.001)},
    {kInput, 0, TSrgb::V4, kBpc, Moved(0.02, 0.05), Within(0.001)},
    {kInput, 1, TSrgb::V2, kBpc, Within(0.001), Within(0.001)},
    {kInput, 1, TSrgb::V4, kBpc, Within(0.001), Within(0.001)},
    {kInput, 0, TSrgb::V2, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kInput, 0, TSrgb::V4, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kInput, 1, TSrgb::V2, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kInput, 1, TSrgb::V4, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kInput, 0, TSrgb::V2, kArgyll, Within(0.001), Within(0.001)},
    {kInput, 0, TSrgb::V4, kArgyll, kRefused, kRefused},
    {kInput, 1, TSrgb::V2, kArgyll, Within(0.001), Within(0.001)},
    {kInput, 1, TSrgb::V4, kArgyll, kRefused, kRefused},
    {kDisplay, 0, TSrgb::V2, kLcms, Within(0.001), Within(0.001)},
    {kDisplay, 0, TSrgb::V4, kLcms, Within(0.001), Within(0.001)},
    {kDisplay, 1, TSrgb::V2, kLcms, Within(0.001), Within(0.001)},
    {kDisplay, 1, TSrgb::V4, kLcms, Within(0.001), Within(0.001)},
    {kDisplay, 0, TSrgb::V2, kBpc, Within(0.001), Within(0.001)},
    {kDisplay, 0, TSrgb::V4, kBpc, Within(0.001), Within(0.001)},
    {kDisplay, 1, TSrgb::V2, kBpc, Within(0.001), Within(0.001)},
    {kDisplay, 1, TSrgb::V4, kBpc, Within(0.001), Within(0.001)},
    {kDisplay, 0, TSrgb::V2, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kDisplay, 0, TSrgb::V4, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kDisplay, 1, TSrgb::V2, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kDisplay, 1, TSrgb::V4, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kDisplay, 0, TSrgb::V2, kArgyll, Within(0.001), Within(0.001)},
    {kDisplay, 0, TSrgb::V4, kArgyll, kRefused, kRefused},
    {kDisplay, 1, TSrgb::V2, kArgyll, Within(0.001), Within(0.001)},
    {kDisplay, 1, TSrgb::V4, kArgyll, kRefused, kRefused},
    {kLink, 0, TSrgb::None, kLcms, Within(0.001), Within(0.001)},
    {kLink, 1, TSrgb::None, kLcms, Within(0.001), Within(0.001)},
    {kLink, 0, TSrgb::None, kBpc, Within(0.001), Within(0.001)},
    {kLink, 1, TSrgb::None, kBpc, Within(0.001), Within(0.001)},
    {kLink, 0, TSrgb::None, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kLink, 1, TSrgb::None, kPicture, Moved(0.02, 0.06), Within(0.003)},
    {kLink, 0, TSrgb::None, kArgyll, Within(0.001), Within(0.001)},
    {kLink, 1, TSrgb::None, kArgyll, kRefused, kRefused},
};

const char* const kPeerNames[] = {" transicc", " transicc -b", " tificc", " icclu"};

std::string CellName(const TCell& cell) {
  const char* classes[] = {"Display", "Input", "Device Link"};
  const char* srgb[] = {"-", "v2", "v4"};
  return std::string(classes[static_cast<int>(cell.Class)]) +
         (cell.Intent == 0 ? " perceptual " : " relative ") + srgb[static_cast<int>(cell.Srgb)] +
         kPeerNames[static_cast<int>(cell.Peer)];
}

// A 9-node lattice and 65 greys, on 8-bit codes so that a picture holds them exactly.
std::vector<TRGB> Inputs() {
  const auto code = [](int i, int steps) { return std::lround(i * 255.0 / steps) / 255.0; };
  std::vector<TRGB> inputs;
  for (int r = 0; r < 9; ++r)
    for (int g = 0; g < 9; ++g)
      for (int b = 0; b < 9; ++b) inputs.push_back({code(r, 8), code(g, 8), code(b, 8)});
  for (int i = 0; i <= 64; ++i) inputs.push_back({code(i, 64), code(i, 64), code(i, 64)});
  return inputs;
}

// One colour a line, each value times scale.
std::string ColourLines(const std::vector<TRGB>& colours, double scale) {
  std::string text;
  char line[96];
  for (const TRGB& c : colours) {
    std::snprintf(line, sizeof line, "%.9f %.9f %.9f\n", c.R * scale, c.G * scale, c.B * scale);
    text += line;
  }
  return text;
}

// The colours a program printed, one a line, each value divided by scale.
std::vector<TRGB> ParseColours(const std::string& text, double scale) {
  std::vector<TRGB> colours;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream values(line);
    TRGB c;
    if (values >> c.R >> c.G >> c.B) colours.push_back({c.R / scale, c.G / scale, c.B / scale});
  }
  return colours;
}

// Runs the program with the file as its standard input; its output, or nothing when it fails.
std::optional<std::string> RunWithInput(const std::vector<std::string>& argv,
                                        const std::string& inputPath) {
  std::string command = "exec";
  for (const std::string& word : argv) command += " '" + word + "'";
  const auto result = test::RunProgram({"sh", "-c", command + " < '" + inputPath + "'"});
  if (result.Status != 0) return std::nullopt;
  return result.Out;
}

class TPeerBench {
 public:
  TPeerBench() {
    const TProfileHandle builtIn(cmsCreate_sRGBProfile());
    if (!cmsSaveProfileToFile(builtIn.Native(), SrgbV4_.c_str())) {
      throw std::runtime_error("cannot write " + SrgbV4_);
    }
  }

  // The colours through the chain of the cell; nothing when the program refuses it.
  std::optional<std::vector<TRGB>> Run(const TCell& cell, const std::string& profile,
                                       const std::vector<TRGB>& inputs) const {
    if (cell.Peer == kArgyll) return RunArgyllCms(cell, profile, inputs);
    if (cell.Peer == kPicture) return RunTificc(cell, profile, inputs);
    return RunTransicc(cell, profile, inputs);
  }

 private:
  std::string SrgbFile(TSrgb version) const {
    return version == TSrgb::V2 ? GetSRGBProfileName() : SrgbV4_;
  }

  // The profile arguments LittleCMS's programs share. "*sRGB" is LittleCMS's built-in sRGB,
  // version 4.
  std::vector<std::string> LittleCmsArguments(const TCell& cell, const std::string& profile) const {
    std::vector<std::string> argv = {"-t" + std::to_string(cell.Intent)};
    if (cell.Peer == kBpc) argv.push_back("-b");
    const std::string srgb = cell.Srgb == TSrgb::V4 ? "*sRGB" : SrgbFile(cell.Srgb);
    if (cell.Class == kInput) argv.insert(argv.end(), {"-i" + profile, "-o" + srgb});
    if (cell.Class == kDisplay) argv.insert(argv.end(), {"-i" + srgb, "-o" + profile});
    if (cell.Class == kLink) argv.push_back("-l" + profile);
    return argv;
  }

  std::optional<std::vector<TRGB>> RunTransicc(const TCell& cell, const std::string& profile,
                                               const std::vector<TRGB>& inputs) const {
    const std::string input = Temp_.Write("transicc.txt", ColourLines(inputs, 255.0));
    std::vector<std::string> argv = {"transicc", "-n"};
    for (const std::string& word : LittleCmsArguments(cell, profile)) argv.push_back(word);
    const auto out = RunWithInput(argv, input);
    if (!out) return std::nullopt;
    return ParseColours(*out, 255.0);
  }

  // The inputs as one row of an 8-bit TIFF (-n: the picture's own profile, if any, is not
  // used).
  std::optional<std::vector<TRGB>> RunTificc(const TCell& cell, const std::string& profile,
                                             const std::vector<TRGB>& inputs) const {
    TBitmap24 row(static_cast<int>(inputs.size()), 1);
    std::uint8_t* pixel = row.Data();
    for (const TRGB& c : inputs) {
      for (const double v : {c.B, c.G, c.R})
        *pixel++ = static_cast<std::uint8_t>(std::lround(v * 255));
    }
    const std::string in = Temp_.Write("in.tif", codecs::EncodeTiff(row));
    const std::string out = Temp_.File("out.tif");
    std::vector<std::string> argv = {"tificc", "-n"};
    for (const std::string& word : LittleCmsArguments(cell, profile)) argv.push_back(word);
    argv.insert(argv.end(), {in, out});
    if (test::RunProgram(argv).Status != 0) return std::nullopt;
    const TBitmap24 result = codecs::DecodeTiff(ReadWholeFile(out)).Bitmap;
    std::vector<TRGB> colours;
    const std::uint8_t* bgr = result.Data();
    for (int x = 0; x < result.Width(); ++x, bgr += 3) {
      colours.push_back({bgr[2] / 255.0, bgr[1] / 255.0, bgr[0] / 255.0});
    }
    return colours;
  }

  // icclu translates through one profile: device to PCS Lab (forward), then PCS Lab to the
  // device (backward) through the second.
  std::optional<std::vector<TRGB>> RunArgyllCms(const TCell& cell, const std::string& profile,
                                                const std::vector<TRGB>& inputs) const {
    const std::string intent = cell.Intent == 0 ? "p" : "r";
    const std::string input = Temp_.Write("icclu.txt", ColourLines(inputs, 1.0));
    if (cell.Class == kLink) {
      const auto out = RunWithInput({"icclu", "-v0", "-ff", "-i" + intent, profile}, input);
      if (!out) return std::nullopt;
      return ParseColours(*out, 1.0);
    }
    const std::string srgb = SrgbFile(cell.Srgb);
    const std::string& first = cell.Class == kInput ? profile : srgb;
    const std::string& second = cell.Class == kInput ? srgb : profile;
    const auto lab = RunWithInput({"icclu", "-v0", "-ff", "-i" + intent, "-pl", first}, input);
    if (!lab) return std::nullopt;
    const std::string labPath = Temp_.Write("lab.txt", *lab);
    const auto out = RunWithInput({"icclu", "-v0", "-fb", "-i" + intent, "-pl", second}, labPath);
    if (!out) return std::nullopt;
    return ParseColours(*out, 1.0);
  }

  test::TempDir Temp_;
  std::string SrgbV4_ = Temp_.File("sRGB-v4.icc");
};

// The differences of a channel to the LUT, the program's outputs clipped to [0, 1] as an
// application stores them: the largest, the largest but for white, and those at black and
// at white.
struct TDifferences {
  double Largest = 0.0;
  double ButWhite = 0.0;
  double AtBlack = 0.0;
  double AtWhite = 0.0;
};

TDifferences Differences(const TLUT& lut, const std::vector<TRGB>& inputs,
                         const std::vector<TRGB>& outputs) {
  TDifferences result;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const TRGB want = lut.Evaluate(inputs[i]);
    const TRGB got = outputs[i];
    double worst = 0.0;
    for (const auto& [a, b] : {std::pair{got.R, want.R}, {got.G, want.G}, {got.B, want.B}}) {
      worst = std::max(worst, std::fabs(std::clamp(a, 0.0, 1.0) - b));
    }
    result.Largest = std::max(result.Largest, worst);
    const double level = inputs[i].R + inputs[i].G + inputs[i].B;
    if (level == 0.0) result.AtBlack = worst;
    if (level == 3.0) result.AtWhite = worst;
    if (level != 3.0) result.ButWhite = std::max(result.ButWhite, worst);
  }
  return result;
}

struct TPeerLut {
  const char* Name;
  std::unique_ptr<TLUT> (*Make)();
  TExpectation TCell::*Expectation;
};

void PrintTo(const TPeerLut& lut, std::ostream* out) {
  *out << lut.Name;
}

std::unique_ptr<TLUT> LiftedLut() {
  return test::MakeGradeLut(lk3D);
}

// Contrast curves and a mix of the channels that keep black on black and white on white. Each
// output is a sum of functions of one input, as in the lifted grade, so that the LUT's
// trilinear interpolation and the tetrahedral one of the colour managers agree on the greys.
std::unique_ptr<TLUT> KeptBlackLut() {
  return test::SampledGrid(17, [](double r, double g, double b) {
    const double x[3] = {std::pow(r, 1.3), std::pow(g, 1.1), std::pow(b, 0.9)};
    return TRGB{0.8 * x[0] + 0.15 * x[1] + 0.05 * x[2], 0.1 * x[0] + 0.85 * x[1] + 0.05 * x[2],
                0.05 * x[0] + 0.15 * x[1] + 0.8 * x[2]};
  });
}

const TPeerLut kPeerLuts[] = {{"LiftedBlacks", LiftedLut, &TCell::Lifted},
                              {"KeptBlack", KeptBlackLut, &TCell::KeptBlack}};

class LutToIccPeers : public ::testing::TestWithParam<TPeerLut> {};

TEST_P(LutToIccPeers, EachChainMapsAsTheTableSays) {
  if (!test::HasProgram("transicc") || !test::HasProgram("tificc") || !test::HasProgram("icclu")) {
    GTEST_SKIP() << "transicc, tificc or icclu is not installed";
  }
  const auto lut = GetParam().Make();
  const test::TempDir temp;
  const TPeerBench bench;
  const std::vector<TRGB> inputs = Inputs();
  std::string profiles[3];
  for (const TLutIccClass c : {kDisplay, kInput, kLink}) {
    profiles[static_cast<int>(c)] =
        temp.Write("lut-" + std::to_string(static_cast<int>(c)) + ".icc",
                   BuildIccProfile(*lut, {c, "Peer", "(c)"}));
  }
  std::printf("%s\n", GetParam().Name);
  for (const TCell& cell : kCells) {
    SCOPED_TRACE(CellName(cell));
    const TExpectation expected = cell.*GetParam().Expectation;
    const auto outputs = bench.Run(cell, profiles[static_cast<int>(cell.Class)], inputs);
    if (!outputs) {
      std::printf("  %-40s refused\n", CellName(cell).c_str());
      EXPECT_EQ(expected.Kind, TExpectation::Refused);
      continue;
    }
    ASSERT_NE(expected.Kind, TExpectation::Refused) << "the program now runs this chain";
    ASSERT_EQ(outputs->size(), inputs.size());
    const TDifferences difference = Differences(*lut, inputs, *outputs);
    std::printf("  %-40s %.4f  (but for white %.4f, black %.4f, white %.4f)\n",
                CellName(cell).c_str(), difference.Largest, difference.ButWhite, difference.AtBlack,
                difference.AtWhite);
    EXPECT_LE(difference.Largest, expected.High);
    EXPECT_GE(difference.Largest, expected.Low);
  }
}

INSTANTIATE_TEST_SUITE_P(LiftedAndKeptBlack, LutToIccPeers, ::testing::ValuesIn(kPeerLuts),
                         [](const auto& info) { return std::string(info.param.Name); });

// The written profiles hold nothing ArgyllCMS's checker reports as an error.
TEST(LutToIccPeers, IccdumpReadsEveryClassWithoutErrors) {
  if (!test::HasProgram("iccdump")) GTEST_SKIP() << "iccdump is not installed";
  const test::TempDir temp;
  const auto lut = LiftedLut();
  for (const TLutIccClass c : {kDisplay, kInput, kLink}) {
    const std::string path = temp.Write("lut.icc", BuildIccProfile(*lut, {c, "Dump", "(c)"}));
    const auto dump = test::RunProgram({"iccdump", "-v2", path});
    EXPECT_EQ(dump.Status, 0);
    EXPECT_EQ(dump.Out.find("Error"), std::string::npos);
    EXPECT_NE(dump.Out.find("A2B0"), std::string::npos);
    EXPECT_EQ(dump.Out.find("A2B1") != std::string::npos, c == kDisplay);
  }
}

}  // namespace
}  // namespace vorn
