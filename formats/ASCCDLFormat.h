#pragma once
// ASC CDL ColorCorrection files (.cc, and a lone correction in other XML files), read as a
// 33-node 3D grid. Read only: no output profile writes this format.

#include <string>

#include "core/LUTFormat.h"

namespace vorn {

class TASC_CDL_Format : public TGenericLutFormat {
 public:
  static constexpr int GridSize = 33;

  TASC_CDL_Format() : TGenericLutFormat("ASC CDL", true) {}

  // A ColorCorrection with a SOPNode in the head of the file, and no collection of them.
  bool IsFormat(const std::string& path) override;
  // The decision applied to every node; the comment "Name: " + the correction's id.
  void Load(const std::string& path, TLUT& lut) override;
  // Writes nothing.
  void Save(const std::string& path, const TLUT& lut, int bits) override;
};

}  // namespace vorn
