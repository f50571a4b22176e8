#pragma once
// 3D grids of integer codes whose range the file declares in a header line, with the blue
// index varying fastest: Autodesk Lustre ("Mesh" line: input and output bits), Pandora and
// Technicolor ("in " node count and "out " code count, an index column) and Quantel
// ("vertices" and "max value"). None of them keeps comments.

#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat("Autodesk Lustre 3D", true) {}

  bool IsFormat(const std::string& path) const override;
  // Writes 2, 3, 5, 9, 17, 33 or 65 nodes per axis, the sizes a "Mesh" line can state.
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  bool NeedsWholeText() const override { return false; }

 private:
  void ReadMeshLine(TLoadState& load, std::string_view afterKeyword) const;
};

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat("Pandora 3D, Technicolor", true) {}

  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat("Quantel 3D", true) {}

  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
};

}  // namespace vorn
