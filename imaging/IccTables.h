#pragma once
// Building blocks of the profiles that LUT-to-ICC writes: the tables of an ICC lut16Type
// tag (a matrix for XYZ input, input curves, a 16-bit grid, output curves), sampled from
// functions, and the sRGB reference those profiles are measured against.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/LUT.h"
#include "imaging/ICCLib.h"

namespace vorn {

// Largest table a lut16Type curve may hold.
inline constexpr int kMaxCurveEntries = 4096;

// Three curves of one length (2 to 4096 entries), values in [0, 1].
struct TCurveTables {
  std::array<std::vector<double>, 3> Channels;
};

TCurveTables IdentityCurves();
// Entry i of channel c is f(c, i / (entries - 1)).
TCurveTables SampleCurves(int entries, const std::function<double(int, double)>& f);

// n nodes per axis, red slowest; three 16-bit codes per node.
struct TGridTable {
  int Size = 2;
  std::vector<std::uint16_t> Codes;
};

// Node (r, g, b) holds f(r / (n - 1), g / (n - 1), b / (n - 1)), clamped to [0, 1].
TGridTable SampleGrid(int size, const std::function<TRGB(const TRGB&)>& f);

struct TLut16Tables {
  std::optional<std::array<double, 9>> Matrix;  // row-major; only for XYZ input
  TCurveTables Input = IdentityCurves();
  TGridTable Grid;
  TCurveTables Output = IdentityCurves();
};

// The tables as a LittleCMS pipeline, which LittleCMS writes as a lut16Type tag into a
// version 2 profile.
TLcmsPipeline MakePipeline(const TLcmsContext& context, const TLut16Tables& tables);

// The standard sRGB profile (GetSRGBProfileName) as numbers: its D50 colorants and its
// tone curve, evaluated by LittleCMS exactly as the profile's transforms evaluate them.
class TSRGBReference {
 public:
  TSRGBReference();

  double Decode(double encoded) const;  // encoded value to linear light
  double Encode(double linear) const;   // linear light to encoded value, clamped to [0, 1]
  TRGB ToXYZ(const TRGB& encoded) const;
  TRGB FromXYZ(const TRGB& xyz) const;  // encoded, each channel clamped to [0, 1]
  const std::array<double, 9>& Matrix() const { return Matrix_; }  // linear RGB to XYZ
  const std::array<double, 9>& Inverse() const { return Inverse_; }
  // XYZ of full white: the row sums of the matrix.
  TRGB White() const;

 private:
  TProfileHandle Profile_;
  // sRGB's three channels share one curve.
  const cmsToneCurve* Curve_ = nullptr;
  std::vector<double> Table_;  // the curve's entries, for the inverse
  std::array<double, 9> Matrix_{};
  std::array<double, 9> Inverse_{};
};

// CIE Lab (D50) of an XYZ colour, and its version 2 16-bit encoding as values in [0, 1].
TRGB EncodeLabV2(const TRGB& xyz);
// The XYZ colour of encoded Lab values.
TRGB DecodeLabV2(const TRGB& encoded);

// PCS XYZ as a lut16Type stores it: 0 to 1 stands for 0 to 1 + 32767 / 32768.
inline constexpr double kXYZEncodingTop = 1.0 + 32767.0 / 32768.0;

}  // namespace vorn
