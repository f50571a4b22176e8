#include "formats/CDLLib.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

#include "core/LUTFormat.h"
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

namespace {

bool IsNamed(const TXMLNode& node, std::string_view name) {
  return UpperCase(node.Name) == UpperCase(name);
}

std::string IdOf(const TXMLNode& node, std::string_view attribute) {
  const TXMLValue* id = node.Attributes.Find(attribute);
  return id != nullptr ? id->AsString() : std::string();
}

TCDLData ReadCorrection(const TXMLNode& correction) {
  TCDLData read;
  read.Id = IdOf(correction, "id");
  const TXMLNode* sat = correction.ChildByName("SATNode");
  const TXMLNode* saturation = sat != nullptr ? sat->ChildByName("Saturation") : nullptr;
  // A saturation alone is a whole correction; otherwise the SOPNode is required.
  if (saturation == nullptr || correction.HasChild("SOPNode")) {
    const TXMLNode& sop = correction.FindChild("SOPNode");
    const std::array<float, 3> slope = ReadTriple(sop.FindChild("Slope"));
    const std::array<float, 3> offset = ReadTriple(sop.FindChild("Offset"));
    const std::array<float, 3> power = ReadTriple(sop.FindChild("Power"));
    for (std::size_t c = 0; c < 3; ++c) read.Channels[c] = {slope[c], offset[c], power[c]};
  }
  if (saturation != nullptr) {
    read.Saturation = ToSingle(saturation->Value.AsFloat(), saturation->Value.AsString());
  }
  return read;
}

// A ColorDecision's correction; for a ColorCorrectionRef a place kept for the correction it
// names, noted in refs.
void ReadDecision(const TXMLNode& decision, std::vector<TCDLData>& corrections,
                  std::vector<std::pair<std::size_t, std::string>>& refs) {
  if (const TXMLNode* correction = decision.ChildByName("ColorCorrection")) {
    corrections.push_back(ReadCorrection(*correction));
  } else if (const TXMLNode* ref = decision.ChildByName("ColorCorrectionRef")) {
    refs.emplace_back(corrections.size(), IdOf(*ref, "ref"));
    corrections.emplace_back();
  }
}

void ResolveRefs(std::vector<TCDLData>& corrections,
                 const std::vector<std::pair<std::size_t, std::string>>& refs) {
  for (const auto& [position, refId] : refs) {
    const std::string& id = refId;  // clang before 16 cannot capture a structured binding
    const auto named = std::find_if(corrections.begin(), corrections.end(),
                                    [&](const auto& c) { return !c.Id.empty() && c.Id == id; });
    if (named == corrections.end()) {
      throw ELUTError("The ColorCorrectionRef \"" + id +
                      "\" names no ColorCorrection of this file.");
    }
    corrections[position] = *named;
  }
}

}  // namespace

std::vector<TCDLData> ReadCDLCorrections(const std::string& path) {
  TXMLNode document;
  document.LoadFromFile(path);
  std::vector<TCDLData> corrections;
  std::vector<std::pair<std::size_t, std::string>> refs;
  for (std::size_t i = 0; i < document.ChildCount(); ++i) {
    const TXMLNode& root = document.Child(i);
    if (IsNamed(root, "ColorCorrection")) {
      corrections.push_back(ReadCorrection(root));
      break;
    }
    const bool collection = IsNamed(root, "ColorCorrectionCollection");
    if (!collection && !IsNamed(root, "ColorDecisionList")) continue;
    for (std::size_t k = 0; k < root.ChildCount(); ++k) {
      const TXMLNode& child = root.Child(k);
      if (collection && IsNamed(child, "ColorCorrection")) {
        corrections.push_back(ReadCorrection(child));
      } else if (!collection && IsNamed(child, "ColorDecision")) {
        ReadDecision(child, corrections, refs);
      }
    }
    break;
  }
  // A collection or list without corrections is as empty as a file without one, even when a
  // lone correction follows it.
  if (corrections.empty()) throw Exception("The \"ColorCorrection\" node is not found");
  ResolveRefs(corrections, refs);
  return corrections;
}

void ReadCDLFile(const std::string& path, TCDLData& cdl) {
  cdl = ReadCDLCorrections(path).front();
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
