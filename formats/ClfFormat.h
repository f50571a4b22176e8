#pragma once
// The Academy/ASC Common LUT Format (.clf) and the Color Transform Format (.ctf): XML
// process lists of colour nodes. A list that is one LUT1D, one LUT3D, or a LUT1D then a
// LUT3D loads as that table, grid, or shaper and grid; any other list is evaluated node by
// node (formats/ColourOperators.h) and sampled onto a grid of TLoadContext::SampleSize
// nodes. The writer puts out a table as LUT1D, a grid as LUT3D and a shaper and grid as
// both, in 32-bit floats, with a Range (one pair for all channels) or a Matrix (per
// channel) before each stage whose domain is not [0, 1].

#include <string>

#include "core/LUTFormat.h"

namespace vorn {

class TClfLutFormat : public TLUTFormat {
 public:
  TClfLutFormat() : TLUTFormat("Academy/ASC Common LUT Format", true) {}
  // Claims a file whose root element is ProcessList.
  bool IsFormat(const std::string& path) const override;
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  bool WritesDomains() const override { return true; }
  bool WritesEveryKind() const override { return true; }
};

}  // namespace vorn
