#pragma once
// The Nuke vector field (.vf), read only: "#Inventor V2.1 ascii", "grid_size n n n",
// "global_transform" with the 16 numbers of a 4x4 matrix, "data", then one "R G B" line per
// node with the blue index varying fastest. The matrix transforms the inputs before the grid,
// as Nuke writes it: divided by the grid's size (the matrix of a grid over [0, 1] is
// 1 / n on the diagonal). A matrix that scales each channel alone is read as the grid's
// domain; one that mixes or moves the channels is refused by name.

#include <memory>
#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

class TNukeVectorFieldFormat : public TGenericLutFormat {
 public:
  TNukeVectorFieldFormat() : TGenericLutFormat("Nuke vf 3D", true, TFormatAccess::ReadOnly) {}

  bool IsFormat(const std::string& path) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 private:
  struct TVfLoad;
  void ParseHeaderLine(TVfLoad& load, std::string_view trimmed, TLUT& lut) const;
};

}  // namespace vorn
