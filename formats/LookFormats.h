#pragma once
// Look files: small XML documents that describe a grading look as a stack of shaders and a
// 3D LUT. The SpeedGrade look carries the grid inside the XML as hexadecimal single-precision
// numbers; the Premiere look (written only) names a Cube 3D file written beside it.

#include <string>

#include "formats/FormatToolkit.h"

namespace vorn {

class TSpeedgradeLook3DLutFormat : public TLUTFormat {
 public:
  TSpeedgradeLook3DLutFormat() : TLUTFormat("Adobe SpeedGrade Look 3D", true) {}

  bool IsFormat(const std::string& path) const override;
  // look/lut/size and look/lut/data. A look without a look/lut element, or with size 0,
  // loads as a LUT without values (lkNone).
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

class TSpeedgradeLook3DLutV2Format : public TLUTFormat {
 public:
  TSpeedgradeLook3DLutV2Format()
      : TLUTFormat("Adobe Primeire Look", true, TFormatAccess::WriteOnly) {}

  bool IsFormat(const std::string&) const override { return false; }
  bool WritesCompanion() const override { return true; }
  // The grid goes to the path with the extension ".cube" (Cube 3D) and the look names it.
  // An existing cube file is replaced only when mayReplace answers true; a false answer
  // writes neither file, and without a question the save fails naming the cube file.
  // With TWriteMode::CreateNew the cube is created exclusively too, unless mayReplace allowed
  // replacing it; a look that cannot be created then takes the new cube away again.
  void SaveAsking(const std::string& path, const TLUT& lut, int bits, TWriteMode mode,
                  const TReplaceQuestion& mayReplace) const override;
  std::vector<std::string> CompanionPaths(const std::string& destination) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
};

}  // namespace vorn
