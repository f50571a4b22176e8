#include "formats/CDLLib.h"

#include <cmath>
#include <limits>
#include <string_view>

#include "core/TextTools.h"
#include "formats/XMLNode.h"
#include "platform/Convert.h"
#include "platform/Exception.h"

namespace vorn {

namespace {

float ToSingle(double value, std::string_view text) {
  if (std::fabs(value) > std::numeric_limits<float>::max()) {
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  }
  return static_cast<float>(value);
}

// Three numbers, each cut off at the next blank, tab or comma; the third is the rest.
std::array<float, 3> ReadTriple(const TXMLNode& node) {
  std::string_view rest = Trim(node.Value.AsString());
  std::array<float, 3> values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string_view piece = i + 1 < values.size() ? NextToken(rest) : rest;
    values[i] = ToSingle(StrToFloat(piece), piece);
  }
  return values;
}

}  // namespace

void ReadCDLFile(const std::string& path, TCDLData& cdl) {
  TXMLNode document;
  document.LoadFromFile(path);
  const TXMLNode& correction = document.FindChild("ColorCorrection");
  TCDLData read;
  if (const TXMLValue* id = correction.Attributes.Find("id")) read.Id = id->AsString();
  const TXMLNode& sop = correction.FindChild("SOPNode");
  const std::array<float, 3> slope = ReadTriple(sop.FindChild("Slope"));
  const std::array<float, 3> offset = ReadTriple(sop.FindChild("Offset"));
  const std::array<float, 3> power = ReadTriple(sop.FindChild("Power"));
  for (std::size_t c = 0; c < 3; ++c) read.Channels[c] = {slope[c], offset[c], power[c]};
  if (const TXMLNode* sat = correction.ChildByName("SATNode")) {
    if (const TXMLNode* saturation = sat->ChildByName("Saturation")) {
      read.Saturation = ToSingle(saturation->Value.AsFloat(), saturation->Value.AsString());
    }
  }
  cdl = std::move(read);
}

float ApplySlopeOffsetPower(const TCDLChannel& channel, float in) {
  const float scaled = in * channel.Slope;
  const float x = scaled + channel.Offset;
  if (!(x > 0.0f)) return 0.0f;
  return static_cast<float>(
      std::pow(static_cast<long double>(x), static_cast<long double>(channel.Power)));
}

void ApplySaturation(float saturation, float& r, float& g, float& b) {
  const float sum = r + g + b;
  const float mean = sum / 3.0f;
  const float rest = 1.0f - saturation;
  const float greyPart = rest * mean;
  auto mix = [&](float c) {
    const float kept = c * saturation;
    return kept + greyPart;
  };
  r = mix(r);
  g = mix(g);
  b = mix(b);
}

void ApplyCDL(const TCDLData& cdl, float inR, float inG, float inB, float& outR, float& outG,
              float& outB) {
  outR = ApplySlopeOffsetPower(cdl.Channels[0], inR);
  outG = ApplySlopeOffsetPower(cdl.Channels[1], inG);
  outB = ApplySlopeOffsetPower(cdl.Channels[2], inB);
  ApplySaturation(cdl.Saturation, outR, outG, outB);
}

}  // namespace vorn
