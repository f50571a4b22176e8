#include "core/LUT.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/Convert.h"

namespace vorn {

namespace {

// Lower node index, upper node index and the weight of the upper one for coordinate t on
// an axis of n nodes. t is clamped to [0, 1] (NaN as 0); the upper index never passes the
// last valid node, which at t = 1 is the lower node itself with weight 0.
struct AxisSplit {
  int Lower;
  int Upper;
  double Fraction;
};

AxisSplit SplitCoordinate(double t, int n) {
  if (!(t > 0.0)) t = 0.0;  // NaN too
  if (t > 1.0) t = 1.0;
  const int last = n > 1 ? n - 1 : 0;
  double d = last * t;
  int lower = static_cast<int>(d);
  if (lower > last) lower = last;
  double fraction = d - lower;
  int upper = lower < last ? lower + 1 : lower;
  return {lower, upper, fraction};
}

double Clamp01(double v) {
  if (!(v > 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

std::uint16_t ToCode(double v, int bits) {
  double top = std::ldexp(1.0, bits) - 1.0;
  return static_cast<std::uint16_t>(RoundHalfEven(Clamp01(v) * top));
}

}  // namespace

TLUT::TLUT() : Storage_(AllocateZeroedBlock((GridReals + TableReals) * sizeof(double))) {}

TRGB TLUT::Evaluate1D(const TRGB& in) const {
  const double* table = Table();
  auto curve = [&](double t, int channel) {
    AxisSplit s = SplitCoordinate(t, Size1D);
    return (1.0 - s.Fraction) * table[s.Lower * 3 + channel] +
           s.Fraction * table[s.Upper * 3 + channel];
  };
  return {curve(in.R, 0), curve(in.G, 1), curve(in.B, 2)};
}

TRGB TLUT::Evaluate3D(const TRGB& in) const {
  const AxisSplit r = SplitCoordinate(in.R, Size3D);
  const AxisSplit g = SplitCoordinate(in.G, Size3D);
  const AxisSplit b = SplitCoordinate(in.B, Size3D);
  const double* grid = Grid();
  const double* n00 = grid + r.Lower * StrideR + g.Lower * StrideG;
  const double* n01 = grid + r.Lower * StrideR + g.Upper * StrideG;
  const double* n10 = grid + r.Upper * StrideR + g.Lower * StrideG;
  const double* n11 = grid + r.Upper * StrideR + g.Upper * StrideG;
  const std::size_t k0 = b.Lower * StrideB;
  const std::size_t k1 = b.Upper * StrideB;
  const double fb = b.Fraction;
  const double fg = g.Fraction;
  const double fr = r.Fraction;
  double out[3];
  for (int q = 0; q < 3; ++q) {
    double c00 = (1.0 - fb) * n00[k0 + q] + fb * n00[k1 + q];
    double c01 = (1.0 - fb) * n01[k0 + q] + fb * n01[k1 + q];
    double c10 = (1.0 - fb) * n10[k0 + q] + fb * n10[k1 + q];
    double c11 = (1.0 - fb) * n11[k0 + q] + fb * n11[k1 + q];
    double c0 = (1.0 - fg) * c00 + fg * c01;
    double c1 = (1.0 - fg) * c10 + fg * c11;
    out[q] = (1.0 - fr) * c0 + fr * c1;
  }
  return {out[0], out[1], out[2]};
}

TRGB TLUT::Evaluate(const TRGB& in) const {
  switch (Kind) {
    case lk1D:
      return Evaluate1D(in);
    case lk3D:
      return Evaluate3D(in);
    case lk1DAnd3D:
      return Evaluate3D(Evaluate1D(in));
    case lkNone:
      break;
  }
  return in;
}

void TLUT::EvaluatePixel(const TLutPixel& in, TLutPixel& out) const {
  const double inTop = std::ldexp(1.0, in.Bits) - 1.0;
  TRGB result = Evaluate({in.R / inTop, in.G / inTop, in.B / inTop});
  out.R = ToCode(result.R, out.Bits);
  out.G = ToCode(result.G, out.Bits);
  out.B = ToCode(result.B, out.Bits);
}

void TLUT::ApplyToBitmap(TBitmap24& bitmap) const {
  TLutPixel in;
  TLutPixel out;
  in.Bits = 8;
  out.Bits = 8;
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
      in.B = p[0];
      in.G = p[1];
      in.R = p[2];
      EvaluatePixel(in, out);
      p[0] = static_cast<std::uint8_t>(out.B);
      p[1] = static_cast<std::uint8_t>(out.G);
      p[2] = static_cast<std::uint8_t>(out.R);
    }
  }
}

void TLUT::ResampleFrom(const TLUT& source) {
  Comments = source.Comments;
  if (Kind == lk3D && source.Kind == lk3D && Size3D == source.Size3D) {
    const int n = std::min(Size3D, MaxGridNodes);
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        std::copy_n(source.Node(i, j, 0), n * StrideB, Node(i, j, 0));
      }
    }
    return;
  }
  if (Kind == lk1D && source.Kind == lk1D && Size1D == source.Size1D) {
    std::copy_n(source.Table(),
                static_cast<std::size_t>(std::clamp(Size1D, 0, MaxTableEntries)) * 3, Table());
    return;
  }
  if (Kind == lk3D) {
    const int n = std::min(Size3D, MaxGridNodes);
    double coordinate[MaxGridNodes];
    for (int i = 0; i < n; ++i) coordinate[i] = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) {
          SetNode(i, j, k, source.Evaluate({coordinate[i], coordinate[j], coordinate[k]}));
        }
      }
    }
  } else if (Kind == lk1D) {
    const int n = std::min(Size1D, MaxTableEntries);
    for (int i = 0; i < n; ++i) {
      double x = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
      SetEntry(i, source.Evaluate({x, x, x}));
    }
  }
}

std::vector<std::string> LutInformationLines(const TLUT& lut) {
  std::vector<std::string> lines;
  switch (lut.Kind) {
    case lk1D:
      lines = {"Type: 1D", "Dimension: " + IntToStr(lut.Size1D)};
      break;
    case lk3D:
      lines = {"Type: 3D", "Dimension: " + IntToStr(lut.Size3D)};
      break;
    case lk1DAnd3D:
      lines = {"Type: 1D & 3D",
               "Dimension: " + IntToStr(lut.Size1D) + " & " + IntToStr(lut.Size3D)};
      break;
    case lkNone:
    default:
      lines = {"No LUT data."};
      break;
  }
  lines.insert(lines.end(), lut.Comments.begin(), lut.Comments.end());
  return lines;
}

}  // namespace vorn
