#pragma once
// The cineSpace text LUT (.csp): "CSPLUTV100", "1D" or "3D", an optional block between
// "BEGIN METADATA" and "END METADATA" (kept as comments), then a prelut per channel (red,
// green, blue): a count of breakpoints, the line of their inputs and the line of their
// outputs (a count below 2 gives an identity and no lines). Then the body: for 1D a count and
// one "R G B" line per entry; for 3D the line "n n n" and one "R G B" line per node, red
// fastest. The body takes the prelut's outputs over [0, 1].
//
// The prelut is a curve through its breakpoints: straight between two of them, and beyond
// two the cineSpace spline (cubic between inner breakpoints, whose slopes are those of the
// chords across their neighbours; quadratic in the first and last interval), flat outside the
// first and last input. A prelut that is straight on every channel is read exactly: as the
// domain of the grid or table when it maps its inputs onto [0, 1], else as a two-entry
// shaper. Any other prelut is sampled onto an even shaper table over its inputs, with as
// many entries as keep it within 1e-6 of the curve (SampleCurvesOntoTable); for a 1D body the
// table holds the prelut and the body together.
//
// One class for both kinds: the 1D format claims the files whose second line is "1D", the
// 3D format those whose second line is "3D"; each reads files of either kind.

#include <memory>
#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

class TCineSpaceFormat : public TGenericLutFormat {
 public:
  explicit TCineSpaceFormat(bool is3D)
      : TGenericLutFormat(is3D ? "cineSpace 3D" : "cineSpace 1D", is3D) {}

  bool IsFormat(const std::string& path) const override;
  // A grid's or table's domain is written as a straight prelut onto [0, 1]; a shaper before
  // a grid as a prelut of its entries.
  bool WritesDomains() const override { return true; }
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
  void FinishLoad(TLoadState& load, TLUT& lut) const override;

 private:
  struct TCspLoad;
  void ParseHeadLine(TCspLoad& load, std::string_view trimmed, TLUT& lut) const;
  void ParsePrelutLine(TCspLoad& load, std::string_view trimmed) const;
  void ParseBodySize(TCspLoad& load, std::string_view trimmed) const;
};

}  // namespace vorn
