// Every output profile: a known LUT saved through it, detected, loaded back and compared
// within the profile's coding. A newly registered format needs one line in kCodings (and
// in kWriteOnly or kNotDetected when that applies) and is covered from then on.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/LUTFormat.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

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
    {"PixelFarm PFClean 3D", {TCoding::ProfileBits, 0}},
    {"FSI CFE (Flanders Scientific) 3D", {TCoding::Decimals, 6}},
    {"FSI DIT (Flanders Scientific) 3D", {TCoding::TopCode, 1008}},
    {"Panasonic 3D", {TCoding::TopCode, 4095}},
};

// Formats that only write: their files are checked to exist, not read back.
const std::set<std::string> kWriteOnly = {
    "Nucoda 1D", "Cine-tal 1D", "Shake 1D", "Adobe Primeire Look", "OBS 3D",
};

// Profiles whose files detection does not recognise (by extension): they are read back
// with their format named.
const std::set<std::string> kNotDetected = {"Dolby DD3"};

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

TEST(ProfileRoundTrip, EveryProfileReadsBackWithinItsCoding) {
  test::TempDir dir;
  auto loaded = std::make_unique<TLUT>();
  for (const auto& profile : OutputProfiles()) {
    SCOPED_TRACE(profile->Name);
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    ASSERT_NE(format, nullptr);
    const auto source = KnownLut(format->Is3D, profile->DefaultSize);
    const std::string path = dir.File("known." + profile->Extension);
    SaveLut(path, *source, *profile, -1);
    ASSERT_TRUE(FileExists(path));
    if (kWriteOnly.count(format->Name) != 0) {
      EXPECT_FALSE(test::ReadFile(path).empty());
      continue;
    }
    const auto coding = kCodings.find(format->Name);
    ASSERT_NE(coding, kCodings.end()) << "add the coding of \"" << format->Name << "\" to kCodings";

    const bool detected = kNotDetected.count(profile->Name) == 0;
    EXPECT_EQ(DetectFormat(path), detected ? profile->FormatIndex : -1);
    LoadLut(path, *loaded, detected ? -1 : profile->FormatIndex);
    EXPECT_EQ(loaded->FormatIndex, profile->FormatIndex);
    EXPECT_LE(LargestDifference(*source, *loaded), coding->second.Tolerance(*profile));
  }
}

}  // namespace
}  // namespace vorn
