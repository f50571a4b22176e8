// Every output profile: a known LUT saved through it, detected, loaded back and compared
// within the profile's coding. A newly registered format needs one line in kCodings (and
// in kWriteOnly or kNotDetected when that applies) and is covered from then on.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/Conversion.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::ProfileNamed;

// How a format codes its values, which bounds the round trip's error.
struct TCoding {
  enum TKind { Decimals, ProfileBits, TopCode } Kind;
  double Value;

  double Tolerance(const TLutOutputProfile& profile) const {
    switch (Kind) {
      case Decimals:
        return 0.5 * std::pow(10.0, -Value) + 1e-12;
      case ProfileBits:
        return 0.5 / (std::ldexp(1.0, profile.DefaultBits) - 1.0) + 1e-12;
      case TopCode:
        break;
    }
    return 0.5 / Value + 1e-12;
  }
};

const std::map<std::string, TCoding> kCodings = {
    {"Cube 3D Truelight", {TCoding::Decimals, 6}},
    {"Cube 3D", {TCoding::Decimals, 6}},
    {"Autodesk Lustre 3D", {TCoding::ProfileBits, 0}},
    {"Pandora 3D, Technicolor", {TCoding::ProfileBits, 0}},
    {"3DL", {TCoding::ProfileBits, 0}},
    {"Quantel 3D", {TCoding::ProfileBits, 0}},
    {"Nucoda 3D", {TCoding::Decimals, 6}},
    {"Codex 3D", {TCoding::ProfileBits, 0}},
    {"Clipster 3D", {TCoding::ProfileBits, 0}},
    {"Luther 3D", {TCoding::ProfileBits, 0}},
    {"Colorfront OSD 3D", {TCoding::Decimals, 6}},
    {"Davinci DAT 3D", {TCoding::Decimals, 6}},
    {"PixelFarm PFClean 3D", {TCoding::ProfileBits, 0}},
    {"FSI CFE (Flanders Scientific) 3D", {TCoding::Decimals, 6}},
    {"FSI DIT (Flanders Scientific) 3D", {TCoding::TopCode, 1008}},
    {"Panasonic 3D", {TCoding::TopCode, 4095}},
    {"Cube 1D", {TCoding::Decimals, 6}},
    {"Codex 1D, Scratch 1D", {TCoding::ProfileBits, 0}},
    {"Autodesk Lustre 1D", {TCoding::ProfileBits, 0}},
    {"Filmlight Truelight 1D", {TCoding::Decimals, 6}},
    {"Quantel 1D", {TCoding::ProfileBits, 0}},
    {"S.two 1D", {TCoding::ProfileBits, 0}},
    {"Colorfront OSD 1D", {TCoding::Decimals, 6}},
    {"Fusion 1D", {TCoding::ProfileBits, 0}},
    {"Blackmagic HDLink 1D", {TCoding::Decimals, 5}},  // thousandths with two decimals
    // Single precision: within 2^-25 of values below 1.
    {"Adobe SpeedGrade Look 3D", {TCoding::Decimals, 7}},
    {"OBS 3D", {TCoding::ProfileBits, 0}},
    {"Hald CLUT", {TCoding::ProfileBits, 0}},
    {"Imageworks spi1d", {TCoding::Decimals, 6}},
    {"Imageworks spi3d", {TCoding::Decimals, 6}},
    {"cineSpace 1D", {TCoding::Decimals, 6}},
    {"cineSpace 3D", {TCoding::Decimals, 6}},
    {"Iridas itx 3D", {TCoding::Decimals, 6}},
    {"Academy/ASC Common LUT Format", {TCoding::Decimals, 8}},
};

// Formats that only write: their files are checked to exist, not read back.
const std::set<std::string> kWriteOnly = {
    "Nucoda 1D",
    "Cine-tal 1D",
    "Shake 1D",
    "Adobe Primeire Look",
};

// Profiles whose files detection does not recognise (by extension): they are read back
// with their format named.
const std::set<std::string> kNotDetected = {"Dolby DD3"};

// Profiles whose files an earlier format claims because it reads the same lines (an itx file
// is a cube file): detection names that format, and they are read back with their own named.
const std::map<std::string, std::string> kClaimedByAnother = {{"Iridas itx", "Cube 3D"}};

// A smooth grade inside [0, 1] whose nodes all differ.
TRGB Grade(double r, double g, double b) {
  return {0.02 + 0.9 * std::pow(r, 0.8), 0.5 * g + 0.3 * b * b + 0.1 * r,
          std::sqrt(0.6 * b + 0.3 * g + 0.1 * r * r)};
}

std::unique_ptr<TLUT> KnownLut(bool is3D, int size) {
  auto lut = std::make_unique<TLUT>();
  const double step = 1.0 / (size - 1);
  if (is3D) {
    lut->Kind = lk3D;
    lut->Size3D = size;
    for (int r = 0; r < size; ++r)
      for (int g = 0; g < size; ++g)
        for (int b = 0; b < size; ++b) lut->SetNode(r, g, b, Grade(r * step, g * step, b * step));
  } else {
    lut->Kind = lk1D;
    lut->Size1D = size;
    for (int i = 0; i < size; ++i) lut->SetEntry(i, Grade(i * step, i * step, i * step));
  }
  lut->Comments.push_back("round trip");
  return lut;
}

// The largest difference between the values of the two records, over the source's nodes
// or entries; infinity when the loaded record does not hold them.
double LargestDifference(const TLUT& source, const TLUT& loaded) {
  double largest = 0.0;
  auto compare = [&](const double* a, const double* b) {
    for (int q = 0; q < 3; ++q) largest = std::max(largest, std::fabs(a[q] - b[q]));
  };
  if (source.Kind == lk3D) {
    if ((loaded.Kind != lk3D && loaded.Kind != lk1DAnd3D) || loaded.Size3D != source.Size3D)
      return INFINITY;
    const int n = source.Size3D;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) compare(source.Node(r, g, b), loaded.Node(r, g, b));
  } else {
    if (loaded.Kind != lk1D || loaded.Size1D != source.Size1D) return INFINITY;
    for (int i = 0; i < source.Size1D; ++i) compare(source.Entry(i), loaded.Entry(i));
  }
  return largest;
}

std::string FileNameFor(const TLutOutputProfile& profile) {
  return "known" + std::to_string(&profile - &GetOutputProfile(0)) + "." + profile.Extension;
}

TEST(ProfileRoundTrip, EveryProfileReadsBackWithinItsCoding) {
  test::TempDir dir;
  auto loaded = std::make_unique<TLUT>();
  for (const auto& profile : OutputProfiles()) {
    SCOPED_TRACE(profile->Name);
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    ASSERT_NE(format, nullptr);
    const auto source = KnownLut(format->Is3D, profile->DefaultSize);
    // A name per profile: no file of an earlier one (a look's cube) is in the way.
    const std::string path = dir.File(FileNameFor(*profile));
    SaveLut(path, *source, *profile, -1);
    ASSERT_TRUE(FileExists(path));
    if (kWriteOnly.count(format->Name) != 0) {
      EXPECT_FALSE(test::ReadFile(path).empty());
      continue;
    }
    const auto coding = kCodings.find(format->Name);
    ASSERT_NE(coding, kCodings.end()) << "add the coding of \"" << format->Name << "\" to kCodings";

    const auto claimant = kClaimedByAnother.find(profile->Name);
    const bool claimed = claimant != kClaimedByAnother.end();
    const bool detected = kNotDetected.count(profile->Name) == 0 && !claimed;
    EXPECT_EQ(DetectFormat(path), claimed    ? IndexOfFormat(claimant->second)
                                  : detected ? profile->FormatIndex
                                             : -1);
    const TLoadReport report = LoadLut(path, *loaded, detected ? -1 : profile->FormatIndex);
    EXPECT_TRUE(report.Warnings.empty()) << report.Warnings.front().Message;
    EXPECT_EQ(loaded->FormatIndex, profile->FormatIndex);
    EXPECT_LE(LargestDifference(*source, *loaded), coding->second.Tolerance(*profile));
  }
}

// Formats whose values are not lines of numbers: S.two's are XML elements, a SpeedGrade
// look's one stream of hexadecimal digits, a process list's Array one stream of numbers
// (a piece that is not one refuses the file).
const std::set<std::string> kValuesNotInLines = {"S.two 1D", "Adobe SpeedGrade Look 3D",
                                                 "Academy/ASC Common LUT Format"};

// A value line that cannot be read, put amid the values of a file each readable text profile
// wrote, is reported with its line number.
TEST(ProfileRoundTrip, EveryTextProfileReportsAnUnreadableLineAmidItsValues) {
  test::TempDir dir;
  auto loaded = std::make_unique<TLUT>();
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    if (!format->CanRead() || kWriteOnly.count(format->Name) != 0 ||
        kValuesNotInLines.count(format->Name) != 0) {
      continue;
    }
    SCOPED_TRACE(profile->Name);
    const std::string path = dir.File(FileNameFor(*profile));
    SaveLut(path, *KnownLut(format->Is3D, profile->DefaultSize), *profile, -1);
    std::string text = test::ReadFile(path);
    if (text.find('\0') != std::string::npos) continue;  // a binary file
    // Before the middle line, which is a value line in every format's layout.
    std::size_t at = 0;
    int line = 1;
    const int middle = static_cast<int>(std::count(text.begin(), text.end(), '\n')) / 2;
    for (; line < middle + 1; ++line) at = text.find('\n', at) + 1;
    text.insert(at, "1e400 0 0\n");
    WriteWholeFile(path, text);
    const bool detected = kNotDetected.count(profile->Name) == 0;
    const TLoadReport report = LoadLut(path, *loaded, detected ? -1 : profile->FormatIndex);
    EXPECT_EQ(report.Warnings.size(), 1u);
    if (!report.Warnings.empty()) {
      EXPECT_EQ(report.Warnings.front().Line, line);
    }
  }
}

// Converting a grid into a 1D output samples it along the grey axis: entry i holds the
// grid's output for the input (x, x, x), x = i / (entries - 1).
TEST(ProfileRoundTrip, A3DSourceBecomesItsGreyAxisInEvery1DOutput) {
  test::TempDir dir;
  const std::string source = dir.File("grade.cube");
  SaveLut(source, *KnownLut(true, 9), ProfileNamed("Cube 3D Davinci"), -1);
  auto grid = std::make_unique<TLUT>();
  LoadLut(source, *grid);  // the grid as the conversion reads it
  auto loaded = std::make_unique<TLUT>();
  int outputs = 0;
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    if (format->Is3D || !format->CanRead()) continue;
    SCOPED_TRACE(profile->Name);
    const std::string path = dir.File(FileNameFor(*profile));
    ConvertFile(source, path, -1, *profile, profile->DefaultSize, -1);
    LoadLut(path, *loaded);
    ASSERT_EQ(loaded->Kind, lk1D);
    const int n = loaded->Size1D;
    ASSERT_EQ(n, profile->DefaultSize);
    double largest = 0.0;
    for (int i = 0; i < n; ++i) {
      const double x = i / (n - 1.0);
      const TRGB expected = grid->Evaluate({x, x, x});
      const double* entry = loaded->Entry(i);
      largest = std::max({largest, std::fabs(entry[0] - expected.R),
                          std::fabs(entry[1] - expected.G), std::fabs(entry[2] - expected.B)});
    }
    EXPECT_LE(largest, kCodings.at(format->Name).Tolerance(*profile));
    ++outputs;
  }
  EXPECT_GE(outputs, 9);
}

// Converting a 1D table into a grid: node (i, j, k) holds the red curve at i, the green
// curve at j and the blue curve at k.
TEST(ProfileRoundTrip, A1DSourceBecomesAGridOfItsCurves) {
  test::TempDir dir;
  const std::string source = dir.File("curves.cube");
  SaveLut(source, *KnownLut(false, 1024), ProfileNamed("Cube 1D"), -1);
  auto curves = std::make_unique<TLUT>();
  LoadLut(source, *curves);
  ASSERT_EQ(curves->Kind, lk1D);
  const std::string path = dir.File("grid.cube");
  ConvertFile(source, path, -1, ProfileNamed("Cube 3D Davinci"), 17, -1);
  auto grid = std::make_unique<TLUT>();
  LoadLut(path, *grid);
  ASSERT_EQ(grid->Kind, lk3D);
  ASSERT_EQ(grid->Size3D, 17);
  for (int i = 0; i < 17; ++i)
    for (int j = 0; j < 17; ++j)
      for (int k = 0; k < 17; ++k) {
        const TRGB expected = curves->Evaluate({i / 16.0, j / 16.0, k / 16.0});
        const TRGB node = grid->GetNode(i, j, k);
        ASSERT_NEAR(node.R, expected.R, 5e-7 + 1e-12) << i;
        ASSERT_NEAR(node.G, expected.G, 5e-7 + 1e-12) << j;
        ASSERT_NEAR(node.B, expected.B, 5e-7 + 1e-12) << k;
      }
}

}  // namespace
}  // namespace vorn
