#pragma once
// The in-memory LUT: a 1D table, a 3D grid, both (a 1D shaper before the grid) or
// nothing, with comment lines and the index of the format that loaded it. Values are
// normalised reals: 0.0 is the lowest and 1.0 the highest code of any integer coding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Bitmap.h"
#include "core/LutLimits.h"
#include "core/WorkProgress.h"
#include "platform/Export.h"
#include "platform/Memory.h"

namespace vorn {

enum TLutKind : std::uint8_t { lk1D = 0, lk3D = 1, lk1DAnd3D = 2, lkNone = 3 };
// "1D", "3D", "1D & 3D" or "none", as vorn-lut info names the kinds.
VORN_API const char* LutKindName(TLutKind kind);

struct TRGB {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  bool operator==(const TRGB&) const = default;
};

// The inputs a table or grid is spread over, per channel: an input of Min reads the first
// entry or node, one of Max the last, and inputs beyond them read those ends. Max lies above
// Min on every channel of a record that a reader made.
struct VORN_API TLutDomain {
  TRGB Min{0.0, 0.0, 0.0};
  TRGB Max{1.0, 1.0, 1.0};
  bool operator==(const TLutDomain&) const = default;
  bool IsDefault() const { return *this == TLutDomain{}; }
  // One pair for all three channels.
  bool IsUniform() const;
  // The input of each channel as a coordinate of the table or grid: Min gives 0, Max 1.
  TRGB ToUnit(const TRGB& in) const {
    return {(in.R - Min.R) / (Max.R - Min.R), (in.G - Min.G) / (Max.G - Min.G),
            (in.B - Min.B) / (Max.B - Min.B)};
  }
  // The input at coordinate t (0 to 1) of each channel.
  TRGB FromUnit(const TRGB& t) const {
    return {Min.R + (Max.R - Min.R) * t.R, Min.G + (Max.G - Min.G) * t.G,
            Min.B + (Max.B - Min.B) * t.B};
  }
};

// An integer pixel: code v stands for v / (2^Bits - 1).
struct TLutPixel {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  std::uint8_t Bits = 8;
};

// Grid or table values read with plain strides: a view that covers the extent it was asked
// for (TLUT::GridView, TLUT::TableView). It reads the record's own storage when that covers
// the extent, otherwise a zero-filled copy that does; either way the record must stay
// unchanged while the view is in use. Move-only.
class TLutView {
 public:
  // Strides in reals: red slowest, blue fastest, R G B inside a node.
  static constexpr std::size_t StrideB = 3;
  std::size_t StrideR() const { return StrideR_; }
  std::size_t StrideG() const { return StrideG_; }
  // Node (0, 0, 0) or entry 0; null for an empty extent.
  const double* Data() const { return Data_; }
  const double* Node(int r, int g, int b) const {
    return Data_ + r * StrideR_ + g * StrideG_ + b * StrideB;
  }
  const double* Entry(int i) const { return Data_ + static_cast<std::size_t>(i) * 3; }

 private:
  friend class TLUT;
  const double* Data_ = nullptr;
  std::size_t StrideR_ = 0;
  std::size_t StrideG_ = 0;
  TZeroedReals Copy_;  // holds the values when the record's storage is smaller
};

class VORN_API TLUT {
 public:
  // Capacities of the model (core/LutLimits.h); nothing is stored beyond them.
  static constexpr int MaxGridNodes = kModelGridNodes;
  static constexpr int MaxTableEntries = kModelTableEntries;

  // Every value 0.0, both sizes 0, Kind lk1D, FormatIndex -1, no comments, no storage.
  TLUT() = default;
  // Move-only. A moved-from record holds no values: every node and entry reads 0.0.
  TLUT(const TLUT&) = delete;
  TLUT& operator=(const TLUT&) = delete;
  TLUT(TLUT&&) noexcept = default;
  TLUT& operator=(TLUT&&) noexcept = default;

  std::int32_t FormatIndex = -1;
  TLutKind Kind = lk1D;

  // The kind holds a 1D table (alone or as the shaper before a grid) / a 3D grid.
  bool HasTable() const { return Kind == lk1D || Kind == lk1DAnd3D; }
  bool HasGrid() const { return Kind == lk3D || Kind == lk1DAnd3D; }
  // The sizes of the parts the kind holds lie within the capacities (a record that claims
  // more than it can hold would read past them).
  bool SizesWithinCapacity() const {
    return (!HasTable() || (Size1D >= 0 && Size1D <= MaxTableEntries)) &&
           (!HasGrid() || (Size3D >= 0 && Size3D <= MaxGridNodes));
  }
  std::vector<std::string> Comments;
  std::int32_t Size1D = 0;
  std::int32_t Size3D = 0;
  // The inputs the table (alone or as the shaper) and the grid are spread over. The grid's
  // inputs are the shaper's outputs when both are held.
  TLutDomain TableDomain;
  TLutDomain GridDomain;
  // The domain of the record's inputs: its table's when it has one, else its grid's.
  const TLutDomain& InputDomain() const { return HasTable() ? TableDomain : GridDomain; }
  // Every domain the kind holds is [0, 1].
  bool HasDefaultDomains() const {
    return (!HasTable() || TableDomain.IsDefault()) && (!HasGrid() || GridDomain.IsDefault());
  }

  // Storage. The grid is laid out with strides of its own node count (GridNodes), the
  // table holds TableEntries entries; both grow on demand when a node or entry beyond them
  // is stored (below), keeping the stored values. A grid filled line by line in file order
  // ends laid out for its size after a few early growths; a table grows by doubling. A
  // writer that knows its size reserves it first, so that the storage is laid out once and
  // asks for huge pages; requests beyond the model's capacities are capped there.
  void ReserveGrid(int nodes);
  void ReserveTable(int entries);
  int GridNodes() const { return Grid_.Nodes; }
  int TableEntries() const { return static_cast<int>(Table_.Count() / 3); }

  // The three reals (R, G, B) of grid node (r, g, b) or table entry i.
  // Storing: the non-const forms grow the storage to cover the index (to Size3D or Size1D
  // at once when those cover it) and raise std::out_of_range for an index outside the
  // capacities. A growth moves the values, so a pointer is good until the next node or entry
  // beyond the storage is stored, and it reaches the three reals of its node or entry only.
  // Reading: the const forms give the stored values, 0.0 for any node or entry never stored,
  // whatever the index.
  double* Node(int r, int g, int b) {
    if (r > Grid_.StoredR || g > Grid_.StoredG || b > Grid_.StoredB || (r | g | b) < 0) {
      NoteStoredNode(r, g, b);
    }
    return Grid_.Reals.Data() + r * Grid_.StrideR + g * Grid_.StrideG + b * TLutView::StrideB;
  }
  const double* Node(int r, int g, int b) const {
    const auto nodes = static_cast<unsigned>(Grid_.Nodes);
    if (static_cast<unsigned>(r) >= nodes || static_cast<unsigned>(g) >= nodes ||
        static_cast<unsigned>(b) >= nodes) {
      return kUnstored;
    }
    return Grid_.Reals.Data() + r * Grid_.StrideR + g * Grid_.StrideG + b * TLutView::StrideB;
  }
  double* Entry(int i) {
    if (static_cast<unsigned>(i) >= static_cast<unsigned>(TableEntries())) NoteStoredEntry(i);
    return Table_.Data() + static_cast<std::size_t>(i) * 3;
  }
  const double* Entry(int i) const {
    if (static_cast<unsigned>(i) >= static_cast<unsigned>(TableEntries())) return kUnstored;
    return Table_.Data() + static_cast<std::size_t>(i) * 3;
  }

  void SetNode(int r, int g, int b, const TRGB& v) {
    double* n = Node(r, g, b);
    n[0] = v.R;
    n[1] = v.G;
    n[2] = v.B;
  }
  TRGB GetNode(int r, int g, int b) const {
    const double* n = Node(r, g, b);
    return {n[0], n[1], n[2]};
  }
  void SetEntry(int i, const TRGB& v) {
    double* e = Entry(i);
    e[0] = v.R;
    e[1] = v.G;
    e[2] = v.B;
  }
  TRGB GetEntry(int i) const {
    const double* e = Entry(i);
    return {e[0], e[1], e[2]};
  }

  // Plain-strided reads of the first nodes nodes per axis or entries entries (each capped to
  // the capacities, so read no further), for loops over many values.
  TLutView GridView(int nodes) const;
  TLutView TableView(int entries) const;

  // Evaluation. Each input is taken to its stage's coordinate through the stage's domain
  // (TableDomain, GridDomain); coordinates are clamped to [0, 1] (NaN counts as 0) and reads
  // never pass the last valid node or entry.
  TRGB Evaluate1D(const TRGB& in) const;
  TRGB Evaluate3D(const TRGB& in) const;
  TRGB Evaluate(const TRGB& in) const;  // by Kind
  // out.Bits is set by the caller; the result is clamped to [0, 1] and rounded half to even.
  void EvaluatePixel(const TLutPixel& in, TLutPixel& out) const;
  // Every pixel through EvaluatePixel at 8 bits, in bands of rows on every core. progress
  // hears the rows mapped, on the calling thread (a picture without rows tells nothing).
  void ApplyToBitmap(TBitmap24& bitmap, const TProgressCallback& progress = {}) const;
  // Every pixel of a picture of 16 bits per channel (red, green, blue of each pixel, rows of
  // width pixels packed without padding) through EvaluatePixel at 16 bits in and out, in
  // bands of rows on every core. A partial last row is left as it is. progress as for
  // ApplyToBitmap.
  void ApplyToRgb48(std::span<std::uint16_t> rgb, int width,
                    const TProgressCallback& progress = {}) const;

  // Fills this record to its own Kind, sizes and domains from source: copies when kind,
  // size and domain agree, samples the source on this record's nodes (spread over this
  // record's domain) otherwise.
  void ResampleFrom(const TLUT& source);

 private:
  static constexpr double kUnstored[3] = {0.0, 0.0, 0.0};

  // The grid's reals, Nodes per axis, and the highest index stored on each axis (-1 before
  // the first node): a growth copies only that box, which is small while a file fills its
  // first row. A provisional layout (grown on demand by doubling while the stored nodes lie
  // on one line) is replaced by one of the box's size once the box leaves that line. Moving
  // leaves an empty grid.
  struct TGrid {
    TZeroedReals Reals;
    int Nodes = 0;
    std::size_t StrideR = 0;
    std::size_t StrideG = 0;
    int StoredR = -1;
    int StoredG = -1;
    int StoredB = -1;
    bool Provisional = false;

    TGrid() = default;
    TGrid(TGrid&& other) noexcept { *this = std::move(other); }
    TGrid& operator=(TGrid&& other) noexcept;
  };

  // ResampleFrom's parts: the first Size3D nodes per axis or Size1D entries copied, or every
  // node set to sample(its input in GridDomain).
  void CopyGridFrom(const TLUT& source);
  void CopyTableFrom(const TLUT& source);
  template <class Sample>
  void SampleGrid(const Sample& sample);

  void NoteStoredNode(int r, int g, int b);
  void NoteStoredEntry(int i);
  void LayOutGrid(int nodes, bool hugePages);
  void ResizeTable(int entries, bool hugePages);
  bool GridCovers(int nodes) const { return Grid_.Nodes >= std::max(nodes, 1); }
  bool TableCovers(int entries) const { return TableEntries() >= std::max(entries, 1); }

  TGrid Grid_;
  TZeroedReals Table_;
};

// Maps runs of packed 8-bit pixels (blue, green, red) in place as ApplyToBitmap does, on
// the calling thread; what depends on the LUT alone is worked out once, when the mapper is
// made. The LUT must stay unchanged while the mapper is in use. Map may run on several
// threads at once for different pixels.
class VORN_API TPixelMapper {
 public:
  explicit TPixelMapper(const TLUT& lut);
  ~TPixelMapper();
  TPixelMapper(const TPixelMapper&) = delete;
  TPixelMapper& operator=(const TPixelMapper&) = delete;

  void Map(std::uint8_t* pixels, std::size_t count) const;

 private:
  class TImpl;
  std::unique_ptr<const TImpl> Impl_;
};

// The lowest and highest finite values among some of a record's values; Finite is false
// when any of them is NaN or infinite, FirstNonFinite being the first such (in storage
// order). No values give 0, 0.
struct TValueRange {
  double Low = 0.0;
  double High = 0.0;
  bool Finite = true;
  double FirstNonFinite = 0.0;
};
// The values the record puts out: its grid's nodes when it has a grid, else its table's
// entries.
VORN_API TValueRange OutputValueRange(const TLUT& lut);
// Every value of the record: grid and table.
VORN_API TValueRange WholeValueRange(const TLUT& lut);

// What the preview pane and "vorn-lut info" list for a loaded record: "Type: ..." and
// "Dimension: ..." (or "No LUT data." for a record without values), then the comments.
VORN_API std::vector<std::string> LutInformationLines(const TLUT& lut);

}  // namespace vorn
