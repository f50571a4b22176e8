#pragma once
// Grids of real numbers with the red input index varying fastest: Nucoda (keyword header,
// an optional 1D shaper table before the grid, R G B per line), Colorfront OSD (B G R per
// line and nothing else; the size follows from the number of lines) and DaVinci DAT (an
// optional "3DLUTSIZE" line, B G R per line).

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

// Reads what its own writer and the Nucoda 1D writer produce: a "LUT_1D_SIZE" table alone
// loads as 1D, a "LUT_3D_SIZE" grid alone as 3D, both as a 1D shaper before the grid. The
// shaper entries of a version 1 file are divided by 33. The declared shaper length is the
// toolkit's ShaperSize.
class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  TNucoda3DLutFormat() : TGenericLutFormat("Nucoda 3D", true) {}
  bool IsFormat(const std::string& path) const override;
  // Writes a fixed shaper ramp of 4096 entries before the grid; the record's own table is
  // not written.
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  // A file needs a size keyword and a line that is none of the keyword lines; a grid must
  // be whole, a table alone holds the entries read (at least one).
  void FinishLoad(TLoadState& load, TLUT& lut) const override;

 private:
  struct TNucodaLoad;
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat("Colorfront OSD 3D", true) {}
  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
};

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat("Davinci DAT 3D", true) {}
  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;

 private:
  struct TDatLoad;
};

}  // namespace vorn
