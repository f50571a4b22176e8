#include "imaging/ColourDifference.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vorn {

namespace {

using TMatrix = std::array<std::array<double, 3>, 3>;

struct TChromaticity {
  double x;
  double y;
};

// XYZ of a chromaticity at Y = 1.
constexpr std::array<double, 3> XYZOf(TChromaticity c) {
  return {c.x / c.y, 1.0, (1.0 - c.x - c.y) / c.y};
}

constexpr TMatrix Inverse(const TMatrix& m) {
  const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
  return {{{c00 / det, (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det,
            (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det},
           {c01 / det, (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det,
            (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det},
           {c02 / det, (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det,
            (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det}}};
}

// Columns: the primaries' XYZ, each scaled so that R = G = B = 1 gives the white.
constexpr TMatrix RgbToXYZ(TChromaticity red, TChromaticity green, TChromaticity blue,
                           TChromaticity white) {
  const std::array<double, 3> r = XYZOf(red);
  const std::array<double, 3> g = XYZOf(green);
  const std::array<double, 3> b = XYZOf(blue);
  const std::array<double, 3> w = XYZOf(white);
  const TMatrix primaries = {{{r[0], g[0], b[0]}, {r[1], g[1], b[1]}, {r[2], g[2], b[2]}}};
  const TMatrix inverse = Inverse(primaries);
  std::array<double, 3> scale{};
  for (int i = 0; i < 3; ++i) {
    scale[i] = inverse[i][0] * w[0] + inverse[i][1] * w[1] + inverse[i][2] * w[2];
  }
  TMatrix result{};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      result[row][column] = primaries[row][column] * scale[column];
    }
  }
  return result;
}

constexpr TMatrix kSrgbToXYZ = RgbToXYZ({0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.3290});

// The cube root of x > 0 at full precision: a guess within 3.3 % from the bits of x (its
// exponent divided by three), then two steps of Halley's iteration, each of which cubes the
// relative error (to 2.1e-5, then below 1e-14). The library's cbrt costs several times as
// much, and a comparison takes six per sample.
double CubeRoot(double x) {
  if (!std::isfinite(x)) return std::cbrt(x);
  constexpr std::uint64_t kThirdOfOneBias = 0x2A9F7893782DA1CEull;
  double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) / 3 + kThirdOfOneBias);
  for (int step = 0; step < 2; ++step) {
    const double y3 = y * y * y;
    y *= (y3 + 2.0 * x) / (2.0 * y3 + x);
  }
  return y;
}

// CIELAB's companding: the cube root above (6/29)^3, a straight line below it.
double LabCompand(double ratio) {
  constexpr double delta = 6.0 / 29.0;
  if (ratio > delta * delta * delta) return CubeRoot(ratio);
  return ratio / (3.0 * delta * delta) + 4.0 / 29.0;
}

constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr double kRadians = std::numbers::pi / 180.0;

// Hue angle in degrees, [0, 360); 0 for a neutral colour.
double HueDegrees(double b, double aPrime) {
  if (b == 0.0 && aPrime == 0.0) return 0.0;
  const double h = std::atan2(b, aPrime) * kDegrees;
  return h < 0.0 ? h + 360.0 : h;
}

// Lab values stay far from the range where a plain root of squares over- or underflows.
double Chroma(double a, double b) {
  return std::sqrt(a * a + b * b);
}

// T of CIEDE2000, 1 - 0.17 cos(h - 30) + 0.24 cos(2h) + 0.32 cos(3h + 6) - 0.20 cos(4h - 63)
// (degrees), from one sine and cosine by the multiple-angle formulas.
double HueWeight(double hueDegrees) {
  const double h = hueDegrees * kRadians;
  const double c1 = std::cos(h);
  const double s1 = std::sin(h);
  const double c2 = c1 * c1 - s1 * s1;
  const double s2 = 2.0 * s1 * c1;
  const double c3 = c2 * c1 - s2 * s1;
  const double s3 = s2 * c1 + c2 * s1;
  const double c4 = c2 * c2 - s2 * s2;
  const double s4 = 2.0 * s2 * c2;
  // cos(x + d) = cos x cos d - sin x sin d for the three shifts.
  static const double cos30 = std::cos(30.0 * kRadians);
  static const double sin30 = std::sin(30.0 * kRadians);
  static const double cos6 = std::cos(6.0 * kRadians);
  static const double sin6 = std::sin(6.0 * kRadians);
  static const double cos63 = std::cos(63.0 * kRadians);
  static const double sin63 = std::sin(63.0 * kRadians);
  return 1.0 - 0.17 * (c1 * cos30 + s1 * sin30) + 0.24 * c2 + 0.32 * (c3 * cos6 - s3 * sin6) -
         0.20 * (c4 * cos63 + s4 * sin63);
}

double Pow7(double x) {
  const double x2 = x * x;
  return x2 * x2 * x2 * x;
}

// The chroma weight sqrt(C^7 / (C^7 + 25^7)) shared by G and R_C.
double ChromaWeight(double chroma) {
  constexpr double k25Pow7 = 6103515625.0;
  const double c7 = Pow7(chroma);
  return std::sqrt(c7 / (c7 + k25Pow7));
}

}  // namespace

double SrgbToLinear(double encoded) {
  const double magnitude = std::fabs(encoded);
  const double linear =
      magnitude <= 0.04045 ? magnitude / 12.92 : std::pow((magnitude + 0.055) / 1.055, 2.4);
  return encoded < 0.0 ? -linear : linear;
}

TXYZ LinearSrgbToXYZ(const TRGB& linear) {
  const TMatrix& m = kSrgbToXYZ;
  return {m[0][0] * linear.R + m[0][1] * linear.G + m[0][2] * linear.B,
          m[1][0] * linear.R + m[1][1] * linear.G + m[1][2] * linear.B,
          m[2][0] * linear.R + m[2][1] * linear.G + m[2][2] * linear.B};
}

TXYZ D65White() {
  return LinearSrgbToXYZ({1.0, 1.0, 1.0});
}

TLab XYZToLab(const TXYZ& xyz) {
  static constexpr TXYZ white{kSrgbToXYZ[0][0] + kSrgbToXYZ[0][1] + kSrgbToXYZ[0][2],
                              kSrgbToXYZ[1][0] + kSrgbToXYZ[1][1] + kSrgbToXYZ[1][2],
                              kSrgbToXYZ[2][0] + kSrgbToXYZ[2][1] + kSrgbToXYZ[2][2]};
  const double fx = LabCompand(xyz.X / white.X);
  const double fy = LabCompand(xyz.Y / white.Y);
  const double fz = LabCompand(xyz.Z / white.Z);
  return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

TLab SrgbToLab(const TRGB& encoded) {
  return XYZToLab(
      LinearSrgbToXYZ({SrgbToLinear(encoded.R), SrgbToLinear(encoded.G), SrgbToLinear(encoded.B)}));
}

namespace {
constexpr int kDecodeIntervals = 65536;
}

TSrgbToLab::TSrgbToLab() : Table_(kDecodeIntervals + 2) {
  for (int i = 0; i <= kDecodeIntervals; ++i) {
    Table_[i] = SrgbToLinear(static_cast<double>(i) / kDecodeIntervals);
  }
  Table_[kDecodeIntervals + 1] = Table_[kDecodeIntervals];  // read with weight 0 at 1.0
}

double TSrgbToLab::Decode(double encoded) const {
  if (!(encoded >= 0.0 && encoded <= 1.0)) return SrgbToLinear(encoded);
  const double position = encoded * kDecodeIntervals;
  const int lower = static_cast<int>(position);
  const double weight = position - lower;
  return Table_[lower] + weight * (Table_[lower + 1] - Table_[lower]);
}

TLab TSrgbToLab::operator()(const TRGB& encoded) const {
  return XYZToLab(LinearSrgbToXYZ({Decode(encoded.R), Decode(encoded.G), Decode(encoded.B)}));
}

double CIEDE2000(const TLab& first, const TLab& second) {
  const double meanChroma = (Chroma(first.a, first.b) + Chroma(second.a, second.b)) / 2.0;
  const double g = 0.5 * (1.0 - ChromaWeight(meanChroma));
  const double a1 = (1.0 + g) * first.a;
  const double a2 = (1.0 + g) * second.a;
  const double c1 = Chroma(a1, first.b);
  const double c2 = Chroma(a2, second.b);
  const double h1 = HueDegrees(first.b, a1);
  const double h2 = HueDegrees(second.b, a2);
  const bool neutral = c1 * c2 == 0.0;

  const double deltaL = second.L - first.L;
  const double deltaC = c2 - c1;
  double deltaHue = 0.0;
  if (!neutral) {
    deltaHue = h2 - h1;
    if (deltaHue > 180.0) {
      deltaHue -= 360.0;
    } else if (deltaHue < -180.0) {
      deltaHue += 360.0;
    }
  }
  const double deltaH = 2.0 * std::sqrt(c1 * c2) * std::sin(deltaHue / 2.0 * kRadians);

  const double meanL = (first.L + second.L) / 2.0;
  const double meanC = (c1 + c2) / 2.0;
  double meanHue = h1 + h2;
  if (!neutral) {
    if (std::fabs(h1 - h2) <= 180.0) {
      meanHue /= 2.0;
    } else {
      meanHue = meanHue < 360.0 ? (meanHue + 360.0) / 2.0 : (meanHue - 360.0) / 2.0;
    }
  }
  const double t = HueWeight(meanHue);
  const double hueOffset = (meanHue - 275.0) / 25.0;
  const double deltaTheta = 30.0 * std::exp(-hueOffset * hueOffset);
  const double rotation = -std::sin(2.0 * deltaTheta * kRadians) * 2.0 * ChromaWeight(meanC);
  const double lightOffset = (meanL - 50.0) * (meanL - 50.0);
  const double sL = 1.0 + 0.015 * lightOffset / std::sqrt(20.0 + lightOffset);
  const double sC = 1.0 + 0.045 * meanC;
  const double sH = 1.0 + 0.015 * meanC * t;

  const double l = deltaL / sL;
  const double c = deltaC / sC;
  const double h = deltaH / sH;
  return std::sqrt(l * l + c * c + h * h + rotation * c * h);
}

}  // namespace vorn
