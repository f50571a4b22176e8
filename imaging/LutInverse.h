#pragma once
// The inverse of a LUT's mapping, found numerically: for a target colour, the input that
// the LUT maps closest to it. 1D LUTs are inverted curve by curve; grids (and a shaper
// before a grid) by damped Gauss-Newton steps on the LUT's own evaluation, kept inside the
// unit cube. Where the LUT is not invertible (flat parts, targets it never reaches) the
// answer is the nearest input found.

#include <vector>

#include "core/LUT.h"

namespace vorn {

class TLutInverse {
 public:
  // The LUT must outlive this object and stay unchanged.
  explicit TLutInverse(const TLUT& lut);

  // Successive calls with nearby targets are fastest: each search starts from the last
  // answer as well as from the target itself.
  TRGB operator()(const TRGB& target);

 private:
  struct TCurveInverse {
    std::vector<double> Values;  // the curve made monotone
    bool Rising = true;
    double Inverse(double target) const;
  };

  TRGB Search(const TRGB& target, const TRGB& start, double& residual) const;

  const TLUT& Lut_;
  std::vector<TCurveInverse> Curves_;  // for 1D LUTs
  TRGB Last_;
  bool HasLast_ = false;
};

}  // namespace vorn
