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
// mapping [MinIn, MaxIn] onto [MinOut, MaxOut], clamped between MinOut and MaxOut unless
// Clamp is off (a falling range, MaxOut below MinOut, is kept; OpenColorIO refuses it). With
// only the minimum pair, out = max(MinOut, in - MinIn + MinOut); with only the maximum pair,
// out = min(MaxOut, in - MaxIn + MaxOut) (OpenColorIO takes only pairs of equal values
// there). ELUTError for: one value of a pair missing, no pair at all, MaxIn equal to MinIn,
// and the noClamp style without all four values.
struct TRangeParams {
  std::optional<double> MinIn, MaxIn, MinOut, MaxOut;
  bool Clamp = true;
};
TColourOperatorPtr MakeRangeOperator(const TRangeParams& params);

// Log styles and their per-channel parameters (the LogParams of the Common LUT Format).
// Log10, Log2, AntiLog10 and AntiLog2 ignore the parameters; the camera styles need
// LinSideBreak (MakeLogOperator raises ELUTError without it) and work out LinearSlope when
// it is absent (the line then meets the curve with its tangent). A logarithm of a value at
// or below 0 is taken of the smallest normal single float, as OpenColorIO does. ELUTError
// also for a base that is not positive or is 1, and for slopes of 0.
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
// The Cineon-style LogParams of Color Transform Format files (gamma, refWhite, refBlack,
// highlight, shadow): the reference codes are 10-bit codes of 0.002 density each, and
// logToLin maps refBlack to shadow and refWhite to highlight. As the parameters of LinToLog
// and LogToLin (base 10); ELUTError for a gamma of 0, equal references or equal highlight
// and shadow.
struct TCineonLogParams {
  double Gamma = 0.6, RefWhite = 685, RefBlack = 95, Highlight = 1, Shadow = 0;
};
TLogChannelParams LogParamsFromCineon(const TCineonLogParams& cineon);

// Exponent styles (the Exponent element of the Common LUT Format, the Gamma element of the
// Color Transform Format). Offset is used by the MonCurve styles only, which need an
// exponent of at least 1 and an offset of at least 0 (an offset of 0 leaves no linear
// segment: negative inputs give 0); the Rev styles need an exponent other than 0. ELUTError
// otherwise. Basic styles clamp negative inputs to 0, Mirror styles mirror them, PassThru
// styles pass them unchanged.
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

// ASC CDL: slope and offset, power, then saturation (Rec. 709 luma weights). Fwd clamps to
// [0, 1] before the power and after the saturation; FwdNoClamp passes negative values past
// the power. The Rev styles invert the Fwd ones step by step (Rev clamps the input, after
// the saturation and the output); ELUTError when a slope, a power or the saturation of a
// Rev style is 0.
enum class TCdlStyle { Fwd, Rev, FwdNoClamp, RevNoClamp };
TColourOperatorPtr MakeCdlOperator(TCdlStyle style, const TRGB& slope, const TRGB& offset,
                                   const TRGB& power, double saturation);

// How a grid is read between its nodes: trilinear (TLUT::Evaluate, and the Common LUT
// Format's default; OpenColorIO reads a LUT3D without the attribute as tetrahedral) or
// tetrahedral (the interpolation="tetrahedral" of a LUT3D).
enum class TGridInterpolation { Trilinear, Tetrahedral };
// A table, grid or shaper-and-grid record as one step, evaluated by TLUT::Evaluate (which
// honours the record's domains), its grid read with the given interpolation. ELUTError for a
// record without a table or grid of at least 2 entries or nodes.
TColourOperatorPtr MakeLutOperator(
    std::shared_ptr<const TLUT> lut,
    TGridInterpolation interpolation = TGridInterpolation::Trilinear);
// The inverse of a 1D table (the InverseLUT1D element of the Color Transform Format, as
// OpenColorIO names it), per channel, over the table's domain. Each channel must be
// monotonic (non-decreasing or non-increasing); ELUTError otherwise, and for a record that is
// not a table alone of at least 2 entries. Flat runs: the value of a flat run maps to the
// run's first input, except the run the table starts with, which maps to its last input
// (where the table starts to move, where OpenColorIO maps it too); outputs beyond the first
// entry map as the first entry, outputs beyond the last entry as the last.
TColourOperatorPtr MakeInverseTableOperator(std::shared_ptr<const TLUT> table);

// Evaluates the chain at every node of a size^3 grid (inputs 0..1 on each axis) and stores
// the results as lut's grid: lut becomes a 3D record of that size with the default domain
// (comments and FormatIndex kept). Runs in bands of red planes on every core.
void SampleChainOntoGrid(const TOperatorChain& chain, int size, TLUT& lut);
TRGB ApplyChain(const TOperatorChain& chain, TRGB value);

// Style names as the files spell them, ASCII case ignored: the Common LUT Format names and
// the Color Transform Format aliases ("moncurveFwd", "v1.2_Fwd", "noClampRev"...).
// std::nullopt for a name that is neither.
std::optional<TLogStyle> ParseLogStyle(std::string_view name);
std::optional<TExponentStyle> ParseExponentStyle(std::string_view name);
std::optional<TCdlStyle> ParseCdlStyle(std::string_view name);
// The style of a Range: "Clamp" gives true, "noClamp" false.
std::optional<bool> ParseRangeClamp(std::string_view name);
// A LUT3D's interpolation attribute: "trilinear" or "tetrahedral".
std::optional<TGridInterpolation> ParseGridInterpolation(std::string_view name);

}  // namespace vorn
