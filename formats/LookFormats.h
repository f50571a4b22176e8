#pragma once
// Look files: small XML documents that describe a grading look as a stack of shaders and a
// 3D LUT. The SpeedGrade look carries the grid inside the XML as hexadecimal single-precision
// numbers; the Premiere look (written only) names a Cube 3D file written beside it.

#include <string>

#include "core/LUTFormat.h"

namespace vorn {

class TSpeedgradeLook3DLutFormat : public TGenericLutFormat {
 public:
  TSpeedgradeLook3DLutFormat() : TGenericLutFormat("Adobe SpeedGrade Look 3D", true) {}

  bool IsFormat(const std::string& path) override;
  // look/lut/size and look/lut/data. A look without a look/lut element, or with size 0,
  // loads as a LUT without values (lkNone).
  void Load(const std::string& path, TLUT& lut) override;
  void Save(const std::string& path, const TLUT& lut, int bits) override;
};

class TSpeedgradeLook3DLutV2Format : public TGenericLutFormat {
 public:
  TSpeedgradeLook3DLutV2Format() : TGenericLutFormat("Adobe Primeire Look", true) {}

  bool IsFormat(const std::string&) override { return false; }
  bool CanRead() const override { return false; }
  void Load(const std::string&, TLUT&) override {}
  // The grid goes to the path with the extension ".cube" (Cube 3D) and the look names it.
  // An existing cube file is replaced only when mayReplace answers true; a false answer
  // writes neither file, and without a question the save fails naming the cube file.
  void SaveAsking(const std::string& path, const TLUT& lut, int bits,
                  const TReplaceQuestion& mayReplace) override;
  void Save(const std::string& path, const TLUT& lut, int bits) override;
  bool WritesCompanion() const override { return true; }
};

}  // namespace vorn
