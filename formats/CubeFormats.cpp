#include "formats/CubeFormats.h"

#include <charconv>
#include <cmath>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

// The keyword that begins trimmed (any case), followed by a blank.
bool StartsWithKeyword(std::string_view trimmed, std::string_view keyword) {
  return trimmed.size() > keyword.size() && PosNoCase(keyword, trimmed) == 1 &&
         (trimmed[keyword.size()] == ' ' || trimmed[keyword.size()] == '\t');
}

// The count finite numbers after keyword; anything else raises.
void ReadDomainNumbers(std::string_view keyword, std::string_view rest, double* numbers,
                       int count) {
  int read = 0;
  for (rest = TrimLeft(rest); !rest.empty() && read <= count; rest = TrimLeft(rest)) {
    const std::string_view token = NextToken(rest);
    double value = 0.0;
    const bool number = TryStrToFloat(token, value) && std::isfinite(value);
    read = number && read < count ? read + 1 : count + 1;
    if (read <= count) numbers[read - 1] = value;
  }
  if (read != count) {
    throw ELUTError("The line " + std::string(keyword) + " needs " + std::to_string(count) +
                    " finite numbers.");
  }
}

void SetDomainPair(TRGB& side, double value) {
  side = {value, value, value};
}

std::string DomainNumber(double value) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end);
}

std::string TripleText(const TRGB& v) {
  return DomainNumber(v.R) + " " + DomainNumber(v.G) + " " + DomainNumber(v.B);
}

bool Rises(const TLutDomain& domain) {
  return domain.Max.R > domain.Min.R && domain.Max.G > domain.Min.G && domain.Max.B > domain.Min.B;
}

constexpr double kPanasonicTopCode = 4095.0;
constexpr TValueLayout kCubeValues{.Order = noRedFastest};

void AddSizeLine(TTextFile& text, int n) {
  text.Add("LUT_3D_SIZE " + std::to_string(n));
}

}  // namespace

// ---- Domains ---------------------------------------------------------------------------

bool ParseCubeDomainLine(std::string_view trimmed, TLUT& lut, TLutDomain& domain) {
  // Value lines begin with a digit, a sign or a point: one look at the first letter.
  const char first = static_cast<char>(trimmed.empty() ? 0 : trimmed[0] | 0x20);
  if (first != 'd' && first != 'l') return false;
  struct TKeyword {
    std::string_view Name;
    TLutDomain* Domain;
    bool IsMax;  // DOMAIN_MAX; a range sets both ends
    bool IsRange;
  };
  const TKeyword keywords[] = {{"DOMAIN_MIN", &domain, false, false},
                               {"DOMAIN_MAX", &domain, true, false},
                               {"LUT_1D_INPUT_RANGE", &lut.TableDomain, false, true},
                               {"LUT_3D_INPUT_RANGE", &lut.GridDomain, false, true}};
  for (const TKeyword& keyword : keywords) {
    if (!StartsWithKeyword(trimmed, keyword.Name)) continue;
    const std::string_view rest = trimmed.substr(keyword.Name.size());
    double numbers[3] = {};
    ReadDomainNumbers(keyword.Name, rest, numbers, keyword.IsRange ? 2 : 3);
    if (keyword.IsRange) {
      SetDomainPair(keyword.Domain->Min, numbers[0]);
      SetDomainPair(keyword.Domain->Max, numbers[1]);
    } else {
      (keyword.IsMax ? keyword.Domain->Max : keyword.Domain->Min) = {numbers[0], numbers[1],
                                                                     numbers[2]};
    }
    return true;
  }
  return false;
}

void CheckCubeDomains(const TLUT& lut) {
  auto check = [](const TLutDomain& domain, const char* stage) {
    if (Rises(domain)) return;
    throw ELUTError("The input domain of the " + std::string(stage) + " (" +
                    TripleText(domain.Min) + " to " + TripleText(domain.Max) +
                    ") is empty: its maximum must lie above its minimum on every channel.");
  };
  if (lut.HasTable()) check(lut.TableDomain, "1D table");
  if (lut.HasGrid()) check(lut.GridDomain, "3D grid");
}

void AddCubeDomainLines(TTextFile& text, const TLutDomain& domain, const char* range, bool always) {
  if (domain.IsDefault() && !always) return;
  if (range != nullptr && domain.IsUniform()) {
    text.Add(std::string(range) + " " + DomainNumber(domain.Min.R) + " " +
             DomainNumber(domain.Max.R));
    return;
  }
  text.Add("DOMAIN_MIN " + TripleText(domain.Min));
  text.Add("DOMAIN_MAX " + TripleText(domain.Max));
}

// ---- Cube 3D ---------------------------------------------------------------------------

bool TCube3DLutFormat::IsFormat(const std::string& path) const {
  if (HasExtension(path, ".vlt")) return false;
  return HasHeaderLines(path, {{.Keyword = "LUT_3D_SIZE", .Value = TKeywordValue::Word}},
                        {{.Keyword = "NUCODA_3D_CUBE", .Value = TKeywordValue::Word},
                         {.Keyword = "LUT_3D_VERSION", .Value = TKeywordValue::Word}});
}

void TCube3DLutFormat::ParseHeaderLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  std::string_view trimmed = Trim(line);
  if (KeepCommentLine(trimmed, lut)) return;
  static constexpr std::string_view kShaperKeyword = "LUT_1D_SIZE";
  bool found = false;
  if (ParseCubeDomainLine(trimmed, lut, lut.GridDomain)) return;
  const std::string_view size = TextAfterKeyword(line, "LUT_3D_SIZE", found);
  if (found) {
    load.SetGridSize(StrToInt(Trim(size)));
  } else if (PosNoCase(kShaperKeyword, trimmed) == 1) {
    // A shaper size that is not a usable number leaves the line ignored, as other keyword
    // lines are; one too large for the table cannot be read.
    std::int32_t entries = 0;
    if (!TryStrToInt(Trim(trimmed.substr(kShaperKeyword.size())), entries) || entries < 2) return;
    load.SetShaperSize(entries);
  }
}

void TCube3DLutFormat::ParseValueLine(TLoadState& load, std::string_view line, TLUT& lut,
                                      double divisor) const {
  std::string_view trimmed = Trim(line);
  if (load.Size == -1) {
    ParseHeaderLine(load, line, lut);
    return;
  }
  if (load.Complete || IsCommentLine(trimmed)) return;
  TRGB values;
  if (ParseValues(load, trimmed, kCubeValues, divisor, values)) {
    load.StoreShaperOrNode(lut, noRedFastest, values);
  } else if (load.StoredValues() == 0) {
    // The domain lines may follow the size lines.
    ParseCubeDomainLine(trimmed, lut, lut.GridDomain);
  }
}

void TCube3DLutFormat::FinishLoad(TLoadState& load, TLUT& lut) const {
  TGenericLutFormat::FinishLoad(load, lut);
  CheckCubeDomains(lut);
}

void TCube3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  ParseValueLine(load, line, lut, 1.0);
}

void TCube3DLutFormat::Write(const std::string& path, const TLUT& lut, int, TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  AddCommentLines(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  if (lut.Kind == lk1DAnd3D) {
    AddShaperAndGridLines(text, lut);
  } else {
    AddSizeLine(text, GridSizeToWrite(lut));
    AddCubeDomainLines(text, lut.GridDomain, nullptr);
    AddGridLines(text, lut, kCubeValues, TValueWriter::Fixed(6));
  }
  text.Save(path, mode);
}

// Each size with its input range, then the shaper's entries and the grid's nodes.
void TCube3DLutFormat::AddShaperAndGridLines(TTextFile& text, const TLUT& lut) const {
  if (!lut.TableDomain.IsUniform() || !lut.GridDomain.IsUniform()) {
    throw ELUTError(
        "A cube file gives its shaper and its grid one input range each: a domain "
        "that differs between channels cannot be written with a shaper.");
  }
  text.Add("LUT_1D_SIZE " + std::to_string(TableSizeToWrite(lut)));
  AddCubeDomainLines(text, lut.TableDomain, "LUT_1D_INPUT_RANGE", true);
  AddSizeLine(text, GridSizeToWrite(lut));
  AddCubeDomainLines(text, lut.GridDomain, "LUT_3D_INPUT_RANGE", true);
  AddTableLines(text, lut, kCubeValues, TValueWriter::Fixed(6));
  AddGridLines(text, lut, kCubeValues, TValueWriter::Fixed(6));
}

// ---- Cube 3D Truelight -----------------------------------------------------------------

bool TCube3DTruelightLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path,
                        {{.Keyword = "iDims", .Place = TKeywordPlace::CommentLine},
                         {.Keyword = "oDims", .Place = TKeywordPlace::CommentLine},
                         {.Keyword = "width", .Place = TKeywordPlace::CommentLine}},
                        {{.Keyword = "NUCODA_3D_CUBE", .Value = TKeywordValue::Word}});
}

void TCube3DTruelightLutFormat::ParseHeaderLine(TLoadState& load, std::string_view line,
                                                TLUT&) const {
  bool found = false;
  const std::string_view rest = Trim(TextAfterKeyword(line, "# width", found));
  if (!found) return;
  // The width line repeats the size three times; the first number counts.
  load.SetGridSize(StrToInt(rest.substr(0, rest.find_first_of(" \t"))));
}

struct TCube3DTruelightLutFormat::TTruelightLoad : TLoadState {
  using TLoadState::TLoadState;
  enum class TSection : std::uint8_t { Grid, InputLUT };
  TSection Section = TSection::Grid;
  // The "# lutLength" of the file; -1 when it gave none (the section's lines count).
  std::int32_t ShaperLength = -1;
};

std::unique_ptr<TLoadState> TCube3DTruelightLutFormat::NewLoadState(const std::string&,
                                                                    std::int32_t inputBits) const {
  return std::make_unique<TTruelightLoad>(inputBits);
}

void TCube3DTruelightLutFormat::ParseLine(TLoadState& state, std::string_view line,
                                          TLUT& lut) const {
  auto& load = static_cast<TTruelightLoad&>(state);
  const std::string_view trimmed = Trim(line);
  if (load.Size == -1) {
    ParseHeaderLine(load, line, lut);
    if (IsCommentLine(trimmed)) ParseSectionLine(load, trimmed);
    return;
  }
  if (IsCommentLine(trimmed)) {
    ParseSectionLine(load, trimmed);
    return;
  }
  TRGB values;
  if (load.Complete || !ParseValues(load, trimmed, kCubeValues, 1.0, values)) return;
  // Without a "# Cube" line the values after a full shaper belong to the grid.
  const bool shaperFull = load.ShaperLength >= 0 && load.EntryIndex >= load.ShaperLength;
  if (load.Section == TTruelightLoad::TSection::InputLUT && !shaperFull) {
    StoreShaperEntry(load, lut, values);
  } else {
    load.StoreNode(lut, noRedFastest, values);
  }
}

// "# lutLength", "# InputLUT" and "# Cube"; other comments say nothing here.
void TCube3DTruelightLutFormat::ParseSectionLine(TTruelightLoad& load,
                                                 std::string_view comment) const {
  const std::string_view text = CommentText(comment);
  bool found = false;
  const std::string_view length = Trim(TextAfterKeyword(text, "lutLength", found));
  if (found) {
    std::int32_t entries = 0;
    load.ShaperLength =
        TryStrToInt(length.substr(0, length.find_first_of(" \t")), entries) && entries >= 2
            ? entries
            : -1;
    if (load.ShaperLength > TLUT::MaxTableEntries)
      load.SetShaperSize(load.ShaperLength);  // refused
  } else if (PosNoCase("InputLUT", text) == 1) {
    load.Section = TTruelightLoad::TSection::InputLUT;
  } else if (PosNoCase("Cube", text) == 1 && text.size() == 4) {
    if (load.Section == TTruelightLoad::TSection::InputLUT && load.ShaperLength >= 0 &&
        load.EntryIndex < load.ShaperLength) {
      throw ELUTError(IncompleteFileMessage(load.EntryIndex, load.ShaperLength));
    }
    load.Section = TTruelightLoad::TSection::Grid;
  }
}

// Shaper values are grid indices (0 to width - 1): stored as the grid's input, 0 to 1.
void TCube3DTruelightLutFormat::StoreShaperEntry(TTruelightLoad& load, TLUT& lut,
                                                 const TRGB& values) const {
  load.SetShaperSize(load.EntryIndex + 1);
  const double top = load.Size > 1 ? load.Size - 1.0 : 1.0;
  lut.SetEntry(load.EntryIndex++, {values.R / top, values.G / top, values.B / top});
}

void TCube3DTruelightLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                      TWriteMode mode) const {
  const std::string size = std::to_string(GridSizeToWrite(lut));
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("# Truelight Cube v2.0");
  text.Add("# iDims     3");
  text.Add("# oDims     3");
  text.Add("# width     " + size + " " + size + " " + size);
  text.Add("");
  text.Add("# Cube");
  AddGridLines(text, lut, kCubeValues, TValueWriter::Fixed(6));
  text.Add("# end");
  text.Add(kConvertedBy);
  text.Save(path, mode);
}

// ---- FSI CFE ---------------------------------------------------------------------------

bool TFSI_CFE_3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path,
                        {{.Keyword = "LUT_3D_SIZE", .Value = TKeywordValue::Word},
                         {.Keyword = "LUT_3D_VERSION", .Value = TKeywordValue::Word}},
                        {{.Keyword = "NUCODA_3D_CUBE", .Value = TKeywordValue::Word}});
}

void TFSI_CFE_3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                 TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("LUT_3D_AUTHOR Vorn LUT Converter");
  text.Add("LUT_3D_MODEL CM240");
  text.Add("LUT_3D_VERSION 2.0.0");
  AddSizeLine(text, GridSizeToWrite(lut));
  text.Add("");
  AddGridLines(text, lut, kCubeValues, TValueWriter::Fixed(6));
  text.Save(path, mode);
}

// ---- Panasonic 3D ----------------------------------------------------------------------

bool TPanasonic3DLutFormat::IsFormat(const std::string& path) const {
  return HasExtension(path, ".vlt") &&
         HasHeaderLines(path, {{.Keyword = "LUT_3D_SIZE", .Value = TKeywordValue::Word}},
                        {{.Keyword = "NUCODA_3D_CUBE", .Value = TKeywordValue::Word},
                         {.Keyword = "LUT_3D_VERSION", .Value = TKeywordValue::Word}});
}

void TPanasonic3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  ParseValueLine(load, line, lut, kPanasonicTopCode);
}

namespace {

// Comments, the converter's line, LUT_3D_SIZE and the grid red fastest, blank lines between.
void WriteSizedGrid(const std::string& path, const TLUT& lut, TWriteMode mode,
                    const TValueWriter& values) {
  TTextFile text;
  text.StreamTo(path, mode);
  AddCommentLines(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  AddSizeLine(text, GridSizeToWrite(lut));
  text.Add("");
  AddGridLines(text, lut, kCubeValues, values);
  text.Save(path, mode);
}

}  // namespace

void TPanasonic3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                  TWriteMode mode) const {
  // Codes are not clamped: values outside [0, 1] give codes outside 0..4095.
  WriteSizedGrid(path, lut, mode, TValueWriter::Code(kPanasonicTopCode));
}

// ---- Iridas itx -------------------------------------------------------------------------

bool TIridasItx3DLutFormat::IsFormat(const std::string& path) const {
  return HasExtension(path, ".itx") && TCube3DLutFormat::IsFormat(path);
}

void TIridasItx3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                  TWriteMode mode) const {
  WriteSizedGrid(path, lut, mode, TValueWriter::Fixed(6));
}

}  // namespace vorn
