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

// Trilinear interpolation between the eight nodes around the split coordinates: along blue
// first, then green, then red, which fixes the rounding of the result.
inline TRGB Interpolate3D(const double* grid, const AxisSplit& r, const AxisSplit& g,
                          const AxisSplit& b) {
  const std::size_t stepR = TLUT::StrideR;
  const std::size_t stepG = TLUT::StrideG;
  const double* n00 = grid + r.Lower * stepR + g.Lower * stepG;
  const double* n01 = grid + r.Lower * stepR + g.Upper * stepG;
  const double* n10 = grid + r.Upper * stepR + g.Lower * stepG;
  const double* n11 = grid + r.Upper * stepR + g.Upper * stepG;
  const std::size_t k0 = b.Lower * TLUT::StrideB;
  const std::size_t k1 = b.Upper * TLUT::StrideB;
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

double Clamp01(double v) {
  if (!(v > 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

// ToCode at 8 bits, without a library call: adding and taking away 1.5 * 2^52 rounds a
// value in [0, 255] to the nearest integer with halves to even.
inline std::uint8_t ToByte(double v) {
  constexpr double kRounder = 6755399441055744.0;
  return static_cast<std::uint8_t>((Clamp01(v) * 255.0 + kRounder) - kRounder);
}

// Calls visit with every pixel (three bytes: blue, green, red), row by row.
template <class Visit>
void ForEachPixel(TBitmap24& bitmap, Visit&& visit) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* p = bitmap.ScanLine(y);
    std::uint8_t* const end = p + bitmap.Stride();
    for (; p != end; p += 3) visit(p);
  }
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
  return Interpolate3D(Grid(), SplitCoordinate(in.R, Size3D), SplitCoordinate(in.G, Size3D),
                       SplitCoordinate(in.B, Size3D));
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
  // Every pixel is EvaluatePixel at 8 bits in and out. With 8-bit inputs all that depends
  // on one channel's code alone is computed once per code: the whole result of a 1D table,
  // or the split of the coordinate that enters the grid.
  constexpr int kCodes = 256;
  const double top = 255.0;
  if (Kind == lk1D || Kind == lkNone) {
    std::uint8_t out[3][kCodes];
    for (int code = 0; code < kCodes; ++code) {
      const double x = code / top;
      const TRGB v = Evaluate({x, x, x});
      out[0][code] = ToByte(v.R);
      out[1][code] = ToByte(v.G);
      out[2][code] = ToByte(v.B);
    }
    ForEachPixel(bitmap, [&](std::uint8_t* p) {
      p[0] = out[2][p[0]];
      p[1] = out[1][p[1]];
      p[2] = out[0][p[2]];
    });
    return;
  }
  AxisSplit split[3][kCodes];
  for (int code = 0; code < kCodes; ++code) {
    const double x = code / top;
    const TRGB v = Kind == lk1DAnd3D ? Evaluate1D({x, x, x}) : TRGB{x, x, x};
    split[0][code] = SplitCoordinate(v.R, Size3D);
    split[1][code] = SplitCoordinate(v.G, Size3D);
    split[2][code] = SplitCoordinate(v.B, Size3D);
  }
  // Pictures repeat colours: the last result for each slot of a small table of colours
  // is kept, so a repeated colour costs a lookup instead of an interpolation.
  struct TCached {
    std::uint32_t Colour = 0xFFFFFFFF;  // blue, green, red bytes; never a real colour
    std::uint8_t Mapped[3] = {};
  };
  constexpr int kCacheBits = 16;
  std::vector<TCached> cache(std::size_t{1} << kCacheBits);
  const double* grid = Grid();
  ForEachPixel(bitmap, [&](std::uint8_t* p) {
    const std::uint32_t colour = p[0] | p[1] << 8 | p[2] << 16;
    TCached& slot = cache[(colour * 2654435761u) >> (32 - kCacheBits)];
    if (slot.Colour != colour) {
      const TRGB v = Interpolate3D(grid, split[0][p[2]], split[1][p[1]], split[2][p[0]]);
      slot = {colour, {ToByte(v.B), ToByte(v.G), ToByte(v.R)}};
    }
    p[0] = slot.Mapped[0];
    p[1] = slot.Mapped[1];
    p[2] = slot.Mapped[2];
  });
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
