#pragma once
// Grids of real numbers with the red input index varying fastest: Nucoda (keyword header,
// an optional 1D shaper table before the grid, R G B per line), Colorfront OSD (B G R per
// line and nothing else; the size follows from the number of lines) and DaVinci DAT (an
// optional "3DLUTSIZE" line, B G R per line).

#include <cstdint>
#include <string>
#include <string_view>

#include "core/LUTFormat.h"

namespace vorn {

// Reads what its own writer and the Nucoda 1D writer produce: a "LUT_1D_SIZE" table alone
// loads as 1D, a "LUT_3D_SIZE" grid alone as 3D, both as a 1D shaper before the grid. The
// shaper entries of a version 1 file are divided by 33. The declared shaper length is the
// toolkit's ShaperSize.
class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  TNucoda3DLutFormat() : TGenericLutFormat("Nucoda 3D", true) {}
  bool IsFormat(const std::string& path) override;
  void Load(const std::string& path, TLUT& lut) override;
  // Writes a fixed shaper ramp of 4096 entries before the grid; the record's own table is
  // not written.
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  void ParseLine(std::string_view line, TLUT& lut) override;

 protected:
  // A file needs a size keyword and a line that is none of the keyword lines; a grid must
  // be whole, a table alone holds the entries read (at least one).
  void FinishLoad(TLUT& lut) override;

 private:
  // The number after "NUCODA_3D_CUBE"; 0 until that line is read.
  std::int32_t CubeVersion = 0;
  bool Has1D = false;  // a "LUT_1D_SIZE" line was read
  bool Has3D = false;  // a "LUT_3D_SIZE" line was read
  // A line other than blanks, comments and the three keyword lines was read.
  bool HasContent = false;
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat("Colorfront OSD 3D", true) {}
  bool IsFormat(const std::string& path) override;
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat("Davinci DAT 3D", true) {}
  bool IsFormat(const std::string& path) override;
  void Load(const std::string& path, TLUT& lut) override;
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  void ParseLine(std::string_view line, TLUT& lut) override;

 private:
  // The first 4096 bytes of the file being read name "3DLUTSIZE": the size comes from that
  // line instead of the number of value lines.
  bool HasSizeKeyword = false;
};

}  // namespace vorn
