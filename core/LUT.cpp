#include "core/LUT.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/Convert.h"
#include "platform/WorkerPool.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
// first, then green, then red, which fixes the rounding of the result. nodes(r, g, b) gives
// the three reals of a node.
template <class Nodes>
inline TRGB Interpolate3D(const Nodes& nodes, const AxisSplit& r, const AxisSplit& g,
                          const AxisSplit& b) {
  const double* n000 = nodes(r.Lower, g.Lower, b.Lower);
  const double* n001 = nodes(r.Lower, g.Lower, b.Upper);
  const double* n010 = nodes(r.Lower, g.Upper, b.Lower);
  const double* n011 = nodes(r.Lower, g.Upper, b.Upper);
  const double* n100 = nodes(r.Upper, g.Lower, b.Lower);
  const double* n101 = nodes(r.Upper, g.Lower, b.Upper);
  const double* n110 = nodes(r.Upper, g.Upper, b.Lower);
  const double* n111 = nodes(r.Upper, g.Upper, b.Upper);
  const double fb = b.Fraction;
  const double fg = g.Fraction;
  const double fr = r.Fraction;
  double out[3];
  for (int q = 0; q < 3; ++q) {
    double c00 = (1.0 - fb) * n000[q] + fb * n001[q];
    double c01 = (1.0 - fb) * n010[q] + fb * n011[q];
    double c10 = (1.0 - fb) * n100[q] + fb * n101[q];
    double c11 = (1.0 - fb) * n110[q] + fb * n111[q];
    double c0 = (1.0 - fg) * c00 + fg * c01;
    double c1 = (1.0 - fg) * c10 + fg * c11;
    out[q] = (1.0 - fr) * c0 + fr * c1;
  }
  return {out[0], out[1], out[2]};
}

// Node access for Interpolate3D: straight through the strides when the storage is known to
// cover every index, through the record's checked reads (0.0 beyond the storage) otherwise.
struct TStridedNodes {
  const double* Data;
  std::size_t StrideR;
  std::size_t StrideG;
  const double* operator()(int r, int g, int b) const {
    return Data + r * StrideR + g * StrideG + b * TLutView::StrideB;
  }
};

struct TCheckedNodes {
  const TLUT& Lut;
  const double* operator()(int r, int g, int b) const { return Lut.Node(r, g, b); }
};

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

std::uint16_t ToCode(double v, int bits) {
  double top = std::ldexp(1.0, bits) - 1.0;
  return static_cast<std::uint16_t>(RoundHalfEven(Clamp01(v) * top));
}

}  // namespace

// ---- Storage ------------------------------------------------------------------------------

TLUT::TGrid& TLUT::TGrid::operator=(TGrid&& other) noexcept {
  Reals = std::move(other.Reals);
  Nodes = std::exchange(other.Nodes, 0);
  StrideR = std::exchange(other.StrideR, 0);
  StrideG = std::exchange(other.StrideG, 0);
  StoredR = std::exchange(other.StoredR, -1);
  StoredG = std::exchange(other.StoredG, -1);
  StoredB = std::exchange(other.StoredB, -1);
  Provisional = std::exchange(other.Provisional, false);
  return *this;
}

namespace {

std::size_t GridReals(int nodes) {
  const auto n = static_cast<std::size_t>(nodes);
  return n * n * n * 3;
}

// Copies the box of nodes [0, r] x [0, g] x [0, b] into a layout of other strides.
void CopyNodeBox(const TStridedNodes& from, double* to, std::size_t toStrideR,
                 std::size_t toStrideG, int r, int g, int b) {
  const std::size_t rowReals = static_cast<std::size_t>(b + 1) * TLutView::StrideB;
  for (int i = 0; i <= r; ++i) {
    for (int j = 0; j <= g; ++j) {
      std::copy_n(from(i, j, 0), rowReals, to + i * toStrideR + j * toStrideG);
    }
  }
}

}  // namespace

void TLUT::LayOutGrid(int nodes, bool hugePages) {
  TGrid grown;
  grown.Reals = TZeroedReals(GridReals(nodes), hugePages);
  grown.Nodes = nodes;
  grown.StrideG = static_cast<std::size_t>(nodes) * TLutView::StrideB;
  grown.StrideR = static_cast<std::size_t>(nodes) * grown.StrideG;
  grown.StoredR = Grid_.StoredR;
  grown.StoredG = Grid_.StoredG;
  grown.StoredB = Grid_.StoredB;
  CopyNodeBox({Grid_.Reals.Data(), Grid_.StrideR, Grid_.StrideG}, grown.Reals.Data(), grown.StrideR,
              grown.StrideG, Grid_.StoredR, Grid_.StoredG, Grid_.StoredB);
  Grid_ = std::move(grown);
}

void TLUT::ResizeTable(int entries, bool hugePages) {
  TZeroedReals grown(static_cast<std::size_t>(entries) * 3, hugePages);
  std::copy_n(Table_.Data(), Table_.Count(), grown.Data());
  Table_ = std::move(grown);
}

void TLUT::ReserveGrid(int nodes) {
  nodes = std::min(nodes, MaxGridNodes);
  if (nodes <= Grid_.Nodes) return;
  LayOutGrid(nodes, true);
  Grid_.Provisional = false;
}

void TLUT::ReserveTable(int entries) {
  entries = std::min(entries, MaxTableEntries);
  if (entries > TableEntries()) ResizeTable(entries, true);
}

namespace {

// The first layout of a grid that grows on demand: a few system pages whose nodes are
// touched only where stored, and fewer growths for every grid size.
constexpr int kFirstGrownNodes = 16;
constexpr int kFirstGrownEntries = 1024;

}  // namespace

void TLUT::NoteStoredNode(int r, int g, int b) {
  if (std::min({r, g, b}) < 0 || std::max({r, g, b}) >= MaxGridNodes) {
    throw std::out_of_range("Grid node (" + std::to_string(r) + ", " + std::to_string(g) + ", " +
                            std::to_string(b) + ") lies outside the record.");
  }
  const int needed = std::max({r, g, b}) + 1;
  const int boxR = std::max(Grid_.StoredR, r);
  const int boxG = std::max(Grid_.StoredG, g);
  const int boxB = std::max(Grid_.StoredB, b);
  // Files store their nodes in order: the fastest axis first, so the stored box is one line
  // of nodes until the first line is complete. That line's length is the grid's size.
  const bool onOneLine = (boxR > 0) + (boxG > 0) + (boxB > 0) <= 1;
  const int extent = std::max({boxR, boxG, boxB}) + 1;
  if (needed > Grid_.Nodes) {
    if (Size3D >= needed && Size3D <= MaxGridNodes) {
      LayOutGrid(Size3D, false);
      Grid_.Provisional = false;
    } else if (onOneLine) {
      LayOutGrid(std::min(MaxGridNodes, std::max({needed, 2 * Grid_.Nodes, kFirstGrownNodes})),
                 false);
      Grid_.Provisional = true;
    } else {
      LayOutGrid(extent, false);
      Grid_.Provisional = false;
    }
  } else if (Grid_.Provisional && !onOneLine) {
    if (extent < Grid_.Nodes) LayOutGrid(extent, false);
    Grid_.Provisional = false;
  }
  Grid_.StoredR = boxR;
  Grid_.StoredG = boxG;
  Grid_.StoredB = boxB;
}

void TLUT::NoteStoredEntry(int i) {
  if (i < 0 || i >= MaxTableEntries) {
    throw std::out_of_range("Table entry " + std::to_string(i) + " lies outside the record.");
  }
  if (Size1D > i && Size1D <= MaxTableEntries) {
    ResizeTable(Size1D, false);
  } else {
    // Tables whose length is the count of their lines, or not yet known, grow by doubling.
    ResizeTable(
        std::min(MaxTableEntries, std::max({i + 1, 2 * TableEntries(), kFirstGrownEntries})),
        false);
  }
}

TLutView TLUT::GridView(int nodes) const {
  nodes = std::clamp(nodes, 0, MaxGridNodes);
  TLutView view;
  if (nodes <= Grid_.Nodes) {
    view.Data_ = Grid_.Reals.Data();
    view.StrideR_ = Grid_.StrideR;
    view.StrideG_ = Grid_.StrideG;
    return view;
  }
  view.Copy_ = TZeroedReals(GridReals(nodes), false);
  view.Data_ = view.Copy_.Data();
  view.StrideG_ = static_cast<std::size_t>(nodes) * TLutView::StrideB;
  view.StrideR_ = static_cast<std::size_t>(nodes) * view.StrideG_;
  CopyNodeBox({Grid_.Reals.Data(), Grid_.StrideR, Grid_.StrideG}, view.Copy_.Data(), view.StrideR_,
              view.StrideG_, Grid_.StoredR, Grid_.StoredG, Grid_.StoredB);
  return view;
}

TLutView TLUT::TableView(int entries) const {
  entries = std::clamp(entries, 0, MaxTableEntries);
  TLutView view;
  if (entries <= TableEntries()) {
    view.Data_ = Table_.Data();
    return view;
  }
  view.Copy_ = TZeroedReals(static_cast<std::size_t>(entries) * 3, false);
  std::copy_n(Table_.Data(), Table_.Count(), view.Copy_.Data());
  view.Data_ = view.Copy_.Data();
  return view;
}

// ---- Evaluation -----------------------------------------------------------------------------

bool TLutDomain::IsUniform() const {
  return Min.R == Min.G && Min.R == Min.B && Max.R == Max.G && Max.R == Max.B;
}

TRGB TLUT::Evaluate1D(const TRGB& input) const {
  const TRGB in = TableDomain.ToUnit(input);
  auto curve = [&](double t, int channel, auto&& entry) {
    AxisSplit s = SplitCoordinate(t, Size1D);
    return (1.0 - s.Fraction) * entry(s.Lower)[channel] + s.Fraction * entry(s.Upper)[channel];
  };
  auto evaluate = [&](auto&& entry) {
    return TRGB{curve(in.R, 0, entry), curve(in.G, 1, entry), curve(in.B, 2, entry)};
  };
  if (TableCovers(Size1D)) {
    const double* table = Table_.Data();
    return evaluate([table](int i) { return table + static_cast<std::size_t>(i) * 3; });
  }
  return evaluate([this](int i) { return Entry(i); });
}

TRGB TLUT::Evaluate3D(const TRGB& input) const {
  const TRGB in = GridDomain.ToUnit(input);
  const AxisSplit r = SplitCoordinate(in.R, Size3D);
  const AxisSplit g = SplitCoordinate(in.G, Size3D);
  const AxisSplit b = SplitCoordinate(in.B, Size3D);
  if (GridCovers(Size3D)) {
    return Interpolate3D(TStridedNodes{Grid_.Reals.Data(), Grid_.StrideR, Grid_.StrideG}, r, g, b);
  }
  return Interpolate3D(TCheckedNodes{*this}, r, g, b);
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

namespace {

constexpr int kCodes = 256;

// Rows of a bitmap handed to the cores in bands of at least kBandPixels pixels (a small
// picture stays on the calling thread), a few bands per core so that a core slowed by other
// work holds up little. mapRows(first, end) maps rows [first, end) and is called
// concurrently for disjoint bands. With progress the bands are smaller (up to
// kProgressBands) and the calling thread reports the rows of every band finished so far
// each time it finishes one of its own.
constexpr std::size_t kBandPixels = std::size_t{1} << 16;
constexpr int kBandsPerCore = 4;
constexpr std::size_t kProgressBandPixels = std::size_t{1} << 18;
constexpr std::size_t kProgressBands = 128;

std::size_t BandCount(std::size_t width, std::size_t height, int cores, bool reporting) {
  const std::size_t pixels = width * height;
  const std::size_t perCore = std::size_t(cores) * kBandsPerCore;
  const std::size_t most = reporting ? std::max(perCore, kProgressBands) : perCore;
  const std::size_t least = reporting ? kProgressBandPixels : kBandPixels;
  return std::clamp<std::size_t>(pixels / least, 1, std::min<std::size_t>(height, most));
}

template <class MapRows>
void MapInBands(std::size_t width, std::size_t height, const TProgressCallback& progress,
                const MapRows& mapRows) {
  const int cores = ResolveJobs(0);
  const std::size_t bands = BandCount(width, height, cores, static_cast<bool>(progress));
  const auto rowsOf = [&](std::size_t band) {
    return std::pair{static_cast<int>(band * height / bands),
                     static_cast<int>((band + 1) * height / bands)};
  };
  if (!progress) {
    RunForEachIndex(bands, cores, [&](std::size_t band) {
      const auto [first, end] = rowsOf(band);
      mapRows(first, end);
    });
    return;
  }
  const std::thread::id driver = std::this_thread::get_id();
  std::atomic<std::size_t> rowsMapped = 0;
  std::size_t reported = 0;  // by the driver alone
  RunForEachIndex(bands, cores, [&](std::size_t band) {
    const auto [first, end] = rowsOf(band);
    mapRows(first, end);
    rowsMapped += static_cast<std::size_t>(end - first);
    if (std::this_thread::get_id() != driver) return;
    reported = rowsMapped.load();
    progress(reported, height);
  });
  if (reported < height) progress(height, height);
}

// The result of a LUT without a grid for each code of each channel.
class TCodeCurves {
 public:
  explicit TCodeCurves(const TLUT& lut) {
    for (int code = 0; code < kCodes; ++code) {
      const double x = code / 255.0;
      const TRGB v = lut.Evaluate({x, x, x});
      Red_[code] = ToByte(v.R);
      Green_[code] = ToByte(v.G);
      Blue_[code] = ToByte(v.B);
    }
  }

  void Map(std::uint8_t* p, std::size_t count) const {
    for (std::uint8_t* const end = p + count * 3; p != end; p += 3) {
      p[0] = Blue_[p[0]];
      p[1] = Green_[p[1]];
      p[2] = Red_[p[2]];
    }
  }

 private:
  std::uint8_t Red_[kCodes];
  std::uint8_t Green_[kCodes];
  std::uint8_t Blue_[kCodes];
};

// Grid nodes addressed by offsets in reals that the splits carry already multiplied by the
// axis strides (TGridBlend's scales), so a node costs two additions.
struct TOffsetNodes {
  const double* Data;
  const double* operator()(int r, int g, int b) const { return Data + r + g + b; }
};

// Interpolate3D over offset nodes with red and green in the two lanes of one vector and blue
// alone: each lane does Interpolate3D's operations in its order, so the results are the
// same bits, at about half the instructions.
using TTwoReals = double __attribute__((vector_size(16)));

inline TTwoReals LoadTwo(const double* reals) {
  TTwoReals pair;
  std::memcpy(&pair, reals, sizeof pair);
  return pair;
}

inline TRGB Interpolate3D(const TOffsetNodes& nodes, const AxisSplit& r, const AxisSplit& g,
                          const AxisSplit& b) {
  const double* n[8] = {nodes(r.Lower, g.Lower, b.Lower), nodes(r.Lower, g.Lower, b.Upper),
                        nodes(r.Lower, g.Upper, b.Lower), nodes(r.Lower, g.Upper, b.Upper),
                        nodes(r.Upper, g.Lower, b.Lower), nodes(r.Upper, g.Lower, b.Upper),
                        nodes(r.Upper, g.Upper, b.Lower), nodes(r.Upper, g.Upper, b.Upper)};
  auto blend = [&](auto&& at) {
    const auto c00 = (1.0 - b.Fraction) * at(n[0]) + b.Fraction * at(n[1]);
    const auto c01 = (1.0 - b.Fraction) * at(n[2]) + b.Fraction * at(n[3]);
    const auto c10 = (1.0 - b.Fraction) * at(n[4]) + b.Fraction * at(n[5]);
    const auto c11 = (1.0 - b.Fraction) * at(n[6]) + b.Fraction * at(n[7]);
    const auto c0 = (1.0 - g.Fraction) * c00 + g.Fraction * c01;
    const auto c1 = (1.0 - g.Fraction) * c10 + g.Fraction * c11;
    return (1.0 - r.Fraction) * c0 + r.Fraction * c1;
  };
  const TTwoReals redGreen = blend([](const double* node) { return LoadTwo(node); });
  const double blue = blend([](const double* node) { return node[2]; });
  return {redGreen[0], redGreen[1], blue};
}

// The grid's trilinear blend for each pixel, with the splits of each channel's codes
// computed once. nodes(r, g, b) reads a node from split indices multiplied by scales.
template <class Nodes>
class TGridBlend {
 public:
  TGridBlend(const TLUT& lut, const Nodes& nodes, const std::size_t (&scales)[3]) : Nodes_(nodes) {
    for (int code = 0; code < kCodes; ++code) {
      const double x = code / 255.0;
      const TRGB v =
          lut.GridDomain.ToUnit(lut.Kind == lk1DAnd3D ? lut.Evaluate1D({x, x, x}) : TRGB{x, x, x});
      Split_[0][code] = Scaled(SplitCoordinate(v.R, lut.Size3D), scales[0]);
      Split_[1][code] = Scaled(SplitCoordinate(v.G, lut.Size3D), scales[1]);
      Split_[2][code] = Scaled(SplitCoordinate(v.B, lut.Size3D), scales[2]);
    }
  }

  void Map(std::uint8_t* p, std::size_t count) const {
    for (std::uint8_t* const end = p + count * 3; p != end; p += 3) {
      const TRGB v = Interpolate3D(Nodes_, Split_[0][p[2]], Split_[1][p[1]], Split_[2][p[0]]);
      p[0] = ToByte(v.B);
      p[1] = ToByte(v.G);
      p[2] = ToByte(v.R);
    }
  }

 private:
  static AxisSplit Scaled(AxisSplit split, std::size_t scale) {
    const auto factor = static_cast<int>(scale);
    return {split.Lower * factor, split.Upper * factor, split.Fraction};
  }

  Nodes Nodes_;
  AxisSplit Split_[3][kCodes];
};

}  // namespace

// Every pixel is EvaluatePixel at 8 bits in and out. With 8-bit inputs all that depends on
// one channel's code alone is computed once per code: the whole result of a 1D table, or the
// split of the coordinate that enters the grid.
class TPixelMapper::TImpl {
 public:
  explicit TImpl(const TLUT& lut) {
    if (lut.Kind == lk1D || lut.Kind == lkNone) {
      Mapper_.emplace<TCodeCurves>(lut);
    } else if (lut.Size3D >= 1 && lut.Size3D <= TLUT::MaxGridNodes) {
      // The view reads 0.0 for nodes the storage lacks, as the record's checked reads do.
      const TLutView& grid = Grid_.emplace(lut.GridView(lut.Size3D));
      const std::size_t scales[3] = {grid.StrideR(), grid.StrideG(), TLutView::StrideB};
      Mapper_.emplace<TGridBlend<TOffsetNodes>>(lut, TOffsetNodes{grid.Data()}, scales);
    } else {
      const std::size_t unitScales[3] = {1, 1, 1};
      Mapper_.emplace<TGridBlend<TCheckedNodes>>(lut, TCheckedNodes{lut}, unitScales);
    }
  }

  void Map(std::uint8_t* pixels, std::size_t count) const {
    std::visit(
        [&](const auto& mapper) {
          if constexpr (!std::is_same_v<std::decay_t<decltype(mapper)>, std::monostate>)
            mapper.Map(pixels, count);
        },
        Mapper_);
  }

 private:
  std::optional<TLutView> Grid_;  // the nodes a TOffsetNodes blend reads
  std::variant<std::monostate, TCodeCurves, TGridBlend<TOffsetNodes>, TGridBlend<TCheckedNodes>>
      Mapper_;
};

TPixelMapper::TPixelMapper(const TLUT& lut) : Impl_(std::make_unique<const TImpl>(lut)) {}

TPixelMapper::~TPixelMapper() = default;

void TPixelMapper::Map(std::uint8_t* pixels, std::size_t count) const {
  Impl_->Map(pixels, count);
}

void TLUT::ApplyToBitmap(TBitmap24& bitmap, const TProgressCallback& progress) const {
  const TPixelMapper mapper(*this);
  const auto width = static_cast<std::size_t>(bitmap.Width());
  if (width == 0 || bitmap.Height() <= 0) return;
  MapInBands(width, static_cast<std::size_t>(bitmap.Height()), progress, [&](int first, int end) {
    mapper.Map(bitmap.ScanLine(first), width * static_cast<std::size_t>(end - first));
  });
}

void TLUT::ApplyToRgb48(std::span<std::uint16_t> rgb, int width,
                        const TProgressCallback& progress) const {
  if (width <= 0) return;
  const std::size_t stride = std::size_t{3} * static_cast<std::size_t>(width);
  if (rgb.size() < stride) return;
  MapInBands(static_cast<std::size_t>(width), rgb.size() / stride, progress,
             [&](int first, int end) {
               std::uint16_t* sample = rgb.data() + stride * static_cast<std::size_t>(first);
               std::uint16_t* const last = rgb.data() + stride * static_cast<std::size_t>(end);
               TLutPixel out{.Bits = 16};
               for (; sample != last; sample += 3) {
                 EvaluatePixel({sample[0], sample[1], sample[2], 16}, out);
                 sample[0] = out.R, sample[1] = out.G, sample[2] = out.B;
               }
             });
}

namespace {

// The inputs of node i of n per axis of a stage spread over domain, channel by channel.
std::vector<TRGB> NodeInputs(int n, const TLutDomain& domain) {
  std::vector<TRGB> inputs(static_cast<std::size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) {
    const double t = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
    inputs[static_cast<std::size_t>(i)] = domain.FromUnit({t, t, t});
  }
  return inputs;
}

}  // namespace

void TLUT::CopyGridFrom(const TLUT& source) {
  const int n = std::clamp(Size3D, 0, MaxGridNodes);
  if (n == 0) return;
  ReserveGrid(n);
  Node(n - 1, n - 1, n - 1);  // every node of the n-node box counts as stored
  const TLutView from = source.GridView(n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      std::copy_n(from.Node(i, j, 0), n * TLutView::StrideB, Node(i, j, 0));
  }
}

void TLUT::CopyTableFrom(const TLUT& source) {
  const int n = std::clamp(Size1D, 0, MaxTableEntries);
  if (n == 0) return;
  ReserveTable(n);
  std::copy_n(source.TableView(n).Data(), static_cast<std::size_t>(n) * 3, Entry(0));
}

template <class Sample>
void TLUT::SampleGrid(const Sample& sample) {
  const int n = std::min(Size3D, MaxGridNodes);
  ReserveGrid(n);
  const std::vector<TRGB> inputs = NodeInputs(n, GridDomain);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        SetNode(i, j, k, sample(TRGB{inputs[i].R, inputs[j].G, inputs[k].B}));
      }
    }
  }
}

void TLUT::ResampleFrom(const TLUT& source) {
  Comments = source.Comments;
  if (Kind == lk3D && source.Kind == lk3D && Size3D == source.Size3D &&
      GridDomain == source.GridDomain) {
    CopyGridFrom(source);
  } else if (Kind == lk1D && source.Kind == lk1D && Size1D == source.Size1D &&
             TableDomain == source.TableDomain) {
    CopyTableFrom(source);
  } else if (Kind == lk3D) {
    SampleGrid([&](const TRGB& in) { return source.Evaluate(in); });
  } else if (Kind == lk1D) {
    const int n = std::min(Size1D, MaxTableEntries);
    ReserveTable(n);
    const std::vector<TRGB> inputs = NodeInputs(n, TableDomain);
    for (int i = 0; i < n; ++i) SetEntry(i, source.Evaluate(inputs[static_cast<std::size_t>(i)]));
  }
}

namespace {

// The least and greatest of the reals, in independent lanes so that the loop does not wait
// on one comparison after another; false when any real is not finite (x - x is NaN for an
// infinity or NaN, 0 otherwise).
bool FiniteBounds(const double* data, std::size_t reals, double& low, double& high) {
  std::size_t i = 0;
  double lowest = data[0];
  double highest = data[0];
  double sum = 0.0;
#ifdef __SSE2__
  __m128d lows[2] = {_mm_set1_pd(data[0]), _mm_set1_pd(data[0])};
  __m128d highs[2] = {lows[0], lows[0]};
  __m128d sums[2] = {_mm_setzero_pd(), _mm_setzero_pd()};
  for (; i + 4 <= reals; i += 4) {
    for (int lane = 0; lane < 2; ++lane) {
      const __m128d values = _mm_loadu_pd(data + i + 2 * lane);
      lows[lane] = _mm_min_pd(values, lows[lane]);
      highs[lane] = _mm_max_pd(values, highs[lane]);
      sums[lane] = _mm_add_pd(sums[lane], _mm_sub_pd(values, values));
    }
  }
  double parts[2];
  for (int lane = 0; lane < 2; ++lane) {
    _mm_storeu_pd(parts, lows[lane]);
    lowest = std::min({lowest, parts[0], parts[1]});
    _mm_storeu_pd(parts, highs[lane]);
    highest = std::max({highest, parts[0], parts[1]});
    _mm_storeu_pd(parts, sums[lane]);
    sum += parts[0] + parts[1];
  }
#endif
  for (; i < reals; ++i) {
    lowest = std::min(lowest, data[i]);
    highest = std::max(highest, data[i]);
    sum += data[i] - data[i];
  }
  low = lowest;
  high = highest;
  return sum == 0.0;
}

// Folds the reals into range: the finite ones into Low and High, the others into Finite.
void FoldValues(const double* data, std::size_t reals, TValueRange& range, bool& any) {
  // The lanes find the same least and greatest as one walk in order, but for the sign of a
  // zero among equal zeros: that case, and any real not finite, takes the walk.
  if (double low = 0.0, high = 0.0;
      reals > 0 && FiniteBounds(data, reals, low, high) && low != 0.0 && high != 0.0) {
    range.Low = any ? std::min(range.Low, low) : low;
    range.High = any ? std::max(range.High, high) : high;
    any = true;
    return;
  }
  for (std::size_t i = 0; i < reals; ++i) {
    const double value = data[i];
    if (!std::isfinite(value)) {
      if (range.Finite) range.FirstNonFinite = value;
      range.Finite = false;
      continue;
    }
    range.Low = any ? std::min(range.Low, value) : value;
    range.High = any ? std::max(range.High, value) : value;
    any = true;
  }
}

void FoldGrid(const TLUT& lut, TValueRange& range, bool& any) {
  const int n = std::clamp(lut.Size3D, 0, TLUT::MaxGridNodes);
  const TLutView grid = lut.GridView(n);
  for (int r = 0; r < n; ++r) {
    for (int g = 0; g < n; ++g) FoldValues(grid.Node(r, g, 0), 3 * std::size_t(n), range, any);
  }
}

void FoldTable(const TLUT& lut, TValueRange& range, bool& any) {
  const int n = std::clamp(lut.Size1D, 0, TLUT::MaxTableEntries);
  const TLutView table = lut.TableView(n);
  if (n > 0) FoldValues(table.Data(), 3 * std::size_t(n), range, any);
}

}  // namespace

TValueRange OutputValueRange(const TLUT& lut) {
  TValueRange range;
  bool any = false;
  if (lut.HasGrid()) {
    FoldGrid(lut, range, any);
  } else if (lut.HasTable()) {
    FoldTable(lut, range, any);
  }
  return range;
}

TValueRange WholeValueRange(const TLUT& lut) {
  TValueRange range;
  bool any = false;
  if (lut.HasGrid()) FoldGrid(lut, range, any);
  if (lut.HasTable()) FoldTable(lut, range, any);
  return range;
}

const char* LutKindName(TLutKind kind) {
  switch (kind) {
    case lk1D:
      return "1D";
    case lk3D:
      return "3D";
    case lk1DAnd3D:
      return "1D & 3D";
    case lkNone:
      break;
  }
  return "none";
}

std::vector<std::string> LutInformationLines(const TLUT& lut) {
  std::vector<std::string> lines;
  switch (lut.Kind) {
    case lk1D:
      lines = {std::string("Type: ") + LutKindName(lut.Kind), "Dimension: " + IntToStr(lut.Size1D)};
      break;
    case lk3D:
      lines = {std::string("Type: ") + LutKindName(lut.Kind), "Dimension: " + IntToStr(lut.Size3D)};
      break;
    case lk1DAnd3D:
      lines = {std::string("Type: ") + LutKindName(lut.Kind),
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
