#include "formats/NucodaColorfrontDavinciFormats.h"

#include <vector>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

constexpr TValueLayout kRgbValues{.Order = noRedFastest, .Channels = coRGB};
constexpr TValueLayout kBgrValues{.Order = noRedFastest, .Channels = coBGR};

// The Nucoda writer's shaper: 4096 entries rising from 0 to just under 33, which a version 1
// file divides by 33 when it is read.
constexpr int kNucodaShaperLines = 4096;
constexpr double kNucodaShaperTop = 32.999999;
constexpr double kNucodaVersion1Divisor = 33.0;

// The integer that starts one character after a keyword (that character is taken as its
// separator, whatever it is), trimmed.
std::int32_t IntegerAfterSeparator(std::string_view afterKeyword) {
  return StrToInt(Trim(afterKeyword.substr(afterKeyword.empty() ? 0 : 1)));
}

bool HasDatSizeLine(const std::string& path) {
  return HasHeaderLines(path, {{.Keyword = "3DLUTSIZE", .Value = TKeywordValue::Word}});
}

}  // namespace

// ---- Nucoda 3D -------------------------------------------------------------------------

bool TNucoda3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "NUCODA_3D_CUBE", .Value = TKeywordValue::Word}});
}

struct TNucoda3DLutFormat::TNucodaLoad : TLoadState {
  using TLoadState::TLoadState;
  // The number after "NUCODA_3D_CUBE"; 0 until that line is read.
  std::int32_t CubeVersion = 0;
  bool Has1D = false;  // a "LUT_1D_SIZE" line was read
  bool Has3D = false;  // a "LUT_3D_SIZE" line was read
  // A line other than blanks, comments and the three keyword lines was read.
  bool HasContent = false;
};

std::unique_ptr<TLoadState> TNucoda3DLutFormat::NewLoadState(const std::string&,
                                                             std::int32_t inputBits) const {
  return std::make_unique<TNucodaLoad>(inputBits);
}

void TNucoda3DLutFormat::ParseLine(TLoadState& state, std::string_view line, TLUT& lut) const {
  auto& load = static_cast<TNucodaLoad&>(state);
  const std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed)) return;
  // Every keyword holds an underscore; value lines are passed on without searching them.
  if (trimmed.find('_') != std::string_view::npos) {
    bool found = false;
    std::string_view rest = TextAfterKeyword(trimmed, "NUCODA_3D_CUBE", found);
    if (found) {
      load.CubeVersion = IntegerAfterSeparator(rest);
      return;
    }
    rest = TextAfterKeyword(trimmed, "LUT_1D_SIZE", found);
    if (found) {
      load.SetShaperSize(StrToInt(Trim(rest)), 1);
      load.Has1D = true;
      return;
    }
    rest = TextAfterKeyword(trimmed, "LUT_3D_SIZE", found);
    if (found) {
      load.SetGridSize(StrToInt(Trim(rest)));
      load.Has3D = true;
      return;
    }
  }
  load.HasContent = true;  // a title line is enough
  TRGB values;
  if (!ParseValues(trimmed, kRgbValues, 1.0, values)) return;
  if (load.EntryIndex < load.ShaperSize && load.CubeVersion == 1) {
    values = {values.R / kNucodaVersion1Divisor, values.G / kNucodaVersion1Divisor,
              values.B / kNucodaVersion1Divisor};
  }
  load.StoreShaperOrNode(lut, noRedFastest, values);
}

void TNucoda3DLutFormat::FinishLoad(TLoadState& state, TLUT& lut) const {
  const auto& load = static_cast<const TNucodaLoad&>(state);
  if (load.Has3D || !load.Has1D) {
    lut.Kind = lk3D;
    lut.Size3D = load.Size;
  }
  if (load.Has1D) {
    lut.Kind = load.Has3D ? lk1DAnd3D : lk1D;
    lut.Size1D = load.EntryIndex;
  }
  if (!load.HasContent) throw ELUTError(load.IncompleteMessage(true));
  if (!load.Has1D && !load.Has3D) {
    throw ELUTError("The file has neither a LUT_1D_SIZE nor a LUT_3D_SIZE line: it holds no LUT.");
  }
  // A grid needs every node (and a shaper before it every entry); a table alone keeps the
  // entries it has.
  const bool whole =
      load.Has3D ? load.Complete && load.EntryIndex == load.ShaperSize : load.EntryIndex > 0;
  if (!whole) throw ELUTError(load.IncompleteMessage(load.Has3D));
}

void TNucoda3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                               TWriteMode mode) const {
  const int n = GridSizeToWrite(lut);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("NUCODA_3D_CUBE 1");
  text.Add("");
  text.Add("TITLE \"" + FileTitle(path) + "\"");
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(kNucodaShaperLines));
  text.Add("LUT_3D_SIZE " + std::to_string(n));
  text.Add("");
  std::vector<TRGB> ramp(kNucodaShaperLines);
  for (int i = 0; i < kNucodaShaperLines; ++i) {
    const double value = i / static_cast<double>(kNucodaShaperLines - 1) * kNucodaShaperTop;
    ramp[static_cast<std::size_t>(i)] = {value, value, value};
  }
  AddValueLines(text, ramp, kRgbValues, TValueWriter::Fixed(6));
  text.Add("");
  AddGridLines(text, lut, kRgbValues, TValueWriter::Fixed(6));
  text.Save(path, mode);
}

// ---- Colorfront OSD 3D -----------------------------------------------------------------

bool TColorFrontOSD3DLutFormat::IsFormat(const std::string& path) const {
  return HasExtension(path, ".3dmesh");
}

void TColorFrontOSD3DLutFormat::ParseLine(TLoadState& load, std::string_view line,
                                          TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  if (load.Size == -1) load.SetGridSizeFromValueLines();
  if (IsCommentLine(trimmed)) return;
  load.ReadGridLine(trimmed, lut, kBgrValues);
}

void TColorFrontOSD3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                      TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  AddGridLines(text, lut, kBgrValues, TValueWriter::Fixed(6));
  text.Save(path, mode);
}

// ---- DaVinci DAT 3D --------------------------------------------------------------------

bool TDavinciDat3DLutFormat::IsFormat(const std::string& path) const {
  if (HasDatSizeLine(path)) return true;
  if (!HasExtension(path, ".dat")) return false;
  TTextFile head;
  head.SetText(ReadFileHead(path, 4096));
  return CountValueLines(head) > 0;
}

struct TDavinciDat3DLutFormat::TDatLoad : TLoadState {
  TDatLoad(std::int32_t inputBits, bool hasSizeKeyword)
      : TLoadState(inputBits), HasSizeKeyword(hasSizeKeyword) {}
  // The first 4096 bytes of the file name "3DLUTSIZE": the size comes from that line instead
  // of the number of value lines.
  const bool HasSizeKeyword;
};

std::unique_ptr<TLoadState> TDavinciDat3DLutFormat::NewLoadState(const std::string& path,
                                                                 std::int32_t inputBits) const {
  return std::make_unique<TDatLoad>(inputBits, HasDatSizeLine(path));
}

void TDavinciDat3DLutFormat::ParseLine(TLoadState& state, std::string_view line, TLUT& lut) const {
  auto& load = static_cast<TDatLoad&>(state);
  const std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed)) return;
  if (load.Size == -1) {
    if (load.HasSizeKeyword) {
      // Lines before the size line are passed over.
      bool found = false;
      const std::string_view rest = TextAfterKeyword(trimmed, "3DLUTSIZE", found);
      if (found) load.SetGridSize(IntegerAfterSeparator(rest));
      return;
    }
    load.SetGridSizeFromValueLines();
  }
  load.ReadGridLine(trimmed, lut, kBgrValues);
}

void TDavinciDat3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                   TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("3DLUTSIZE " + std::to_string(GridSizeToWrite(lut)));
  text.Add("");
  AddGridLines(text, lut, kBgrValues, TValueWriter::Fixed(6));
  text.Save(path, mode);
}

}  // namespace vorn
