#pragma once
// The colour operators of process lists (Common LUT Format and Color Transform Format): each
// step maps one normalised RGB value (1.0 = the top code) to another. A reader builds a
// chain of them, ApplyChain evaluates the chain at one value and SampleChainOntoGrid samples
// it onto a 3D grid. The maths follows the Common LUT Format version 3; the styles that only
// the Color Transform Format knows follow OpenColorIO's documentation of that format.

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/LUT.h"

namespace vorn {

// One step of a process list, evaluated on normalised real values (1.0 = the top code).
class TColourOperator {
 public:
  virtual ~TColourOperator() = default;
  virtual TRGB Apply(const TRGB& in) const = 0;
};
using TColourOperatorPtr = std::unique_ptr<const TColourOperator>;
using TOperatorChain = std::vector<TColourOperatorPtr>;

// out = M * in + Offset, M row-major (3x3, or 3x4 matrices with the fourth column as Offset).
struct TMatrixParams {
  std::array<double, 9> M{1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::array<double, 3> Offset{};
};
TColourOperatorPtr MakeMatrixOperator(const TMatrixParams& params);

// Range: values already normalised by the reader. With all four bounds, a scale and offset
// mapping [MinIn, MaxIn] onto [MinOut, MaxOut], clamped to [MinOut, MaxOut] unless Clamp is
// off. With only the minimum pair or only the maximum pair, a clamp on that side alone
// (out = max(MinOut, in - MinIn + MinOut) for the minimum pair), or the identity-shift
// without clamp when Clamp is off. Any other combination (one of a pair missing, no pair at
// all, MaxIn equal to MinIn) raises ELUTError.
struct TRangeParams {
  std::optional<double> MinIn, MaxIn, MinOut, MaxOut;
  bool Clamp = true;
};
TColourOperatorPtr MakeRangeOperator(const TRangeParams& params);

// Log styles and their per-channel parameters (the LogParams of the Common LUT Format).
// Log10, Log2, AntiLog10 and AntiLog2 ignore the parameters; the camera styles need
// LinSideBreak (MakeLogOperator raises ELUTError without it) and work out LinearSlope when
// it is absent.
enum class TLogStyle {
  Log10,
  Log2,
  AntiLog10,
  AntiLog2,
  LinToLog,
  LogToLin,
  CameraLinToLog,
  CameraLogToLin
};
struct TLogChannelParams {
  double Base = 2, LogSideSlope = 1, LogSideOffset = 0, LinSideSlope = 1, LinSideOffset = 0;
  std::optional<double> LinSideBreak, LinearSlope;
};
TColourOperatorPtr MakeLogOperator(TLogStyle style,
                                   const std::array<TLogChannelParams, 3>& channels);

// Exponent styles (the Exponent element of the Common LUT Format, the Gamma element of the
// Color Transform Format). Offset is used by the MonCurve styles only.
enum class TExponentStyle {
  BasicFwd,
  BasicRev,
  BasicMirrorFwd,
  BasicMirrorRev,
  BasicPassThruFwd,
  BasicPassThruRev,
  MonCurveFwd,
  MonCurveRev,
  MonCurveMirrorFwd,
  MonCurveMirrorRev
};
struct TExponentChannelParams {
  double Exponent = 1;
  double Offset = 0;
};
TColourOperatorPtr MakeExponentOperator(TExponentStyle style,
                                        const std::array<TExponentChannelParams, 3>& channels);

// ASC CDL: slope, offset, power, then saturation (Rec. 709 luma weights), clamped to [0, 1]
// in the clamping styles; the Rev styles invert the Fwd ones.
enum class TCdlStyle { Fwd, Rev, FwdNoClamp, RevNoClamp };
TColourOperatorPtr MakeCdlOperator(TCdlStyle style, const TRGB& slope, const TRGB& offset,
                                   const TRGB& power, double saturation);

// A table, grid or shaper-and-grid record as one step, evaluated by TLUT::Evaluate (which
// honours the record's domains).
TColourOperatorPtr MakeLutOperator(std::shared_ptr<const TLUT> lut);
// The inverse of a 1D table (the InvLUT1D of the Color Transform Format), per channel, over
// the table's domain. Each channel must be monotonic (non-decreasing or non-increasing);
// ELUTError otherwise, and for a record that is not a table alone. Flat runs: an output
// value equal to a flat run's value maps to the run's first input (the lowest input for a
// rising table, the highest for a falling one); outputs beyond the table's first or last
// entry map to the ends of the domain.
TColourOperatorPtr MakeInverseTableOperator(std::shared_ptr<const TLUT> table);

// Evaluates the chain at every node of a size^3 grid (inputs 0..1 on each axis) and stores
// the results as lut's grid: lut becomes a 3D record of that size with the default domain
// (comments and FormatIndex kept). Runs in bands of red planes on every core.
void SampleChainOntoGrid(const TOperatorChain& chain, int size, TLUT& lut);
TRGB ApplyChain(const TOperatorChain& chain, TRGB value);

// Style names as the files spell them: the Common LUT Format names and the Color Transform
// Format aliases. std::nullopt for a name that is neither.
std::optional<TLogStyle> ParseLogStyle(std::string_view name);
std::optional<TExponentStyle> ParseExponentStyle(std::string_view name);
std::optional<TCdlStyle> ParseCdlStyle(std::string_view name);
// The style of a Range: "Clamp" gives true, "noClamp" false.
std::optional<bool> ParseRangeClamp(std::string_view name);

}  // namespace vorn
