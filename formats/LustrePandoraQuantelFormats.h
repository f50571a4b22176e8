#pragma once
// 3D grids of integer codes whose range the file declares in a header line, with the blue
// index varying fastest: Autodesk Lustre ("Mesh" line: input and output bits), Pandora and
// Technicolor ("in " node count and "out " code count, an index column) and Quantel
// ("vertices" and "max value"). None of them keeps comments.

#include <string>
#include <string_view>

#include "core/LUTFormat.h"

namespace vorn {

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat("Autodesk Lustre 3D", true) {}

  bool IsFormat(const std::string& path) override;
  // Writes 2, 3, 5, 9, 17, 33 or 65 nodes per axis, the sizes a "Mesh" line can state.
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  void ParseLine(std::string_view line, TLUT& lut) override;

 private:
  void ReadMeshLine(std::string_view afterKeyword);
};

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat("Pandora 3D, Technicolor", true) {}

  bool IsFormat(const std::string& path) override;
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat("Quantel 3D", true) {}

  bool IsFormat(const std::string& path) override;
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  void ParseLine(std::string_view line, TLUT& lut) override;
};

}  // namespace vorn
