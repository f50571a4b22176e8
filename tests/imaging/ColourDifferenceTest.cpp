// The colour difference under the comparison: CIEDE2000 against the 34 published test pairs
// of Sharma, Wu and Dalal (2005), and sRGB to CIELAB against the standard's matrix and white.

#include <gtest/gtest.h>

#include <cmath>

#include "imaging/ColourDifference.h"

namespace vorn {
namespace {

struct TPair {
  TLab First;
  TLab Second;
  double DeltaE;
};

// Table 1 of G. Sharma, W. Wu, E. N. Dalal, "The CIEDE2000 color-difference formula:
// implementation notes, supplementary test data, and mathematical observations", Color
// Research & Application 30 (2005).
constexpr TPair kSharmaPairs[] = {
    {{50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
    {{50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
    {{50.0000, 2.8361, -74.0200}, {50.0000, 0.0000, -82.7485}, 3.4412},
    {{50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -1.1848, -84.8006}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -0.9009, -85.5211}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
    {{50.0000, -1.0000, 2.0000}, {50.0000, 0.0000, 0.0000}, 2.3669},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
    {{50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
    {{50.0000, 2.5000, 0.0000}, {61.0000, -5.0000, 29.0000}, 22.8977},
    {{50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
    {{50.0000, 2.5000, 0.0000}, {58.0000, 24.0000, 15.0000}, 19.4535},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.1736, 0.5854}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 1.8634, 0.5757}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2592, 0.3350}, 1.0000},
    {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
    {{61.2901, 3.7196, -5.3901}, {61.4292, 2.2480, -4.9620}, 1.8731},
    {{35.0831, -44.1164, 3.7933}, {35.0232, -40.0716, 1.5901}, 1.8645},
    {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
    {{36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
    {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
    {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
    {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
    {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
};

TEST(CIEDE2000, MatchesThePublishedTestDataToFourDecimalsInBothOrders) {
  int pair = 1;
  for (const TPair& p : kSharmaPairs) {
    EXPECT_NEAR(CIEDE2000(p.First, p.Second), p.DeltaE, 0.5e-4) << "pair " << pair;
    EXPECT_NEAR(CIEDE2000(p.Second, p.First), p.DeltaE, 0.5e-4) << "pair " << pair << " swapped";
    ++pair;
  }
  EXPECT_EQ(pair, 35);
  EXPECT_EQ(CIEDE2000({37.5, -12.0, 40.0}, {37.5, -12.0, 40.0}), 0.0);
}

TEST(SrgbToLab, FollowsTheStandardCurveMatrixAndWhite) {
  // The decoding curve: the straight segment, its joint and the power law.
  EXPECT_DOUBLE_EQ(SrgbToLinear(0.04), 0.04 / 12.92);
  EXPECT_NEAR(SrgbToLinear(0.5), 0.214041140, 1e-9);
  EXPECT_DOUBLE_EQ(SrgbToLinear(1.0), 1.0);
  EXPECT_DOUBLE_EQ(SrgbToLinear(-0.5), -SrgbToLinear(0.5));
  EXPECT_GT(SrgbToLinear(1.2), 1.0);

  // The derived matrix agrees with the four-decimal one printed in IEC 61966-2-1.
  constexpr double kPrinted[3][3] = {
      {0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}};
  for (int column = 0; column < 3; ++column) {
    TRGB unit;
    (column == 0 ? unit.R : column == 1 ? unit.G : unit.B) = 1.0;
    const TXYZ xyz = LinearSrgbToXYZ(unit);
    EXPECT_NEAR(xyz.X, kPrinted[0][column], 1e-4);
    EXPECT_NEAR(xyz.Y, kPrinted[1][column], 1e-4);
    EXPECT_NEAR(xyz.Z, kPrinted[2][column], 1e-4);
  }
  const TXYZ white = D65White();
  EXPECT_NEAR(white.X, 0.3127 / 0.3290, 1e-12);
  EXPECT_NEAR(white.Y, 1.0, 1e-12);
  EXPECT_NEAR(white.Z, (1.0 - 0.3127 - 0.3290) / 0.3290, 1e-12);

  const TLab lightest = SrgbToLab({1.0, 1.0, 1.0});
  EXPECT_NEAR(lightest.L, 100.0, 1e-9);
  EXPECT_NEAR(lightest.a, 0.0, 1e-9);
  EXPECT_NEAR(lightest.b, 0.0, 1e-9);
  const TLab black = SrgbToLab({0.0, 0.0, 0.0});
  EXPECT_EQ(black.L, 0.0);
  // Published CIELAB (D65) of the sRGB primaries red and blue, to the precision that
  // the choice between matrices of different rounding leaves.
  const TLab red = SrgbToLab({1.0, 0.0, 0.0});
  EXPECT_NEAR(red.L, 53.24, 0.01);
  EXPECT_NEAR(red.a, 80.09, 0.02);
  EXPECT_NEAR(red.b, 67.20, 0.02);
  const TLab blue = SrgbToLab({0.0, 0.0, 1.0});
  EXPECT_NEAR(blue.L, 32.30, 0.01);
  EXPECT_NEAR(blue.a, 79.19, 0.02);
  EXPECT_NEAR(blue.b, -107.86, 0.02);
  // Lightness over the whole range and beyond, against the library's cube root.
  for (double y = 0.009; y < 1e6; y *= 1.37) {
    EXPECT_NEAR(XYZToLab({0.0, y, 0.0}).L, 116.0 * std::cbrt(y) - 16.0, 1e-12 * (1.0 + y)) << y;
  }
  // The table of the fast conversion stays within its bound of the curve.
  const TSrgbToLab fast;
  for (double v = -0.25; v < 1.5; v += 0.000731) {
    const TLab exact = SrgbToLab({v, 0.5, 1.0 - v});
    const TLab quick = fast({v, 0.5, 1.0 - v});
    EXPECT_NEAR(quick.L, exact.L, 1e-7) << v;
    EXPECT_NEAR(quick.a, exact.a, 1e-7) << v;
    EXPECT_NEAR(quick.b, exact.b, 1e-7) << v;
  }
  // Outputs beyond the range still give finite colours.
  const TLab beyond = SrgbToLab({-0.1, 1.3, 0.5});
  EXPECT_TRUE(std::isfinite(beyond.L) && std::isfinite(beyond.a) && std::isfinite(beyond.b));
}

}  // namespace
}  // namespace vorn
