#pragma once
// ASC CDL colour decisions: one ColorCorrection (slope, offset and power per channel and a
// saturation) read from its XML file, and the mapping of a colour through it.

#include <array>
#include <string>

namespace vorn {

struct TCDLChannel {
  float Slope = 1.0f;
  float Offset = 0.0f;
  float Power = 1.0f;
};

struct TCDLData {
  std::array<TCDLChannel, 3> Channels;  // red, green, blue
  float Saturation = 1.0f;              // 1 when the file gives none
  std::string Id;                       // the ColorCorrection's "id" attribute
};

// Reads the ColorCorrection element at the top of the file. A missing ColorCorrection,
// SOPNode, Slope, Offset or Power raises the XML reader's "node is not found" error; a
// number that does not parse, or does not fit a 32-bit float, raises EConvertError.
// Slope, Offset and Power hold three numbers separated by exactly one blank, tab or comma.
void ReadCDLFile(const std::string& path, TCDLData& cdl);

// out = (in x slope + offset) ^ power per channel (0 where the base is not above 0), then
// mixed with the plain average of the three channels by the saturation. Every step is
// rounded to a 32-bit float; the power is taken in extended precision first. Nothing is
// clamped.
void ApplyCDL(const TCDLData& cdl, float inR, float inG, float inB, float& outR, float& outG,
              float& outB);

// The two steps of ApplyCDL: slope, offset and power on one channel, then the saturation
// on a colour.
float ApplySlopeOffsetPower(const TCDLChannel& channel, float in);
void ApplySaturation(float saturation, float& r, float& g, float& b);

}  // namespace vorn
