// Merging LUT files: each applied in list order to every node of the result, whatever its
// kind; a LUT merged with its inverse gives the identity, and order matters where the LUTs
// do not commute; a file that fails names itself and nothing is written.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "core/Conversion.h"
#include "core/LUTFormat.h"
#include "imaging/MergeLuts.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

double MaxDifference(const TRGB& a, const TRGB& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

class MergeLuts : public ::testing::Test {
 protected:
  // A Cube file of a grid of f.
  std::string GridFile(const std::string& name, int size,
                       const std::function<TRGB(const TRGB&)>& f) {
    auto lut = std::make_unique<TLUT>();
    lut->Kind = lk3D;
    lut->Size3D = size;
    const double step = 1.0 / (size - 1);
    for (int r = 0; r < size; ++r) {
      for (int g = 0; g < size; ++g) {
        for (int b = 0; b < size; ++b) lut->SetNode(r, g, b, f({r * step, g * step, b * step}));
      }
    }
    return Temp.Write(name, test::CubeTextOf(*lut));
  }

  double WorstAgainst(const TLUT& merged, const std::function<TRGB(const TRGB&)>& f) const {
    double worst = 0.0;
    const int n = merged.Size3D;
    for (int r = 0; r < n; ++r) {
      for (int g = 0; g < n; ++g) {
        for (int b = 0; b < n; ++b) {
          const TRGB in{r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)};
          worst = std::max(worst, MaxDifference(merged.GetNode(r, g, b), f(in)));
        }
      }
    }
    return worst;
  }

  test::TempDir Temp;
  std::unique_ptr<TLUT> Merged = std::make_unique<TLUT>();
};

// A channel-mixing grade and its exact inverse.
TRGB Mix(const TRGB& c) {
  return {0.8 * c.R + 0.1 * c.G + 0.1 * c.B, 0.1 * c.R + 0.8 * c.G + 0.1 * c.B,
          0.05 * c.R + 0.15 * c.G + 0.8 * c.B};
}
TRGB Gamma(const TRGB& c) {
  return {std::pow(c.R, 1.25), std::pow(c.G, 1.25), std::pow(c.B, 1.25)};
}
// A lifted gamma keeps clear of the steep start of its inverse.
TRGB LiftedGamma(const TRGB& c) {
  return Gamma({0.1 + 0.9 * c.R, 0.1 + 0.9 * c.G, 0.1 + 0.9 * c.B});
}
TRGB MixThenGamma(const TRGB& c) {
  return Gamma(Mix(c));
}
TRGB InverseOfMixThenLiftedGamma(const TRGB& c) {
  auto unlift = [](double v) { return (std::pow(v, 0.8) - 0.1) / 0.9; };
  const TRGB linear{unlift(c.R), unlift(c.G), unlift(c.B)};
  // Solves Mix(x) = linear by Cramer's rule.
  const double a[9] = {0.8, 0.1, 0.1, 0.1, 0.8, 0.1, 0.05, 0.15, 0.8};
  auto det = [](const double* m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
  };
  const double y[3] = {linear.R, linear.G, linear.B};
  double x[3];
  for (int column = 0; column < 3; ++column) {
    double replaced[9];
    std::copy(a, a + 9, replaced);
    for (int row = 0; row < 3; ++row) replaced[row * 3 + column] = y[row];
    x[column] = det(replaced) / det(a);
  }
  return {x[0], x[1], x[2]};
}

TEST_F(MergeLuts, ALutMergedWithItsInverseIsTheIdentityWithinInterpolation) {
  const std::string grade =
      GridFile("grade.cube", 33, [](const TRGB& c) { return LiftedGamma(Mix(c)); });
  const std::string inverse = GridFile("inverse.cube", 33, InverseOfMixThenLiftedGamma);
  MergeLutFiles({grade, inverse}, 17, *Merged);
  EXPECT_EQ(Merged->Kind, lk3D);
  EXPECT_EQ(Merged->Size3D, 17);
  EXPECT_LE(WorstAgainst(*Merged, [](const TRGB& c) { return c; }), 0.01);

  MergeLutFiles({grade}, 17, *Merged);
  EXPECT_GT(WorstAgainst(*Merged, [](const TRGB& c) { return c; }), 0.05) << "the grade alone";
}

TEST_F(MergeLuts, TheTopFileIsAppliedFirst) {
  const std::string mix = GridFile("mix.cube", 2, Mix);  // linear: exact on a 2-node grid
  const std::string gamma = GridFile("gamma.cube", 65, Gamma);
  MergeLutFiles({mix, gamma}, 9, *Merged);
  EXPECT_LE(WorstAgainst(*Merged, MixThenGamma), 0.002);
  MergeLutFiles({gamma, mix}, 9, *Merged);
  EXPECT_LE(WorstAgainst(*Merged, [](const TRGB& c) { return Mix(Gamma(c)); }), 0.002);
  EXPECT_GT(WorstAgainst(*Merged, MixThenGamma), 0.01) << "the two do not commute";
  EXPECT_EQ(Merged->Comments, (std::vector<std::string>{"Merged: gamma.cube", "Merged: mix.cube"}));
}

TEST_F(MergeLuts, AShaperBeforeAGridIsEvaluatedAsItsFormatDefinesIt) {
  const auto shaped = test::MakeGradeLut(lk1DAnd3D, 9, 256);
  const std::string file = Temp.Write("shaped.cube", test::CubeTextOf(*shaped));
  MergeLutFiles({file}, 33, *Merged);
  EXPECT_LE(WorstAgainst(*Merged, [&](const TRGB& c) { return shaped->Evaluate(c); }), 1e-8);
}

TEST_F(MergeLuts, AFileThatFailsIsNamedAndNothingIsWritten) {
  const std::string good = GridFile("good.cube", 2, Mix);
  const std::string unknown = Temp.Write("words.cube", "no lut here\n");
  const std::string incomplete = Temp.Write("short.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  const std::string missing = Temp.File("missing.cube");
  const TLutOutputProfile& output = *OutputProfiles().front();
  const std::string out = Temp.File("merged." + output.Extension);
  for (const std::string& bad : {unknown, incomplete, missing}) {
    try {
      MergeLutsToFile({good, bad}, output, 17, -1, out);
      ADD_FAILURE() << bad;
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find(bad), std::string::npos) << error.what();
    }
    EXPECT_FALSE(FileExists(out));
  }
  EXPECT_THROW(MergeLutsToFile({good}, output, 1, -1, out), Exception);
  EXPECT_FALSE(FileExists(out));
  EXPECT_THROW(MergeLutsToFile({}, output, 17, -1, out), Exception);
}

TEST_F(MergeLuts, TheSizeIsCappedAt99AndWrittenThroughTheProfile) {
  const TLutOutputProfile* output = nullptr;
  for (const auto& profile : OutputProfiles()) {
    if (profile->SizeSelectable && profile->DefaultBits == 0 &&
        GetFormat(profile->FormatIndex)->Is3D) {
      output = profile.get();  // a real-valued coding: the values are compared to 1e-6
    }
  }
  ASSERT_NE(output, nullptr);
  const std::string out = Temp.File("merged." + output->Extension);
  MergeLutsToFile({GridFile("mix.cube", 2, Mix)}, *output, 120, -1, out);
  auto written = std::make_unique<TLUT>();
  LoadLut(out, *written, output->FormatIndex);
  EXPECT_EQ(written->Size3D, kMaxOutputSize3D);
  EXPECT_LE(WorstAgainst(*written, Mix), 1e-6);
}

}  // namespace
}  // namespace vorn
