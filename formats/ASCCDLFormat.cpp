#include "formats/ASCCDLFormat.h"

#include "formats/CDLLib.h"

namespace vorn {

bool TASC_CDL_Format::IsFormat(const std::string& path) {
  return HasHeaderKeywords(path, "<ColorCorrection,<SOPNode>", "<ColorCorrectionCollection");
}

void TASC_CDL_Format::Load(const std::string& path, TLUT& lut) {
  TCDLData cdl;
  ReadCDLFile(path, cdl);
  lut.Comments.push_back("Name: " + cdl.Id);
  lut.Kind = lk3D;
  lut.Size3D = GridSize;
  constexpr float kTop = static_cast<float>(GridSize - 1);
  for (int r = 0; r < GridSize; ++r) {
    for (int g = 0; g < GridSize; ++g) {
      for (int b = 0; b < GridSize; ++b) {
        float out[3];
        ApplyCDL(cdl, static_cast<float>(r) / kTop, static_cast<float>(g) / kTop,
                 static_cast<float>(b) / kTop, out[0], out[1], out[2]);
        lut.SetNode(r, g, b, {out[0], out[1], out[2]});
      }
    }
  }
}

void TASC_CDL_Format::Save(const std::string&, const TLUT&, int) {}

}  // namespace vorn
