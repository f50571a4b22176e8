#pragma once
// The cube text layout: a few header lines, a "LUT_3D_SIZE" (or Truelight "# width") line,
// then one line of three output values per grid node with the red index varying fastest.

#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

// The keywords that say over which inputs a cube file's table or grid is spread:
// "DOMAIN_MIN r g b" and "DOMAIN_MAX r g b" (per channel), "LUT_1D_INPUT_RANGE min max" (the
// table) and "LUT_3D_INPUT_RANGE min max" (the grid).
// For a trimmed line that begins with one of them (any case): its numbers stored, the DOMAIN_
// ones in domain, the ranges in the record's TableDomain or GridDomain, and true. False for
// any other line. A keyword without its count of finite numbers raises.
bool ParseCubeDomainLine(std::string_view trimmed, TLUT& lut, TLutDomain& domain);
// After the load: a stage the record holds whose domain does not rise on every channel
// (maximum above minimum) raises.
void CheckCubeDomains(const TLUT& lut);
// The lines of a domain other than [0, 1]: "LUT_<dimension>_INPUT_RANGE min max" when
// range is set and the domain is one pair for all channels, DOMAIN_MIN and DOMAIN_MAX
// otherwise; nothing for [0, 1] unless always.
void AddCubeDomainLines(TTextFile& text, const TLutDomain& domain, const char* range,
                        bool always = false);

class TCube3DLutFormat : public TGenericLutFormat {
 public:
  TCube3DLutFormat() : TCube3DLutFormat("Cube 3D") {}

  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  // A "LUT_1D_SIZE" line above the grid size announces a 1D shaper whose entries come
  // before the grid values; the record then loads as 1D and 3D.
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
  // A grid alone keeps its domain as DOMAIN_MIN and DOMAIN_MAX; a shaper and its grid are
  // written with LUT_1D_INPUT_RANGE and LUT_3D_INPUT_RANGE.
  bool WritesDomains() const override { return true; }

 protected:
  explicit TCube3DLutFormat(std::string name) : TGenericLutFormat(std::move(name), true) {}
  bool NeedsWholeText() const override { return false; }
  bool ParsesRealTriplesAhead() const override { return true; }
  void FinishLoad(TLoadState& load, TLUT& lut) const override;
  void AddShaperAndGridLines(TTextFile& text, const TLUT& lut) const;

  // Handles a line read before the grid size is known.
  virtual void ParseHeaderLine(TLoadState& load, std::string_view line, TLUT& lut) const;
  // The value-line walk; each number is divided by divisor before it is stored.
  void ParseValueLine(TLoadState& load, std::string_view line, TLUT& lut, double divisor) const;
};

// The Truelight cube: a "# width" header line gives the grid size. An "# InputLUT" section
// ("# lutLength" entries, in grid-index units 0..width-1) is a 1D shaper before the grid,
// whose values follow "# Cube"; the record then loads as 1D and 3D.
class TCube3DTruelightLutFormat : public TCube3DLutFormat {
 public:
  TCube3DTruelightLutFormat() : TCube3DLutFormat("Cube 3D Truelight") {}
  bool IsFormat(const std::string& path) const override;
  bool WritesDomains() const override { return false; }
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  void ParseHeaderLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 private:
  struct TTruelightLoad;
  void ParseSectionLine(TTruelightLoad& load, std::string_view comment) const;
  void StoreShaperEntry(TTruelightLoad& load, TLUT& lut, const TRGB& values) const;
};

class TFSI_CFE_3DLutFormat : public TCube3DLutFormat {
 public:
  TFSI_CFE_3DLutFormat() : TCube3DLutFormat("FSI CFE (Flanders Scientific) 3D") {}
  bool IsFormat(const std::string& path) const override;
  bool WritesDomains() const override { return false; }
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

class TPanasonic3DLutFormat : public TCube3DLutFormat {
 public:
  TPanasonic3DLutFormat() : TCube3DLutFormat("Panasonic 3D") {}
  bool IsFormat(const std::string& path) const override;
  bool WritesDomains() const override { return false; }
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
};

// The Iridas itx: a "LUT_3D_SIZE" line and the grid's values, red fastest, read as a cube.
// Detection claims a file by its ".itx" extension; a Cube 3D file claims it first, as it
// reads the same lines.
class TIridasItx3DLutFormat : public TCube3DLutFormat {
 public:
  TIridasItx3DLutFormat() : TCube3DLutFormat("Iridas itx 3D") {}
  bool IsFormat(const std::string& path) const override;
  bool WritesDomains() const override { return false; }
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

}  // namespace vorn
