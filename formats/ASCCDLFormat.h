#pragma once
// ASC CDL ColorCorrection files (.cc, and a lone correction in other XML files), read as a
// 33-node 3D grid. Read only: no output profile writes this format.

#include <string>

#include "formats/FormatToolkit.h"

namespace vorn {

class TASC_CDL_Format : public TLUTFormat {
 public:
  static constexpr int GridSize = 33;

  TASC_CDL_Format() : TLUTFormat("ASC CDL", true, TFormatAccess::ReadOnly) {}

  // A ColorCorrection with a SOPNode in the head of the file, and no collection of them.
  bool IsFormat(const std::string& path) const override;
  // The decision applied to every node; the comment "Name: " + the correction's id.
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
};

}  // namespace vorn
