#pragma once
// The formats that are not plain value lines: the FSI DIT binary grid, the PFClean XML
// document, MatchLight's shaper-and-grid text, and the picture formats (the program's own
// Hald image, read; the standard Hald CLUT and the lookup picture of Open Broadcaster
// Software, both ways: imaging/HaldClut.h).

#include <cstdint>
#include <string>

#include "formats/FormatToolkit.h"

namespace vorn {

// A 128-byte header, then 64^3 little-endian 32-bit words, red fastest: bits 0-9 red,
// 10-19 green, 20-29 blue, code c standing for c / 1008.
class TFSI_DIT_3DLutFormat : public TLUTFormat {
 public:
  static constexpr int GridSize = 64;
  static constexpr double FullScale = 1008.0;
  static constexpr std::uint32_t Magic = 0x42340299;
  static constexpr std::size_t HeaderBytes = 128;
  static constexpr std::size_t DataBytes = std::size_t{4} * GridSize * GridSize * GridSize;

  TFSI_DIT_3DLutFormat() : TLUTFormat("FSI DIT (Flanders Scientific) 3D", true) {}

  // The first four bytes are the magic number.
  bool IsFormat(const std::string& path) const override;
  // Always 64 nodes per axis; a file shorter than its data block is "Incomplete file.".
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  // bits is not used: codes are Round(value * 1008) kept inside 0..1023. A record that is
  // not a 64-node grid is sampled on one first.
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

// <lut><maximum>M</maximum><size>N</size><cube>one "R G B" line of codes per node, blue
// fastest</cube></lut>.
class TPFClean3D_Format : public TGenericLutFormat {
 public:
  TPFClean3D_Format() : TGenericLutFormat("PixelFarm PFClean 3D", true) {}

  bool IsFormat(const std::string& path) const override;
  // Lines of the cube that do not parse are skipped, and missing ones leave their nodes as
  // they were: only the size and the maximum (at least 1) are checked.
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  // Codes at bits bits per value.
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

// Header lines "lutS N" and "cubeS N", then N shaper lines (three reals, stored divided by
// 15), then the grid lines (three reals, blue fastest). Read only.
class TMatchLight3DLutFormat : public TGenericLutFormat {
 public:
  TMatchLight3DLutFormat()
      : TGenericLutFormat("MatchLight 3D Cube", true, TFormatAccess::ReadOnly) {}

  bool IsFormat(const std::string& path) const override;
  // Loads a 1D & 3D record; a file that ends before its last value is "Incomplete file.".
  // A shaper of 0 entries loads as a plain grid.
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
};

// A graded Hald image read back as a 32-node grid. Read only.
class THaldImage3DLutFormat : public TLUTFormat {
 public:
  THaldImage3DLutFormat() : TLUTFormat("Hald Image", true, TFormatAccess::ReadOnly) {}

  bool IsFormat(const std::string& path) const override;
  // Hald images are written by their own command, not as a format.
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
};

// The 512 x 512 lookup picture of Open Broadcaster Software, as PNG: a 64-node grid in 64
// tiles. A level-8 Hald CLUT has the same shape; detection tells them apart by the pixels.
class TOBS3DLutFormat : public TLUTFormat {
 public:
  TOBS3DLutFormat() : TLUTFormat("OBS 3D", true) {}

  bool IsFormat(const std::string& path) const override;
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  // bits is not used: always 8 bits per channel.
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

// The standard Hald CLUT of levels 2 to 16 (side L^3, L^2 nodes per axis, red fastest),
// recognised by its shape. Levels past 10 are sampled down onto 100 nodes. Written as PNG
// at the level that holds the record's grid size, 16 bits per channel when bits is 16.
class THaldClut3DLutFormat : public TLUTFormat {
 public:
  THaldClut3DLutFormat() : TLUTFormat("Hald CLUT", true) {}

  bool IsFormat(const std::string& path) const override;
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

}  // namespace vorn
