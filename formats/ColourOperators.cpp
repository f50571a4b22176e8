// The colour operators of process lists. Each operator works out what depends on its
// parameters alone when it is made, so Apply neither allocates nor branches on more than the
// style and the input.

#include "formats/ColourOperators.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "core/LUTFormat.h"
#include "platform/WorkerPool.h"

namespace vorn {

namespace {

using TChannelValues = std::array<double, 3>;

TChannelValues ToArray(const TRGB& v) {
  return {v.R, v.G, v.B};
}
TRGB ToRGB(const TChannelValues& v) {
  return {v[0], v[1], v[2]};
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

template <class TStyle, std::size_t N>
std::optional<TStyle> FindStyle(std::string_view name,
                                const std::array<std::pair<std::string_view, TStyle>, N>& names) {
  for (const auto& [text, style] : names) {
    if (EqualsIgnoringCase(name, text)) return style;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Matrix

class TMatrixOperator final : public TColourOperator {
 public:
  explicit TMatrixOperator(const TMatrixParams& params) : P_(params) {}
  TRGB Apply(const TRGB& in) const override {
    const auto& m = P_.M;
    return {m[0] * in.R + m[1] * in.G + m[2] * in.B + P_.Offset[0],
            m[3] * in.R + m[4] * in.G + m[5] * in.B + P_.Offset[1],
            m[6] * in.R + m[7] * in.G + m[8] * in.B + P_.Offset[2]};
  }

 private:
  TMatrixParams P_;
};

// ---------------------------------------------------------------------------------------
// Range: out = in * Scale + Shift, then the clamps that apply.

class TRangeOperator final : public TColourOperator {
 public:
  TRangeOperator(double scale, double shift, double low, double high)
      : Scale_(scale), Shift_(shift), Low_(low), High_(high) {}
  TRGB Apply(const TRGB& in) const override { return {Map(in.R), Map(in.G), Map(in.B)}; }

 private:
  double Map(double v) const { return std::min(High_, std::max(Low_, v * Scale_ + Shift_)); }

  double Scale_, Shift_, Low_, High_;
};

[[noreturn]] void RaiseRange(const std::string& what) {
  throw ELUTError("Invalid Range: " + what);
}

// ---------------------------------------------------------------------------------------
// Log

// Logarithms of values at or below 0 are taken of the smallest normal single-precision
// float instead, as OpenColorIO does, so that black gives a finite result.
constexpr double kLogFloor = std::numeric_limits<float>::min();

struct TLogChannel {
  double LogBase = std::log(2.0);  // natural logarithm of the base
  double Base = 2;
  double LogSlope = 1, LogOffset = 0, LinSlope = 1, LinOffset = 0;
  // The camera styles: inputs at or below the break (on the side the style reads) follow
  // the line LinearSlope * lin + LinearOffset.
  double LinBreak = 0, LogBreak = 0, LinearSlope = 1, LinearOffset = 0;

  double LinToLog(double lin) const {
    return LogSlope * std::log(std::max(kLogFloor, LinSlope * lin + LinOffset)) / LogBase +
           LogOffset;
  }
  double LogToLin(double log) const {
    return (std::pow(Base, (log - LogOffset) / LogSlope) - LinOffset) / LinSlope;
  }
  double CameraLinToLog(double lin) const {
    return lin <= LinBreak ? LinearSlope * lin + LinearOffset : LinToLog(lin);
  }
  double CameraLogToLin(double log) const {
    return log <= LogBreak ? (log - LinearOffset) / LinearSlope : LogToLin(log);
  }
};

TLogChannel MakeLogChannel(TLogStyle style, const TLogChannelParams& p) {
  TLogChannel c;
  c.Base = p.Base;
  c.LogBase = std::log(p.Base);
  c.LogSlope = p.LogSideSlope;
  c.LogOffset = p.LogSideOffset;
  c.LinSlope = p.LinSideSlope;
  c.LinOffset = p.LinSideOffset;
  const bool camera = style == TLogStyle::CameraLinToLog || style == TLogStyle::CameraLogToLin;
  const bool parametric = camera || style == TLogStyle::LinToLog || style == TLogStyle::LogToLin;
  if (parametric && (!(p.Base > 0) || p.Base == 1 || p.LogSideSlope == 0 || p.LinSideSlope == 0)) {
    throw ELUTError("Invalid Log parameters: base must be positive and not 1, slopes not 0.");
  }
  if (!camera) return c;
  if (!p.LinSideBreak) throw ELUTError("Invalid Log parameters: linSideBreak is missing.");
  c.LinBreak = *p.LinSideBreak;
  c.LogBreak = c.LinToLog(c.LinBreak);
  // Without a given slope, the line meets the log curve with the same tangent.
  c.LinearSlope = p.LinearSlope.value_or(c.LogSlope * c.LinSlope /
                                         ((c.LinSlope * c.LinBreak + c.LinOffset) * c.LogBase));
  if (c.LinearSlope == 0 || !std::isfinite(c.LinearSlope)) {
    throw ELUTError("Invalid Log parameters: the linear segment has no slope.");
  }
  c.LinearOffset = c.LogBreak - c.LinearSlope * c.LinBreak;
  return c;
}

class TLogOperator final : public TColourOperator {
 public:
  TLogOperator(TLogStyle style, const std::array<TLogChannelParams, 3>& params) : Style_(style) {
    for (std::size_t i = 0; i < 3; ++i) Channels_[i] = MakeLogChannel(style, params[i]);
  }
  TRGB Apply(const TRGB& in) const override {
    return {Map(in.R, Channels_[0]), Map(in.G, Channels_[1]), Map(in.B, Channels_[2])};
  }

 private:
  double Map(double v, const TLogChannel& c) const {
    switch (Style_) {
      case TLogStyle::Log10:
        return std::log10(std::max(kLogFloor, v));
      case TLogStyle::Log2:
        return std::log2(std::max(kLogFloor, v));
      case TLogStyle::AntiLog10:
        return std::pow(10.0, v);
      case TLogStyle::AntiLog2:
        return std::exp2(v);
      case TLogStyle::LinToLog:
        return c.LinToLog(v);
      case TLogStyle::LogToLin:
        return c.LogToLin(v);
      case TLogStyle::CameraLinToLog:
        return c.CameraLinToLog(v);
      case TLogStyle::CameraLogToLin:
        return c.CameraLogToLin(v);
    }
    return v;
  }

  TLogStyle Style_;
  std::array<TLogChannel, 3> Channels_;
};

// ---------------------------------------------------------------------------------------
// Exponent

enum class TNegatives { Clamp, Mirror, PassThrough, Linear };

// One channel of an exponent: the power (already inverted for the Rev styles) and, for the
// MonCurve styles, the segment below Break that is the line Slope * v.
struct TExponentChannel {
  double Power = 1;
  double Offset = 0;
  double Break = 0;
  double Slope = 1;
};

bool IsMonCurve(TExponentStyle s) {
  return s == TExponentStyle::MonCurveFwd || s == TExponentStyle::MonCurveRev ||
         s == TExponentStyle::MonCurveMirrorFwd || s == TExponentStyle::MonCurveMirrorRev;
}

bool IsReverse(TExponentStyle s) {
  return s == TExponentStyle::BasicRev || s == TExponentStyle::BasicMirrorRev ||
         s == TExponentStyle::BasicPassThruRev || s == TExponentStyle::MonCurveRev ||
         s == TExponentStyle::MonCurveMirrorRev;
}

TNegatives NegativesOf(TExponentStyle s) {
  switch (s) {
    case TExponentStyle::BasicMirrorFwd:
    case TExponentStyle::BasicMirrorRev:
    case TExponentStyle::MonCurveMirrorFwd:
    case TExponentStyle::MonCurveMirrorRev:
      return TNegatives::Mirror;
    case TExponentStyle::BasicPassThruFwd:
    case TExponentStyle::BasicPassThruRev:
      return TNegatives::PassThrough;
    case TExponentStyle::MonCurveFwd:
    case TExponentStyle::MonCurveRev:
      return TNegatives::Linear;
    default:
      return TNegatives::Clamp;
  }
}

// The MonCurve curve: forward, ((v + offset) / (1 + offset))^g above the break
// offset / (g - 1), the tangent line through 0 below it; reverse, the inverse of that.
// An offset of 0 leaves no line: the break is 0 and the slope there 0 (a reverse curve
// gives 0 below it).
TExponentChannel MakeMonCurveChannel(bool reverse, const TExponentChannelParams& p) {
  const double g = p.Exponent;
  const double k = p.Offset;
  if (!(g >= 1) || !(k >= 0)) {
    throw ELUTError(
        "Invalid Exponent parameters: a monCurve needs an exponent of at least 1 "
        "and an offset of at least 0.");
  }
  TExponentChannel c;
  c.Offset = k;
  if (g == 1) {  // the identity, whatever the offset
    c.Power = 1;
    c.Offset = 0;
    c.Slope = 1;
    c.Break = -std::numeric_limits<double>::infinity();
    return c;
  }
  const double linBreak = k / (g - 1);
  const double slope =
      k == 0 ? 0.0 : (g - 1) / k * std::pow(g * k / ((g - 1) * (1 + k)), g);  // value / break
  c.Power = reverse ? 1 / g : g;
  c.Break = reverse ? linBreak * slope : linBreak;
  c.Slope = reverse ? (slope == 0 ? 0.0 : 1 / slope) : slope;
  return c;
}

TExponentChannel MakeBasicChannel(bool reverse, const TExponentChannelParams& p) {
  if (!std::isfinite(p.Exponent) || (reverse && p.Exponent == 0)) {
    throw ELUTError("Invalid Exponent parameters: the exponent cannot be inverted.");
  }
  TExponentChannel c;
  c.Power = reverse ? 1 / p.Exponent : p.Exponent;
  return c;
}

class TExponentOperator final : public TColourOperator {
 public:
  TExponentOperator(TExponentStyle style, const std::array<TExponentChannelParams, 3>& params)
      : MonCurve_(IsMonCurve(style)), Reverse_(IsReverse(style)), Negatives_(NegativesOf(style)) {
    for (std::size_t i = 0; i < 3; ++i) {
      Channels_[i] = MonCurve_ ? MakeMonCurveChannel(Reverse_, params[i])
                               : MakeBasicChannel(Reverse_, params[i]);
    }
  }
  TRGB Apply(const TRGB& in) const override {
    return {Map(in.R, Channels_[0]), Map(in.G, Channels_[1]), Map(in.B, Channels_[2])};
  }

 private:
  double Map(double v, const TExponentChannel& c) const {
    if (v < 0) {
      switch (Negatives_) {
        case TNegatives::Clamp:
          return Curve(0.0, c);
        case TNegatives::Mirror:
          return -Curve(-v, c);
        case TNegatives::PassThrough:
          return v;
        case TNegatives::Linear:
          break;
      }
    }
    return Curve(v, c);
  }
  // The curve at v (v >= 0 except for the MonCurve styles' line).
  double Curve(double v, const TExponentChannel& c) const {
    if (!MonCurve_) return std::pow(v, c.Power);
    if (v < c.Break) return v * c.Slope;
    return Reverse_ ? (1 + c.Offset) * std::pow(v, c.Power) - c.Offset
                    : std::pow((v + c.Offset) / (1 + c.Offset), c.Power);
  }

  bool MonCurve_;
  bool Reverse_;
  TNegatives Negatives_;
  std::array<TExponentChannel, 3> Channels_;
};

// ---------------------------------------------------------------------------------------
// ASC CDL

constexpr double kLumaR = 0.2126, kLumaG = 0.7152, kLumaB = 0.0722;

double Clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}

TRGB Saturate(const TRGB& v, double saturation) {
  const double luma = kLumaR * v.R + kLumaG * v.G + kLumaB * v.B;
  return {luma + saturation * (v.R - luma), luma + saturation * (v.G - luma),
          luma + saturation * (v.B - luma)};
}

TRGB Clamp01(const TRGB& v) {
  return {Clamp01(v.R), Clamp01(v.G), Clamp01(v.B)};
}

// Powers of negative values: the clamping styles never meet them; the others pass them.
double PowerOrPass(double v, double power) {
  return v < 0 ? v : std::pow(v, power);
}

class TCdlOperator final : public TColourOperator {
 public:
  TCdlOperator(TCdlStyle style, const TRGB& slope, const TRGB& offset, const TRGB& power,
               double saturation)
      : Style_(style),
        Slope_(ToArray(slope)),
        Offset_(ToArray(offset)),
        Power_(ToArray(power)),
        Saturation_(saturation) {
    if (style == TCdlStyle::Rev || style == TCdlStyle::RevNoClamp) Invert();
  }
  TRGB Apply(const TRGB& in) const override {
    switch (Style_) {
      case TCdlStyle::Fwd:
        return Clamp01(Saturate(SlopeOffsetPower(in, true), Saturation_));
      case TCdlStyle::FwdNoClamp:
        return Saturate(SlopeOffsetPower(in, false), Saturation_);
      case TCdlStyle::Rev:
        return Clamp01(InversePowerOffsetSlope(Clamp01(Saturate(Clamp01(in), Saturation_))));
      case TCdlStyle::RevNoClamp:
        return InversePowerOffsetSlope(Saturate(in, Saturation_));
    }
    return in;
  }

 private:
  // The Rev styles keep the inverse power and saturation.
  void Invert() {
    for (double& p : Power_) {
      if (p == 0) throw ELUTError("Invalid ASC CDL: a power of 0 cannot be inverted.");
      p = 1 / p;
    }
    for (const double s : Slope_) {
      if (s == 0) throw ELUTError("Invalid ASC CDL: a slope of 0 cannot be inverted.");
    }
    if (Saturation_ == 0) throw ELUTError("Invalid ASC CDL: a saturation of 0 cannot be inverted.");
    Saturation_ = 1 / Saturation_;
  }
  TRGB SlopeOffsetPower(const TRGB& in, bool clamp) const {
    TChannelValues v = ToArray(in);
    for (std::size_t i = 0; i < 3; ++i) {
      const double sop = v[i] * Slope_[i] + Offset_[i];
      v[i] = clamp ? std::pow(Clamp01(sop), Power_[i]) : PowerOrPass(sop, Power_[i]);
    }
    return ToRGB(v);
  }
  TRGB InversePowerOffsetSlope(const TRGB& in) const {
    TChannelValues v = ToArray(in);
    for (std::size_t i = 0; i < 3; ++i)
      v[i] = (PowerOrPass(v[i], Power_[i]) - Offset_[i]) / Slope_[i];
    return ToRGB(v);
  }

  TCdlStyle Style_;
  TChannelValues Slope_, Offset_, Power_;
  double Saturation_;
};

// ---------------------------------------------------------------------------------------
// Tables and grids

class TLutOperator final : public TColourOperator {
 public:
  explicit TLutOperator(std::shared_ptr<const TLUT> lut) : Lut_(std::move(lut)) {}
  TRGB Apply(const TRGB& in) const override { return Lut_->Evaluate(in); }

 private:
  std::shared_ptr<const TLUT> Lut_;
};

TRGB operator+(const TRGB& a, const TRGB& b) {
  return {a.R + b.R, a.G + b.G, a.B + b.B};
}
TRGB operator-(const TRGB& a, const TRGB& b) {
  return {a.R - b.R, a.G - b.G, a.B - b.B};
}
TRGB operator*(double f, const TRGB& a) {
  return {f * a.R, f * a.G, f * a.B};
}

// The lower node of the cell that holds coordinate t (0 to 1, NaN as 0) of a grid of n
// nodes, and t's place inside that cell.
int CellOf(double t, int n, double& fraction) {
  const double scaled = (t > 0 ? std::min(t, 1.0) : 0.0) * (n - 1);
  const int low = std::min(static_cast<int>(scaled), n - 2);
  fraction = scaled - low;
  return low;
}

// A record whose grid is read by splitting each cell into six tetrahedra along its main
// diagonal: the one holding the input blends four nodes.
class TTetrahedralLutOperator final : public TColourOperator {
 public:
  explicit TTetrahedralLutOperator(std::shared_ptr<const TLUT> lut) : Lut_(std::move(lut)) {}
  TRGB Apply(const TRGB& in) const override {
    const TLUT& lut = *Lut_;
    const TRGB t = lut.GridDomain.ToUnit(lut.HasTable() ? lut.Evaluate1D(in) : in);
    const int n = lut.Size3D;
    double fr = 0, fg = 0, fb = 0;
    const int r = CellOf(t.R, n, fr), g = CellOf(t.G, n, fg), b = CellOf(t.B, n, fb);
    const auto node = [&](int dr, int dg, int db) { return lut.GetNode(r + dr, g + dg, b + db); };
    const TRGB c000 = node(0, 0, 0), c111 = node(1, 1, 1);
    if (fr > fg) {
      if (fg > fb) return Blend(c000, node(1, 0, 0), node(1, 1, 0), c111, fr, fg, fb);
      if (fr > fb) return Blend(c000, node(1, 0, 0), node(1, 0, 1), c111, fr, fb, fg);
      return Blend(c000, node(0, 0, 1), node(1, 0, 1), c111, fb, fr, fg);
    }
    if (fb > fg) return Blend(c000, node(0, 0, 1), node(0, 1, 1), c111, fb, fg, fr);
    if (fb > fr) return Blend(c000, node(0, 1, 0), node(0, 1, 1), c111, fg, fb, fr);
    return Blend(c000, node(0, 1, 0), node(1, 1, 0), c111, fg, fr, fb);
  }

 private:
  // The walk from the first corner to the last along three edges, the largest fraction first.
  static TRGB Blend(const TRGB& c0, const TRGB& c1, const TRGB& c2, const TRGB& c3, double f1,
                    double f2, double f3) {
    return c0 + f1 * (c1 - c0) + f2 * (c2 - c1) + f3 * (c3 - c2);
  }

  std::shared_ptr<const TLUT> Lut_;
};

// One channel of a monotonic table, stored rising (a falling table negated, inputs and
// outputs alike), with its inputs spread evenly from Low to High.
class TInverseChannel {
 public:
  TInverseChannel(std::vector<double> values, double low, double high)
      : Values_(std::move(values)), Low_(low), Step_((high - low) / double(Values_.size() - 1)) {
    Falling_ = Values_.back() < Values_.front();
    if (Falling_) {
      for (double& v : Values_) v = -v;
    }
    if (!std::is_sorted(Values_.begin(), Values_.end()) ||
        std::any_of(Values_.begin(), Values_.end(), [](double v) { return !std::isfinite(v); })) {
      throw ELUTError("The table cannot be inverted: its values are not monotonic.");
    }
    // The table starts to move after its first flat run.
    const auto firstRunEnd = std::upper_bound(Values_.begin(), Values_.end(), Values_.front());
    StartIndex_ = static_cast<std::size_t>(firstRunEnd - Values_.begin()) - 1;
  }

  double Map(double y) const {
    if (Falling_) y = -y;
    if (!(y > Values_.front())) return InputAt(double(StartIndex_));  // NaN too
    if (y >= Values_.back()) {
      return InputAt(double(std::lower_bound(Values_.begin(), Values_.end(), Values_.back()) -
                            Values_.begin()));
    }
    const auto above = std::lower_bound(Values_.begin(), Values_.end(), y);
    const auto j = static_cast<std::size_t>(above - Values_.begin());
    if (*above == y) return InputAt(double(j));
    const double below = Values_[j - 1];
    return InputAt(double(j - 1) + (y - below) / (*above - below));
  }

 private:
  double InputAt(double index) const { return Low_ + Step_ * index; }

  std::vector<double> Values_;
  double Low_;
  double Step_;
  bool Falling_ = false;
  std::size_t StartIndex_ = 0;
};

class TInverseTableOperator final : public TColourOperator {
 public:
  explicit TInverseTableOperator(const TLUT& table)
      : Channels_{MakeChannel(table, 0), MakeChannel(table, 1), MakeChannel(table, 2)} {}
  TRGB Apply(const TRGB& in) const override {
    return {Channels_[0].Map(in.R), Channels_[1].Map(in.G), Channels_[2].Map(in.B)};
  }

 private:
  static TInverseChannel MakeChannel(const TLUT& table, std::size_t channel) {
    const int n = table.Size1D;
    std::vector<double> values(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) values[static_cast<std::size_t>(i)] = table.Entry(i)[channel];
    const TChannelValues low = ToArray(table.TableDomain.Min);
    const TChannelValues high = ToArray(table.TableDomain.Max);
    return TInverseChannel(std::move(values), low[channel], high[channel]);
  }

  std::array<TInverseChannel, 3> Channels_;
};

}  // namespace

TColourOperatorPtr MakeMatrixOperator(const TMatrixParams& params) {
  return std::make_unique<TMatrixOperator>(params);
}

TColourOperatorPtr MakeRangeOperator(const TRangeParams& p) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const bool hasMin = p.MinIn && p.MinOut;
  const bool hasMax = p.MaxIn && p.MaxOut;
  if (p.MinIn.has_value() != p.MinOut.has_value()) {
    RaiseRange("minInValue and minOutValue must be given together.");
  }
  if (p.MaxIn.has_value() != p.MaxOut.has_value()) {
    RaiseRange("maxInValue and maxOutValue must be given together.");
  }
  if (!hasMin && !hasMax) RaiseRange("neither the minimum nor the maximum values are given.");
  if (!p.Clamp && !(hasMin && hasMax)) {
    RaiseRange("the noClamp style needs both the minimum and the maximum values.");
  }
  if (hasMin && hasMax) {
    if (*p.MaxIn == *p.MinIn) RaiseRange("maxInValue equals minInValue.");
    const double scale = (*p.MaxOut - *p.MinOut) / (*p.MaxIn - *p.MinIn);
    const double shift = *p.MinOut - *p.MinIn * scale;
    const double low = p.Clamp ? std::min(*p.MinOut, *p.MaxOut) : -kInf;
    const double high = p.Clamp ? std::max(*p.MinOut, *p.MaxOut) : kInf;
    return std::make_unique<TRangeOperator>(scale, shift, low, high);
  }
  if (hasMin) return std::make_unique<TRangeOperator>(1.0, *p.MinOut - *p.MinIn, *p.MinOut, kInf);
  return std::make_unique<TRangeOperator>(1.0, *p.MaxOut - *p.MaxIn, -kInf, *p.MaxOut);
}

TColourOperatorPtr MakeLogOperator(TLogStyle style,
                                   const std::array<TLogChannelParams, 3>& channels) {
  return std::make_unique<TLogOperator>(style, channels);
}

TLogChannelParams LogParamsFromCineon(const TCineonLogParams& c) {
  constexpr double kTopCode = 1023, kDensityPerCode = 0.002;
  if (c.Gamma == 0 || c.RefWhite == c.RefBlack || c.Highlight == c.Shadow) {
    throw ELUTError(
        "Invalid Log parameters: gamma is 0, or refWhite equals refBlack, or "
        "highlight equals shadow.");
  }
  // logToLin: ((10^((code - refWhite) * 0.002 / gamma) - black) / (1 - black)) scaled onto
  // [shadow, highlight], where black is that power at refBlack.
  const double black = std::pow(10.0, (c.RefBlack - c.RefWhite) * kDensityPerCode / c.Gamma);
  TLogChannelParams p;
  p.Base = 10;
  p.LogSideSlope = c.Gamma / (kDensityPerCode * kTopCode);
  p.LogSideOffset = c.RefWhite / kTopCode;
  p.LinSideSlope = (1 - black) / (c.Highlight - c.Shadow);
  p.LinSideOffset = black - c.Shadow * p.LinSideSlope;
  return p;
}

TColourOperatorPtr MakeExponentOperator(TExponentStyle style,
                                        const std::array<TExponentChannelParams, 3>& channels) {
  return std::make_unique<TExponentOperator>(style, channels);
}

TColourOperatorPtr MakeCdlOperator(TCdlStyle style, const TRGB& slope, const TRGB& offset,
                                   const TRGB& power, double saturation) {
  return std::make_unique<TCdlOperator>(style, slope, offset, power, saturation);
}

TColourOperatorPtr MakeLutOperator(std::shared_ptr<const TLUT> lut,
                                   TGridInterpolation interpolation) {
  const bool holdsValues = lut && lut->Kind != lkNone && lut->SizesWithinCapacity() &&
                           (!lut->HasTable() || lut->Size1D >= 2) &&
                           (!lut->HasGrid() || lut->Size3D >= 2);
  if (!holdsValues) throw ELUTError("A LUT step holds no table or grid of at least 2 entries.");
  if (interpolation == TGridInterpolation::Tetrahedral && lut->HasGrid()) {
    return std::make_unique<TTetrahedralLutOperator>(std::move(lut));
  }
  return std::make_unique<TLutOperator>(std::move(lut));
}

TColourOperatorPtr MakeInverseTableOperator(std::shared_ptr<const TLUT> table) {
  if (!table || table->Kind != lk1D || table->Size1D < 2 || table->Size1D > TLUT::MaxTableEntries) {
    throw ELUTError("Only a 1D table of at least 2 entries can be inverted.");
  }
  return std::make_unique<TInverseTableOperator>(*table);
}

TRGB ApplyChain(const TOperatorChain& chain, TRGB value) {
  for (const TColourOperatorPtr& op : chain) value = op->Apply(value);
  return value;
}

void SampleChainOntoGrid(const TOperatorChain& chain, int size, TLUT& lut) {
  if (size < 2 || size > TLUT::MaxGridNodes) {
    throw ELUTError("A grid of " + std::to_string(size) + " nodes per axis cannot be sampled.");
  }
  lut.Kind = lk3D;
  lut.Size3D = size;
  lut.Size1D = 0;
  lut.GridDomain = TLutDomain{};
  lut.ReserveGrid(size);
  lut.Node(size - 1, size - 1, size - 1);  // the whole box counts as stored: no growth below
  const double step = 1.0 / (size - 1);
  // Each red plane is one task; storing inside the stored box leaves the record's layout
  // alone, so the planes are written at once without locks.
  RunForEachIndex(static_cast<std::size_t>(size), 0, [&](std::size_t plane) {
    const int r = static_cast<int>(plane);
    for (int g = 0; g < size; ++g) {
      double* node = lut.Node(r, g, 0);
      for (int b = 0; b < size; ++b, node += TLutView::StrideB) {
        const TRGB out = ApplyChain(chain, {r * step, g * step, b * step});
        node[0] = out.R;
        node[1] = out.G;
        node[2] = out.B;
      }
    }
  });
}

std::optional<TLogStyle> ParseLogStyle(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, TLogStyle>, 8> kNames{{
      {"log10", TLogStyle::Log10},
      {"log2", TLogStyle::Log2},
      {"antiLog10", TLogStyle::AntiLog10},
      {"antiLog2", TLogStyle::AntiLog2},
      {"linToLog", TLogStyle::LinToLog},
      {"logToLin", TLogStyle::LogToLin},
      {"cameraLinToLog", TLogStyle::CameraLinToLog},
      {"cameraLogToLin", TLogStyle::CameraLogToLin},
  }};
  return FindStyle(name, kNames);
}

std::optional<TExponentStyle> ParseExponentStyle(std::string_view name) {
  // The Color Transform Format spells "moncurve" with a small c; names match without case.
  static constexpr std::array<std::pair<std::string_view, TExponentStyle>, 10> kNames{{
      {"basicFwd", TExponentStyle::BasicFwd},
      {"basicRev", TExponentStyle::BasicRev},
      {"basicMirrorFwd", TExponentStyle::BasicMirrorFwd},
      {"basicMirrorRev", TExponentStyle::BasicMirrorRev},
      {"basicPassThruFwd", TExponentStyle::BasicPassThruFwd},
      {"basicPassThruRev", TExponentStyle::BasicPassThruRev},
      {"monCurveFwd", TExponentStyle::MonCurveFwd},
      {"monCurveRev", TExponentStyle::MonCurveRev},
      {"monCurveMirrorFwd", TExponentStyle::MonCurveMirrorFwd},
      {"monCurveMirrorRev", TExponentStyle::MonCurveMirrorRev},
  }};
  return FindStyle(name, kNames);
}

std::optional<TCdlStyle> ParseCdlStyle(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, TCdlStyle>, 8> kNames{{
      {"Fwd", TCdlStyle::Fwd},
      {"Rev", TCdlStyle::Rev},
      {"FwdNoClamp", TCdlStyle::FwdNoClamp},
      {"RevNoClamp", TCdlStyle::RevNoClamp},
      {"v1.2_Fwd", TCdlStyle::Fwd},
      {"v1.2_Rev", TCdlStyle::Rev},
      {"noClampFwd", TCdlStyle::FwdNoClamp},
      {"noClampRev", TCdlStyle::RevNoClamp},
  }};
  return FindStyle(name, kNames);
}

std::optional<bool> ParseRangeClamp(std::string_view name) {
  if (EqualsIgnoringCase(name, "Clamp")) return true;
  if (EqualsIgnoringCase(name, "noClamp")) return false;
  return std::nullopt;
}

std::optional<TGridInterpolation> ParseGridInterpolation(std::string_view name) {
  if (EqualsIgnoringCase(name, "trilinear")) return TGridInterpolation::Trilinear;
  if (EqualsIgnoringCase(name, "tetrahedral")) return TGridInterpolation::Tetrahedral;
  return std::nullopt;
}

}  // namespace vorn
