#pragma once
// ASC CDL files: a ColorCorrection (.cc, and a lone correction in other XML files), a
// ColorCorrectionCollection (.ccc) or a ColorDecisionList (.cdl); one correction is read as a
// 33-node 3D grid. Read only: no output profile writes this format.

#include <string>
#include <vector>

#include "formats/FormatToolkit.h"

namespace vorn {

class TASC_CDL_Format : public TLUTFormat {
 public:
  static constexpr int GridSize = 33;

  TASC_CDL_Format() : TLUTFormat("ASC CDL", true, TFormatAccess::ReadOnly) {}

  // A ColorCorrection with a SOPNode, or with a SATNode holding a Saturation, in the head
  // of the file, or a ColorCorrectionCollection or ColorDecisionList element at its top.
  bool IsFormat(const std::string& path) const override;
  // The correction the context's member chooses (the first by default) applied to every
  // node; the comment "Name: " + its id and, for a file of several, one comment per
  // correction ("Correction 2 of 3: id cc0002").
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  // The corrections of the file with their ids.
  std::vector<TLutMember> ListMembers(const std::string& path) const override;
};

}  // namespace vorn
