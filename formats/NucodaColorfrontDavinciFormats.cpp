#include "formats/NucodaColorfrontDavinciFormats.h"

#include <vector>

#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "platform/Convert.h"

namespace vorn {

namespace {

constexpr TValueLayout kRgbValues{noRedFastest, coRGB, false, false};
constexpr TValueLayout kBgrValues{noRedFastest, coBGR, false, false};
constexpr TLineLayout kRgbLines{noRedFastest, coRGB, ' ', false};
constexpr TLineLayout kBgrLines{noRedFastest, coBGR, ' ', false};

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

}  // namespace

// ---- Nucoda 3D -------------------------------------------------------------------------

bool TNucoda3DLutFormat::IsFormat(const std::string& path) {
  return HasHeaderKeywords(path, "NUCODA_3D_CUBE", "");
}

void TNucoda3DLutFormat::Load(const std::string& path, TLUT& lut) {
  CubeVersion = 0;
  Has1D = Has3D = HasContent = false;
  TGenericLutFormat::Load(path, lut);
}

void TNucoda3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || IsCommentLine(trimmed)) return;
  // Every keyword holds an underscore; value lines are passed on without searching them.
  if (trimmed.find('_') != std::string_view::npos) {
    bool found = false;
    std::string_view rest = TextAfterKeyword(trimmed, "NUCODA_3D_CUBE", found);
    if (found) {
      CubeVersion = IntegerAfterSeparator(rest);
      return;
    }
    rest = TextAfterKeyword(trimmed, "LUT_1D_SIZE", found);
    if (found) {
      SetShaperSize(StrToInt(Trim(rest)), 1);
      Has1D = true;
      return;
    }
    rest = TextAfterKeyword(trimmed, "LUT_3D_SIZE", found);
    if (found) {
      SetGridSize(StrToInt(Trim(rest)));
      Has3D = true;
      return;
    }
  }
  HasContent = true;  // a title line is enough
  TRGB values;
  if (!ParseValues(trimmed, kRgbValues, 1.0, values)) return;
  if (EntryIndex < ShaperSize && CubeVersion == 1) {
    values = {values.R / kNucodaVersion1Divisor, values.G / kNucodaVersion1Divisor,
              values.B / kNucodaVersion1Divisor};
  }
  StoreShaperOrNode(lut, noRedFastest, values);
}

void TNucoda3DLutFormat::FinishLoad(TLUT& lut) {
  if (Has3D || !Has1D) {
    lut.Kind = lk3D;
    lut.Size3D = Size;
  }
  if (Has1D) {
    lut.Kind = Has3D ? lk1DAnd3D : lk1D;
    lut.Size1D = EntryIndex;
  }
  if (!HasContent) throw ELUTError(kIncompleteFile);
  if (!Has1D && !Has3D) {
    throw ELUTError("The file has neither a LUT_1D_SIZE nor a LUT_3D_SIZE line: it holds no LUT.");
  }
  // A grid needs every node (and a shaper before it every entry); a table alone keeps the
  // entries it has.
  const bool whole = Has3D ? Complete && EntryIndex == ShaperSize : EntryIndex > 0;
  if (!whole) throw ELUTError(kIncompleteFile);
}

void TNucoda3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  const int n = GridSizeToWrite(lut);
  TTextFile text;
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
  AddValueLines(text, ramp, kRgbLines, TValueWriter::Fixed(6));
  text.Add("");
  AddGridLines(text, lut, kRgbLines, TValueWriter::Fixed(6));
  text.Save(path);
}

// ---- Colorfront OSD 3D -----------------------------------------------------------------

bool TColorFrontOSD3DLutFormat::IsFormat(const std::string& path) {
  return HasExtension(path, ".3dmesh");
}

void TColorFrontOSD3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty()) return;
  if (Size == -1) SetGridSizeFromValueLines();
  if (IsCommentLine(trimmed)) return;
  ReadGridLine(trimmed, lut, kBgrValues);
}

void TColorFrontOSD3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  TTextFile text;
  AddGridLines(text, lut, kBgrLines, TValueWriter::Fixed(6));
  text.Save(path);
}

// ---- DaVinci DAT 3D --------------------------------------------------------------------

bool TDavinciDat3DLutFormat::IsFormat(const std::string& path) {
  if (HasHeaderKeywords(path, "3DLUTSIZE", "")) return true;
  if (!HasExtension(path, ".dat")) return false;
  TTextFile head;
  head.SetText(ReadFileHead(path, 4096));
  return CountValueLines(head) > 0;
}

void TDavinciDat3DLutFormat::Load(const std::string& path, TLUT& lut) {
  HasSizeKeyword = HasHeaderKeywords(path, "3DLUTSIZE", "");
  TGenericLutFormat::Load(path, lut);
}

void TDavinciDat3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || IsCommentLine(trimmed)) return;
  if (Size == -1) {
    if (HasSizeKeyword) {
      // Lines before the size line are passed over.
      bool found = false;
      const std::string_view rest = TextAfterKeyword(trimmed, "3DLUTSIZE", found);
      if (found) SetGridSize(IntegerAfterSeparator(rest));
      return;
    }
    SetGridSizeFromValueLines();
  }
  ReadGridLine(trimmed, lut, kBgrValues);
}

void TDavinciDat3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  TTextFile text;
  text.Add("3DLUTSIZE " + std::to_string(GridSizeToWrite(lut)));
  text.Add("");
  AddGridLines(text, lut, kBgrLines, TValueWriter::Fixed(6));
  text.Save(path);
}

}  // namespace vorn
