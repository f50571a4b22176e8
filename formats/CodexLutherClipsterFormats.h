#pragma once
// Grids of integer codes with the blue input index varying fastest and R G B per line:
// Codex ("Lut3D:" size line, 12-bit codes), Luther ("#channels: c3" and "#elements ="
// header, read as 10-bit codes) and Clipster (a small XML document: a LUT3D element with N
// and BitDepth attributes around a values element).

#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

class TCodex3DLutFormat : public TGenericLutFormat {
 public:
  TCodex3DLutFormat() : TGenericLutFormat("Codex 3D", true) {}
  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
};

class TLuther3DLutFormat : public TGenericLutFormat {
 public:
  TLuther3DLutFormat() : TGenericLutFormat("Luther 3D", true) {}
  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
};

class TClipster3DLutFormat : public TGenericLutFormat {
 public:
  TClipster3DLutFormat() : TGenericLutFormat("Clipster 3D", true) {}
  bool IsFormat(const std::string& path) const override;
  // Reads the document with the XML reader; the name attribute becomes the comment
  // "Name: ...". A grid without N, BitDepth or all of its N^3 value lines is refused.
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  // The header names the file (its title, escaped for XML) and the codes' depth.
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

}  // namespace vorn
