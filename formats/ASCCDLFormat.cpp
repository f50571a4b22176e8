#include "formats/ASCCDLFormat.h"

#include "formats/CDLLib.h"

namespace vorn {

bool TASC_CDL_Format::IsFormat(const std::string& path) const {
  return HasHeaderLines(
      path,
      {{.Keyword = "<ColorCorrection", .Place = TKeywordPlace::XmlTag},
       {.Keyword = "<SOPNode", .Place = TKeywordPlace::XmlTag}},
      {{.Keyword = "<ColorCorrectionCollection", .Place = TKeywordPlace::XmlTag}});
}

void TASC_CDL_Format::Load(const std::string& path, TLUT& lut, TLoadContext&) const {
  TCDLData cdl;
  ReadCDLFile(path, cdl);
  lut.Comments.push_back("Name: " + cdl.Id);
  lut.Kind = lk3D;
  lut.Size3D = GridSize;
  lut.ReserveGrid(GridSize);
  // The power is the costly step and depends on one channel's input only: it is taken once
  // per channel and grid index, and only the saturation runs per node.
  constexpr float kTop = static_cast<float>(GridSize - 1);
  float powered[3][GridSize];
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < GridSize; ++i) {
      powered[c][i] = ApplySlopeOffsetPower(cdl.Channels[c], static_cast<float>(i) / kTop);
    }
  }
  for (int r = 0; r < GridSize; ++r) {
    for (int g = 0; g < GridSize; ++g) {
      for (int b = 0; b < GridSize; ++b) {
        float out[3] = {powered[0][r], powered[1][g], powered[2][b]};
        ApplySaturation(cdl.Saturation, out[0], out[1], out[2]);
        lut.SetNode(r, g, b, {out[0], out[1], out[2]});
      }
    }
  }
}

}  // namespace vorn
