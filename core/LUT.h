#pragma once
// The in-memory LUT: a 1D table, a 3D grid, both (a 1D shaper before the grid) or
// nothing, with comment lines and the index of the format that loaded it. Values are
// normalised reals: 0.0 is the lowest and 1.0 the highest code of any integer coding.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Bitmap.h"
#include "platform/Memory.h"

namespace vorn {

enum TLutKind : std::uint8_t { lk1D = 0, lk3D = 1, lk1DAnd3D = 2, lkNone = 3 };

struct TRGB {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  bool operator==(const TRGB&) const = default;
};

// An integer pixel: code v stands for v / (2^Bits - 1).
struct TLutPixel {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  std::uint8_t Bits = 8;
};

class TLUT {
 public:
  // Capacities of the model; no reader stores beyond them.
  static constexpr int MaxGridNodes = 101;
  static constexpr int MaxTableEntries = 100001;
  // Strides of the grid in reals: red slowest, blue fastest, R G B inside a node.
  static constexpr std::size_t StrideR = 30603;
  static constexpr std::size_t StrideG = 303;
  static constexpr std::size_t StrideB = 3;
  static constexpr std::size_t GridReals = StrideR * MaxGridNodes;
  static constexpr std::size_t TableReals = 3 * static_cast<std::size_t>(MaxTableEntries);

  // Every value 0.0, both sizes 0, Kind lk1D, FormatIndex -1, no comments.
  TLUT();

  std::int32_t FormatIndex = -1;
  TLutKind Kind = lk1D;
  std::vector<std::string> Comments;
  std::int32_t Size1D = 0;
  std::int32_t Size3D = 0;

  // The three reals (R, G, B) of grid node (r, g, b) or table entry i. Indices must lie
  // inside the capacities above.
  double* Node(int r, int g, int b) { return Grid() + r * StrideR + g * StrideG + b * StrideB; }
  const double* Node(int r, int g, int b) const {
    return Grid() + r * StrideR + g * StrideG + b * StrideB;
  }
  double* Entry(int i) { return Table() + static_cast<std::size_t>(i) * 3; }
  const double* Entry(int i) const { return Table() + static_cast<std::size_t>(i) * 3; }

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

  double* Grid() { return static_cast<double*>(Storage_.get()); }
  const double* Grid() const { return static_cast<const double*>(Storage_.get()); }
  double* Table() { return Grid() + GridReals; }
  const double* Table() const { return Grid() + GridReals; }

  // Evaluation. Coordinates are clamped to [0, 1] (NaN counts as 0) and reads never
  // pass the last valid node or entry.
  TRGB Evaluate1D(const TRGB& in) const;
  TRGB Evaluate3D(const TRGB& in) const;
  TRGB Evaluate(const TRGB& in) const;  // by Kind
  // out.Bits is set by the caller; the result is clamped to [0, 1] and rounded half to even.
  void EvaluatePixel(const TLutPixel& in, TLutPixel& out) const;
  void ApplyToBitmap(TBitmap24& bitmap) const;

  // Fills this record to its own Kind and size from source: copies when kind and size
  // agree, samples the source on this record's nodes otherwise.
  void ResampleFrom(const TLUT& source);

 private:
  // One zeroed block holding the grid, then the table.
  TZeroedBlock Storage_;
};

// What the preview pane and "vorn-lut info" list for a loaded record: "Type: ..." and
// "Dimension: ..." (or "No LUT data." for a record without values), then the comments.
std::vector<std::string> LutInformationLines(const TLUT& lut);

}  // namespace vorn
