#pragma once
// The 3dl text layout: "#" comment lines, one line of input breakpoints whose count is the
// grid size, then one line of three integer codes per node with the blue index varying
// fastest. The file does not state the depth of its codes: the user's choice for the file
// (InputBits) or an estimate from the codes decides it.

#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat("3DL", true) {}

  // By the ".3dl" extension alone.
  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  // Fixes the depth of every code of the file (Scale, in bits) before a line is read.
  void PrepareText(TLoadState& load, const TTextFile& textFile) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
};

}  // namespace vorn
