#include "formats/ASCCDLFormat.h"

#include "formats/CDLLib.h"

namespace vorn {

namespace {

// The correction the choice names: by id first, then by its 1-based index.
std::size_t ChosenCorrection(const std::vector<TCDLData>& corrections,
                             const TLutMemberChoice& choice) {
  if (!choice.Id.empty()) {
    for (std::size_t i = 0; i < corrections.size(); ++i) {
      if (corrections[i].Id == choice.Id) return i;
    }
  }
  if (choice.Index > 0 && static_cast<std::size_t>(choice.Index) <= corrections.size()) {
    return static_cast<std::size_t>(choice.Index) - 1;
  }
  if (choice.IsFirst()) return 0;
  const std::string named = choice.Id.empty() ? std::to_string(choice.Index) : choice.Id;
  throw ELUTError("The file holds no correction \"" + named + "\": its " +
                  std::to_string(corrections.size()) +
                  (corrections.size() == 1 ? " correction is" : " corrections are") +
                  " chosen by id or by number from 1.");
}

std::string CorrectionLine(const std::vector<TCDLData>& corrections, std::size_t i) {
  const std::string id = corrections[i].Id.empty() ? "no id" : "id " + corrections[i].Id;
  return "Correction " + std::to_string(i + 1) + " of " + std::to_string(corrections.size()) +
         ": " + id;
}

void FillGrid(const TCDLData& cdl, TLUT& lut) {
  constexpr int kSize = TASC_CDL_Format::GridSize;
  lut.Kind = lk3D;
  lut.Size3D = kSize;
  lut.ReserveGrid(kSize);
  // The power is the costly step and depends on one channel's input only: it is taken once
  // per channel and grid index, and only the saturation runs per node.
  constexpr float kTop = static_cast<float>(kSize - 1);
  float powered[3][kSize];
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < kSize; ++i) {
      powered[c][i] = ApplySlopeOffsetPower(cdl.Channels[c], static_cast<float>(i) / kTop);
    }
  }
  for (int r = 0; r < kSize; ++r) {
    for (int g = 0; g < kSize; ++g) {
      for (int b = 0; b < kSize; ++b) {
        float out[3] = {powered[0][r], powered[1][g], powered[2][b]};
        ApplySaturation(cdl.Saturation, out[0], out[1], out[2]);
        lut.SetNode(r, g, b, {out[0], out[1], out[2]});
      }
    }
  }
}

}  // namespace

bool TASC_CDL_Format::IsFormat(const std::string& path) const {
  if (HasHeaderLines(path, {{.Keyword = "<ColorCorrection", .Place = TKeywordPlace::XmlTag},
                            {.Keyword = "<SOPNode", .Place = TKeywordPlace::XmlTag}})) {
    return true;
  }
  // A saturation alone is a whole correction, whatever else the correction holds (elements
  // of other names, which are passed over).
  if (HasHeaderLines(path, {{.Keyword = "<ColorCorrection", .Place = TKeywordPlace::XmlTag},
                            {.Keyword = "<SATNode", .Place = TKeywordPlace::XmlTag},
                            {.Keyword = "<Saturation", .Place = TKeywordPlace::XmlTag}})) {
    return true;
  }
  // A list or a collection is claimed by its root alone: its first corrections may hold a
  // saturation only, or stand past the head.
  for (const char* root : {"<ColorCorrectionCollection", "<ColorDecisionList"}) {
    if (HasHeaderLines(path, {{.Keyword = root, .Place = TKeywordPlace::XmlTag}})) return true;
  }
  return false;
}

void TASC_CDL_Format::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  const std::vector<TCDLData> corrections = ReadCDLCorrections(path);
  const std::size_t chosen = ChosenCorrection(corrections, context.Member);
  lut.Comments.push_back("Name: " + corrections[chosen].Id);
  if (corrections.size() > 1) {
    for (std::size_t i = 0; i < corrections.size(); ++i) {
      lut.Comments.push_back(CorrectionLine(corrections, i) + (i == chosen ? " (loaded)" : ""));
    }
  }
  FillGrid(corrections[chosen], lut);
}

std::vector<TLutMember> TASC_CDL_Format::ListMembers(const std::string& path) const {
  const std::vector<TCDLData> corrections = ReadCDLCorrections(path);
  std::vector<TLutMember> members;
  members.reserve(corrections.size());
  for (std::size_t i = 0; i < corrections.size(); ++i) {
    members.push_back({static_cast<std::int32_t>(i + 1), corrections[i].Id});
  }
  return members;
}

}  // namespace vorn
