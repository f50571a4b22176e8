#include "formats/CubeFormats.h"

#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "platform/Convert.h"

namespace vorn {

namespace {

constexpr double kPanasonicTopCode = 4095.0;
constexpr TValueLayout kCubeValues{noRedFastest, coRGB, false, false};
constexpr TLineLayout kCubeLines{noRedFastest, coRGB, ' ', false};

void AddSizeLine(TTextFile& text, int n) {
  text.Add("LUT_3D_SIZE " + std::to_string(n));
}

}  // namespace

// ---- Cube 3D ---------------------------------------------------------------------------

bool TCube3DLutFormat::IsFormat(const std::string& path) {
  if (HasExtension(path, ".vlt")) return false;
  return HasHeaderKeywords(path, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION");
}

void TCube3DLutFormat::ParseHeaderLine(std::string_view line, TLUT& lut) {
  std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed)) {
    lut.Comments.emplace_back(CommentText(trimmed));
    return;
  }
  static constexpr std::string_view kShaperKeyword = "LUT_1D_SIZE";
  bool found = false;
  const std::string_view size = TextAfterKeyword(line, "LUT_3D_SIZE", found);
  if (found) {
    SetGridSize(StrToInt(Trim(size)));
  } else if (PosNoCase(kShaperKeyword, trimmed) == 1) {
    // A shaper size that is not a usable number leaves the line ignored, as other keyword
    // lines are; one too large for the table cannot be read.
    std::int32_t entries = 0;
    if (!TryStrToInt(Trim(trimmed.substr(kShaperKeyword.size())), entries) || entries < 2) return;
    SetShaperSize(entries);
  }
}

void TCube3DLutFormat::ParseValueLine(std::string_view line, TLUT& lut, double divisor) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty()) return;
  if (Size == -1) {
    ParseHeaderLine(line, lut);
    return;
  }
  if (Complete || IsCommentLine(trimmed)) return;
  TRGB values;
  if (!ParseValues(trimmed, kCubeValues, divisor, values)) return;
  StoreShaperOrNode(lut, noRedFastest, values);
}

void TCube3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  ParseValueLine(line, lut, 1.0);
}

void TCube3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  AddSizeLine(text, GridSizeToWrite(lut));
  AddGridLines(text, lut, kCubeLines, TValueWriter::Fixed(6));
  text.Save(path);
}

// ---- Cube 3D Truelight -----------------------------------------------------------------

bool TCube3DTruelightLutFormat::IsFormat(const std::string& path) {
  return HasHeaderKeywords(path, "iDims,oDims,width", "NUCODA_3D_CUBE");
}

void TCube3DTruelightLutFormat::ParseHeaderLine(std::string_view line, TLUT&) {
  bool found = false;
  const std::string_view rest = Trim(TextAfterKeyword(line, "# width", found));
  if (!found) return;
  // The width line repeats the size three times; the first number counts.
  SetGridSize(StrToInt(rest.substr(0, rest.find_first_of(" \t"))));
}

void TCube3DTruelightLutFormat::PrepareText(TTextFile&) {
  Section_ = TSection::Grid;
  ShaperLength_ = -1;
}

void TCube3DTruelightLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty()) return;
  if (Size == -1) {
    ParseHeaderLine(line, lut);
    if (IsCommentLine(trimmed)) ParseSectionLine(trimmed);
    return;
  }
  if (IsCommentLine(trimmed)) {
    ParseSectionLine(trimmed);
    return;
  }
  TRGB values;
  if (Complete || !ParseValues(trimmed, kCubeValues, 1.0, values)) return;
  // Without a "# Cube" line the values after a full shaper belong to the grid.
  const bool shaperFull = ShaperLength_ >= 0 && EntryIndex >= ShaperLength_;
  if (Section_ == TSection::InputLUT && !shaperFull) {
    StoreShaperEntry(lut, values);
  } else {
    StoreNode(lut, noRedFastest, values);
  }
}

// "# lutLength", "# InputLUT" and "# Cube"; other comments say nothing here.
void TCube3DTruelightLutFormat::ParseSectionLine(std::string_view comment) {
  const std::string_view text = CommentText(comment);
  bool found = false;
  const std::string_view length = Trim(TextAfterKeyword(text, "lutLength", found));
  if (found) {
    std::int32_t entries = 0;
    ShaperLength_ =
        TryStrToInt(length.substr(0, length.find_first_of(" \t")), entries) && entries >= 2
            ? entries
            : -1;
    if (ShaperLength_ > TLUT::MaxTableEntries) SetShaperSize(ShaperLength_);  // refused
  } else if (PosNoCase("InputLUT", text) == 1) {
    Section_ = TSection::InputLUT;
  } else if (PosNoCase("Cube", text) == 1 && text.size() == 4) {
    if (Section_ == TSection::InputLUT && ShaperLength_ >= 0 && EntryIndex < ShaperLength_) {
      throw ELUTError(kIncompleteFile);
    }
    Section_ = TSection::Grid;
  }
}

// Shaper values are grid indices (0 to width - 1): stored as the grid's input, 0 to 1.
void TCube3DTruelightLutFormat::StoreShaperEntry(TLUT& lut, const TRGB& values) {
  SetShaperSize(EntryIndex + 1);
  const double top = Size > 1 ? Size - 1.0 : 1.0;
  lut.SetEntry(EntryIndex++, {values.R / top, values.G / top, values.B / top});
}

void TCube3DTruelightLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  const std::string size = std::to_string(GridSizeToWrite(lut));
  TTextFile text;
  text.Add("# Truelight Cube v2.0");
  text.Add("# iDims     3");
  text.Add("# oDims     3");
  text.Add("# width     " + size + " " + size + " " + size);
  text.Add("");
  text.Add("# Cube");
  AddGridLines(text, lut, kCubeLines, TValueWriter::Fixed(6));
  text.Add("# end");
  text.Add(kConvertedBy);
  text.Save(path);
}

// ---- FSI CFE ---------------------------------------------------------------------------

bool TFSI_CFE_3DLutFormat::IsFormat(const std::string& path) {
  return HasHeaderKeywords(path, "LUT_3D_SIZE,LUT_3D_VERSION", "NUCODA_3D_CUBE");
}

void TFSI_CFE_3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  TTextFile text;
  text.Add("LUT_3D_AUTHOR Vorn LUT Converter");
  text.Add("LUT_3D_MODEL CM240");
  text.Add("LUT_3D_VERSION 2.0.0");
  AddSizeLine(text, GridSizeToWrite(lut));
  text.Add("");
  AddGridLines(text, lut, kCubeLines, TValueWriter::Fixed(6));
  text.Save(path);
}

// ---- Panasonic 3D ----------------------------------------------------------------------

bool TPanasonic3DLutFormat::IsFormat(const std::string& path) {
  if (!HasHeaderKeywords(path, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION")) return false;
  return HasExtension(path, ".vlt");
}

void TPanasonic3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  ParseValueLine(line, lut, kPanasonicTopCode);
}

void TPanasonic3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  AddSizeLine(text, GridSizeToWrite(lut));
  text.Add("");
  // Codes are not clamped: values outside [0, 1] give codes outside 0..4095.
  AddGridLines(text, lut, kCubeLines, TValueWriter::Code(kPanasonicTopCode));
  text.Save(path);
}

}  // namespace vorn
