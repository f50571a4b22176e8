#pragma once
// Colour difference of two RGB values read as sRGB-encoded: the sRGB decoding curve, the
// sRGB primaries with the D65 white to CIE XYZ, CIELAB relative to that white, and the
// CIEDE2000 difference (Sharma, Wu and Dalal's formulation, weights kL = kC = kH = 1).
//
// LUT outputs may leave [0, 1]: the decoding curve is continued by symmetry below 0 and
// by its power law above 1, and CIELAB keeps its linear segment for negative ratios, so
// every finite input gives a finite colour.

#include <vector>

#include "core/LUT.h"

namespace vorn {

struct TLab {
  double L = 0.0;
  double a = 0.0;
  double b = 0.0;
};

struct TXYZ {
  double X = 0.0;
  double Y = 0.0;
  double Z = 0.0;
};

// The sRGB decoding curve (encoded value to linear light).
double SrgbToLinear(double encoded);

// Linear sRGB to XYZ with Y = 1 for white; the matrix is derived from the sRGB primaries
// and the D65 white chromaticity (0.3127, 0.3290).
TXYZ LinearSrgbToXYZ(const TRGB& linear);
// The D65 white of that matrix (its row sums).
TXYZ D65White();

// CIELAB relative to the D65 white.
TLab XYZToLab(const TXYZ& xyz);

// An sRGB-encoded triple to CIELAB (D65).
TLab SrgbToLab(const TRGB& encoded);

// SrgbToLab for many colours: the decoding curve comes from a table over [0, 1] (linear
// interpolation between 65,537 points, within 1e-10 of the curve), the curve itself
// outside that range.
class TSrgbToLab {
 public:
  TSrgbToLab();
  TLab operator()(const TRGB& encoded) const;

 private:
  double Decode(double encoded) const;
  std::vector<double> Table_;
};

// CIEDE2000 colour difference.
double CIEDE2000(const TLab& first, const TLab& second);

}  // namespace vorn
