#pragma once
// ASC CDL colour decisions: the ColorCorrections (slope, offset and power per channel and a
// saturation) read from their XML file, and the mapping of a colour through one.

#include <array>
#include <string>
#include <vector>

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

// Every correction of the file in file order: the ColorCorrection at the top of a .cc
// file, those of a ColorCorrectionCollection, or those of the ColorDecisions of a
// ColorDecisionList, where a ColorCorrectionRef stands for the correction of that id in the
// same file. A file without one raises the XML reader's "The \"ColorCorrection\" node is
// not found"; a reference to no correction of the file raises ELUTError.
// A correction needs a SOPNode or a SATNode's Saturation, the one it lacks being an
// identity; without either, and for a SOPNode without Slope, Offset or Power, the XML
// reader's "node is not found" error is raised. A number that does not parse, or does not
// fit a 32-bit float, raises EConvertError. Slope, Offset and Power hold three numbers
// separated by exactly one blank, tab or comma.
std::vector<TCDLData> ReadCDLCorrections(const std::string& path);

// The first correction of the file (ReadCDLCorrections).
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
