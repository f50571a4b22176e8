#include "imaging/LutInverse.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vorn {

namespace {

constexpr int kMaxIterations = 20;
constexpr double kGoodEnough = 1e-10;  // squared distance
constexpr double kStep = 1e-5;         // for the finite-difference Jacobian

using TVec = std::array<double, 3>;
using TMat = std::array<double, 9>;

TVec ToVec(const TRGB& c) {
  return {c.R, c.G, c.B};
}
TRGB ToRGB(const TVec& v) {
  return {v[0], v[1], v[2]};
}

double Clamp01(double v) {
  return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

double SquaredDistance(const TVec& a, const TVec& b) {
  double sum = 0.0;
  for (int i = 0; i < 3; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return sum;
}

// Solves (A + lambda I) x = y for a symmetric 3 x 3 A; false when singular.
bool SolveDamped(const TMat& a, double lambda, const TVec& y, TVec& x) {
  TMat m = a;
  m[0] += lambda;
  m[4] += lambda;
  m[8] += lambda;
  const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                     m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (!(std::fabs(det) > 1e-300)) return false;
  const TMat inv = {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det,
                    (m[1] * m[5] - m[2] * m[4]) / det, (m[5] * m[6] - m[3] * m[8]) / det,
                    (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
                    (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det,
                    (m[0] * m[4] - m[1] * m[3]) / det};
  for (int r = 0; r < 3; ++r)
    x[r] = inv[r * 3] * y[0] + inv[r * 3 + 1] * y[1] + inv[r * 3 + 2] * y[2];
  return true;
}

}  // namespace

double TLutInverse::TCurveInverse::Inverse(double target) const {
  const int last = static_cast<int>(Values.size()) - 1;
  if (last < 1) return 0.0;
  auto position = [&](int i) { return static_cast<double>(i) / last; };
  // Rising curves are searched as they are, falling ones mirrored.
  auto value = [&](int i) { return Rising ? Values[i] : -Values[i]; };
  const double y = Rising ? target : -target;
  if (y <= value(0)) return position(0);
  if (y >= value(last)) return position(last);
  int low = 0;
  int high = last;
  while (high - low > 1) {
    const int middle = (low + high) / 2;
    (value(middle) < y ? low : high) = middle;
  }
  const double span = value(high) - value(low);
  const double fraction = span > 0.0 ? (y - value(low)) / span : 0.0;
  return position(low) + fraction * (position(high) - position(low));
}

TLutInverse::TLutInverse(const TLUT& lut) : Lut_(lut) {
  if (lut.Kind != lk1D) return;
  for (int channel = 0; channel < 3; ++channel) {
    TCurveInverse curve;
    curve.Values.resize(static_cast<std::size_t>(std::max(lut.Size1D, 0)));
    for (int i = 0; i < lut.Size1D; ++i) curve.Values[i] = lut.Entry(i)[channel];
    curve.Rising = curve.Values.empty() || curve.Values.back() >= curve.Values.front();
    // Monotone envelope: a wiggle of the curve cannot send the search astray.
    for (std::size_t i = 1; i < curve.Values.size(); ++i) {
      curve.Values[i] = curve.Rising ? std::max(curve.Values[i], curve.Values[i - 1])
                                     : std::min(curve.Values[i], curve.Values[i - 1]);
    }
    Curves_.push_back(std::move(curve));
  }
}

TRGB TLutInverse::operator()(const TRGB& target) {
  if (!Curves_.empty()) {
    // The curves give table coordinates; the table's domain gives the inputs.
    const TRGB input = Lut_.TableDomain.FromUnit(
        {Curves_[0].Inverse(target.R), Curves_[1].Inverse(target.G), Curves_[2].Inverse(target.B)});
    return {Clamp01(input.R), Clamp01(input.G), Clamp01(input.B)};
  }
  if (Lut_.Kind == lkNone) return {Clamp01(target.R), Clamp01(target.G), Clamp01(target.B)};
  double residual = 0.0;
  TRGB best = Search(target, HasLast_ ? Last_ : target, residual);
  if (residual > kGoodEnough) {
    double other = 0.0;
    const TRGB second =
        Search(target, {Clamp01(target.R), Clamp01(target.G), Clamp01(target.B)}, other);
    if (other < residual) best = second;
  }
  Last_ = best;
  HasLast_ = true;
  return best;
}

// Levenberg-Marquardt on |F(x) - target|^2 with x kept in the unit cube.
TRGB TLutInverse::Search(const TRGB& target, const TRGB& start, double& residual) const {
  const TVec goal = ToVec(target);
  TVec x = {Clamp01(start.R), Clamp01(start.G), Clamp01(start.B)};
  TVec fx = ToVec(Lut_.Evaluate(ToRGB(x)));
  residual = SquaredDistance(fx, goal);
  double lambda = 1e-6;
  for (int iteration = 0; iteration < kMaxIterations && residual > kGoodEnough; ++iteration) {
    TMat jacobian{};
    for (int column = 0; column < 3; ++column) {
      TVec moved = x;
      // Step inwards at the upper face so the difference stays inside the grid.
      const double h = x[column] + kStep <= 1.0 ? kStep : -kStep;
      moved[column] += h;
      const TVec f = ToVec(Lut_.Evaluate(ToRGB(moved)));
      for (int row = 0; row < 3; ++row) jacobian[row * 3 + column] = (f[row] - fx[row]) / h;
    }
    TMat normal{};
    TVec gradient{};
    for (int i = 0; i < 3; ++i) {
      for (int k = 0; k < 3; ++k) {
        gradient[i] += jacobian[k * 3 + i] * (goal[k] - fx[k]);
        for (int j = 0; j < 3; ++j) normal[i * 3 + j] += jacobian[k * 3 + i] * jacobian[k * 3 + j];
      }
    }
    bool improved = false;
    const double before = residual;
    while (!improved && lambda < 1e3) {
      TVec step{};
      if (SolveDamped(normal, lambda, gradient, step)) {
        const TVec candidate = {Clamp01(x[0] + step[0]), Clamp01(x[1] + step[1]),
                                Clamp01(x[2] + step[2])};
        const TVec fc = ToVec(Lut_.Evaluate(ToRGB(candidate)));
        const double r = SquaredDistance(fc, goal);
        if (r < residual) {
          x = candidate;
          fx = fc;
          residual = r;
          improved = true;
          lambda = std::max(lambda * 0.1, 1e-9);
          continue;
        }
      }
      lambda *= 10.0;
    }
    // Nothing left to gain: the target lies outside what the LUT reaches.
    if (!improved || before - residual < 1e-12 * before) break;
  }
  return ToRGB(x);
}

}  // namespace vorn
