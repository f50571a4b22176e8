#include "formats/Text1DFormats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <span>
#include <stdexcept>

#include "formats/CubeFormats.h"
#include "formats/FormatToolkit.h"

namespace vorn {

struct T1DTraits {
  enum class TCommentUse : std::uint8_t { Ignore, Keep, KeepBeforeSize };
  enum class TDivisorFrom : std::uint8_t { Fixed, LargestCode, BitDepth };
  // A header keyword followed by a number: the size of the table, or the largest code value.
  struct TSizeKeyword {
    const char* Keyword;
    std::size_t Skip;   // characters between the keyword's end and the number
    bool SetsScale;     // the largest code value rather than the size
    bool WhileUnknown;  // taken only while the value is unknown; otherwise on every such line
  };

  bool Reads = true;
  bool Writes = true;
  // Detection: the file's extension (with its dot) when given, then the keywords of the
  // file's head (HasHeaderLines; the head is not read when both lists are empty).
  const char* Extension = nullptr;
  std::span<const THeaderKeyword> Required{};
  std::span<const THeaderKeyword> Excluded{};
  // Reading.
  TCommentUse Comments = TCommentUse::Ignore;
  bool KeywordsInComments = false;  // size keywords count in comment lines too
  std::span<const TSizeKeyword> Keywords{};
  bool Counted = false;  // no size header: the table is as long as its entry lines
  bool EntriesStartWithDigit = false;
  TValueLayout Values{};
  TDivisorFrom DivisorFrom = TDivisorFrom::Fixed;
  double Divisor = 1.0;
  // Writing: header and footer lines, where "{N}" stands for the number of entries, "{BITS}"
  // for the bit depth, "{TOP}" for 2^bits - 1, "{TITLE}" for the file's name without folder
  // and last extension and "{XMLTITLE}" for the same as XML text; the line "{COMMENTS}"
  // stands for the record's comments as "# " lines.
  std::span<const char* const> Header{};
  std::span<const char* const> Footer{};
  TValueLayout Lines{};
  int Decimals = -1;  // real values with this many decimals; -1: codes at the bit depth
};

namespace {

using TCommentUse = T1DTraits::TCommentUse;
using TDivisorFrom = T1DTraits::TDivisorFrom;
using TSizeKeyword = T1DTraits::TSizeKeyword;

constexpr TValueLayout kCodeTriple{.IntegerCodes = true};

// ---- The members' traits ---------------------------------------------------------------------

constexpr TSizeKeyword kCubeSize[] = {{"LUT_1D_SIZE", 0, false, false}};
constexpr const char* kCubeHeader[] = {"{COMMENTS}", kConvertedBy, "", "LUT_1D_SIZE {N}"};
constexpr THeaderKeyword kCubeClaim[] = {{.Keyword = "LUT_1D_SIZE", .Value = TKeywordValue::Word}};
constexpr THeaderKeyword kNucodaMark[] = {
    {.Keyword = "NUCODA_3D_CUBE", .Value = TKeywordValue::Word}};
constexpr T1DTraits kCube1D{.Required = kCubeClaim,
                            .Excluded = kNucodaMark,
                            .Comments = TCommentUse::Keep,
                            .Keywords = kCubeSize,
                            .Header = kCubeHeader,
                            .Decimals = 6};

constexpr const char* kCodexHeader[] = {kConvertedBy, "", "LUT: 3 {N}", ""};
constexpr THeaderKeyword kCodexClaim[] = {{.Keyword = "LUT:"}};
constexpr T1DTraits kCodex1D{.Required = kCodexClaim,
                             .Comments = TCommentUse::KeepBeforeSize,
                             .DivisorFrom = TDivisorFrom::LargestCode,
                             .Header = kCodexHeader};

constexpr const char* kLustreHeader[] = {"LUT{BITS}", "", kConvertedBy, ""};
constexpr T1DTraits kLustre1D{.Counted = true,
                              .Values = {.IntegerCodes = true, .IndexColumn = true},
                              .DivisorFrom = TDivisorFrom::BitDepth,
                              .Header = kLustreHeader,
                              .Lines = {.IndexColumn = true}};

constexpr TSizeKeyword kFilmlightSize[] = {{"lutLength", 1, false, true}};
constexpr const char* kFilmlightHeader[] = {"# Truelight Cube v2.0", "# lutLength {N}",
                                            "# iDims     3", "", "# InputLUT"};
constexpr const char* kFilmlightFooter[] = {"# end", kConvertedBy};
constexpr THeaderKeyword kFilmlightClaim[] = {
    {.Keyword = "iDims", .Place = TKeywordPlace::CommentLine},
    {.Keyword = "lutLength", .Place = TKeywordPlace::CommentLine}};
constexpr T1DTraits kFilmlight1D{.Required = kFilmlightClaim,
                                 .KeywordsInComments = true,
                                 .Keywords = kFilmlightSize,
                                 .Header = kFilmlightHeader,
                                 .Footer = kFilmlightFooter,
                                 .Decimals = 6};

constexpr TSizeKeyword kQuantelKeywords[] = {{"gSize", 1, false, true}, {"gMax", 1, true, true}};
constexpr const char* kQuantelHeader[] = {
    "table type\t2", "", "gMax\t{TOP}", "gSize\t{N}", "", "gamma", "r\tg\tb"};
constexpr THeaderKeyword kQuantelClaim[] = {
    {.Keyword = "table type"}, {.Keyword = "gMax"}, {.Keyword = "gSize"}};
constexpr T1DTraits kQuantel1D{.Required = kQuantelClaim,
                               .Keywords = kQuantelKeywords,
                               .Values = kCodeTriple,
                               .DivisorFrom = TDivisorFrom::LargestCode,
                               .Header = kQuantelHeader};

constexpr int kStwoBits = 10;
constexpr const char* kStwoHeader[] = {"<?xml version=\"1.0\"?>", "<lut name=\"{XMLTITLE}\">",
                                       "<data>"};
constexpr const char* kStwoFooter[] = {"</data>", "</lut>"};
constexpr THeaderKeyword kStwoClaim[] = {{.Keyword = "<lut", .Place = TKeywordPlace::XmlTag},
                                         {.Keyword = "<data", .Place = TKeywordPlace::XmlTag},
                                         {.Keyword = "<elem", .Place = TKeywordPlace::XmlTag}};
constexpr T1DTraits kStwo1D{.Required = kStwoClaim,
                            .DivisorFrom = TDivisorFrom::BitDepth,
                            .Header = kStwoHeader,
                            .Footer = kStwoFooter};

constexpr const char* kNucodaHeader[] = {"NUCODA_3D_CUBE 2", "", "TITLE \"{TITLE}\"", "",
                                         "LUT_1D_SIZE {N}",  ""};
constexpr T1DTraits kNucoda1D{.Reads = false, .Header = kNucodaHeader, .Decimals = 6};

constexpr T1DTraits kColorfront1D{.Extension = ".1DLUT", .Counted = true, .Decimals = 6};

constexpr const char* kFusionHeader[] = {"F5LT", "", "{BITS}", ""};
constexpr THeaderKeyword kFusionClaim[] = {{.Keyword = "F5LT", .Value = TKeywordValue::Nothing}};
constexpr T1DTraits kFusion1D{.Required = kFusionClaim,
                              .Counted = true,
                              .DivisorFrom = TDivisorFrom::BitDepth,
                              .Header = kFusionHeader};

constexpr double kBlackmagicFactor = 1000.0;
constexpr const char* kBlackmagicHeader[] = {"R\tG\tB - HDLINK GAMMA TABLE"};
constexpr THeaderKeyword kBlackmagicClaim[] = {
    {.Keyword = "HDLINK", .Place = TKeywordPlace::FirstLine, .Value = TKeywordValue::Word}};
constexpr T1DTraits kBlackmagic1D{.Required = kBlackmagicClaim,
                                  .Counted = true,
                                  .EntriesStartWithDigit = true,
                                  .Divisor = kBlackmagicFactor,
                                  .Header = kBlackmagicHeader};

constexpr T1DTraits kCodeRowsOnly{.Reads = false};

constexpr THeaderKeyword kIridaScript[] = {
    {.Keyword = "<IRIDAScript>", .Place = TKeywordPlace::Anywhere, .Value = TKeywordValue::Word}};
constexpr T1DTraits kDavinciILut{.Writes = false,
                                 .Extension = ".ILUT",
                                 .Excluded = kIridaScript,
                                 .Counted = true,
                                 .Divisor = 16383.0};
constexpr T1DTraits kDavinciOLut{
    .Writes = false, .Extension = ".OLUT", .Counted = true, .Divisor = 4095.0};

// ---- Header and footer lines ---------------------------------------------------------------

struct TWriteFields {
  int Entries;
  int Bits;
  std::string Title;
};

std::string FieldText(std::string_view name, const TWriteFields& fields) {
  if (name == "N") return IntToStr(fields.Entries);
  if (name == "BITS") return IntToStr(fields.Bits);
  if (name == "TOP") return IntToStr(RoundHalfEven(std::ldexp(1.0, fields.Bits) - 1.0));
  if (name == "TITLE") return fields.Title;
  if (name == "XMLTITLE") return XmlEscape(fields.Title);
  throw std::logic_error("unknown field {" + std::string(name) + "} in a header line");
}

std::string ExpandLine(std::string_view pattern, const TWriteFields& fields) {
  std::string line;
  for (;;) {
    const std::size_t open = pattern.find('{');
    line.append(pattern.substr(0, open));
    if (open == std::string_view::npos) return line;
    const std::size_t close = pattern.find('}', open);
    line += FieldText(pattern.substr(open + 1, close - open - 1), fields);
    pattern.remove_prefix(close + 1);
  }
}

void AddTemplateLines(TTextFile& text, std::span<const char* const> lines, const TLUT& lut,
                      const TWriteFields& fields) {
  for (const char* line : lines) {
    if (std::string_view(line) == "{COMMENTS}") {
      AddCommentLines(text, lut);
    } else {
      text.Add(ExpandLine(line, fields));
    }
  }
}

// ---- Small readers -------------------------------------------------------------------------

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

void CheckBitDepth(std::int32_t bits) {
  if (bits < 1 || bits > 32) {
    throw ELUTError("The bit depth " + std::to_string(bits) +
                    " is not valid: integer codes have 1 to 32 bits.");
  }
}

TFormatAccess AccessOf(const T1DTraits& traits) {
  if (!traits.Writes) return TFormatAccess::ReadOnly;
  return traits.Reads ? TFormatAccess::ReadWrite : TFormatAccess::WriteOnly;
}

char* WriteIndex(char* out, int index) {
  return std::to_chars(out, out + 16, index).ptr;
}

}  // namespace

// ---- The family's reader and writer ------------------------------------------------------------

T1DTextLutFormat::T1DTextLutFormat(std::string name, const T1DTraits& traits)
    : TGenericLutFormat(std::move(name), false, AccessOf(traits)), Traits(traits) {}

bool T1DTextLutFormat::IsFormat(const std::string& path) const {
  if (!Traits.Reads) return false;
  if (Traits.Extension != nullptr && !HasExtension(path, Traits.Extension)) return false;
  if (Traits.Required.empty() && Traits.Excluded.empty()) return true;
  return HasHeaderLines(path, Traits.Required, Traits.Excluded);
}

void T1DTextLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  const bool comment = IsCommentLine(trimmed);
  if (comment && !Traits.KeywordsInComments) {
    KeepComment(load, trimmed, lut);
    return;
  }
  if (ParseHeaderLine(load, trimmed, lut) || comment) return;
  if (ValuesExpected(load)) ReadEntryLine(load, line, trimmed, lut);
}

void T1DTextLutFormat::KeepComment(const TLoadState& load, std::string_view trimmed,
                                   TLUT& lut) const {
  const bool keep = Traits.Comments == TCommentUse::Keep ||
                    (Traits.Comments == TCommentUse::KeepBeforeSize && load.Size == -1);
  if (keep) lut.Comments.emplace_back(CommentText(trimmed));
}

bool T1DTextLutFormat::ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT&) const {
  for (const TSizeKeyword& keyword : Traits.Keywords) {
    const std::int32_t known = keyword.SetsScale ? load.Scale : load.Size;
    if (keyword.WhileUnknown && known != -1) continue;
    bool found = false;
    const std::string_view after = TextAfterKeyword(trimmed, keyword.Keyword, found);
    if (!found) continue;
    const std::int32_t number = StrToInt(Trim(after.substr(std::min(keyword.Skip, after.size()))));
    if (keyword.SetsScale) {
      if (number < 1) {
        throw ELUTError("The largest code value " + std::to_string(number) +
                        " is not valid: it must be at least 1.");
      }
      load.Scale = number;
    } else {
      load.SetTableSize(number);
      // A later size line holds from then on: the entries already read may complete it.
      load.Complete = load.EntryIndex >= load.Size;
    }
    return true;
  }
  return false;
}

bool T1DTextLutFormat::ValuesExpected(const TLoadState& load) const {
  if (Traits.DivisorFrom != TDivisorFrom::Fixed && load.Scale == -1) return false;
  return Traits.Counted || load.Size != -1;
}

double T1DTextLutFormat::Divisor(const TLoadState& load) const {
  switch (Traits.DivisorFrom) {
    case TDivisorFrom::LargestCode:
      return load.Scale;
    case TDivisorFrom::BitDepth:
      return std::ldexp(1.0, load.Scale) - 1.0;
    case TDivisorFrom::Fixed:
      break;
  }
  return Traits.Divisor;
}

bool T1DTextLutFormat::ParseEntry(const TLoadState& load, std::string_view trimmed,
                                  TRGB& values) const {
  return ParseValues(trimmed, Traits.Values, Divisor(load), values);
}

void T1DTextLutFormat::ReadEntryLine(TLoadState& load, std::string_view, std::string_view trimmed,
                                     TLUT& lut) const {
  if (Traits.EntriesStartWithDigit && !IsDigit(trimmed[0])) return;
  TRGB values;
  if (Traits.Counted) {
    // Every entry line counts for completeness, parsed or not; only parsed ones are stored.
    if (load.Size < 0) load.Size = 0;
    if (ParseEntry(load, trimmed, values)) load.AppendEntry(lut, values);
    load.Complete = true;
    return;
  }
  if (!load.Complete && ParseEntry(load, trimmed, values)) load.StoreEntry(lut, values);
}

void T1DTextLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                             TWriteMode mode) const {
  if (!CanWrite()) TLUTFormat::Write(path, lut, bits, mode);  // raises
  const TWriteFields fields{TableSizeToWrite(lut), bits, FileTitle(path)};
  TTextFile text;
  text.StreamTo(path, mode);
  AddTemplateLines(text, Traits.Header, lut, fields);
  AddEntryLines(text, lut, bits);
  AddTemplateLines(text, Traits.Footer, lut, fields);
  text.Save(path, mode);
}

void T1DTextLutFormat::AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const {
  const TValueWriter writer =
      Traits.Decimals >= 0 ? TValueWriter::Fixed(Traits.Decimals) : TValueWriter::ScaledInt(bits);
  AddTableLines(text, lut, Traits.Lines, writer);
}

// ---- The members ---------------------------------------------------------------------------

TCube1DLutFormat::TCube1DLutFormat() : T1DTextLutFormat("Cube 1D", kCube1D) {}

bool TCube1DLutFormat::ParseHeaderLine(TLoadState& load, std::string_view trimmed,
                                       TLUT& lut) const {
  return ParseCubeDomainLine(trimmed, lut, lut.TableDomain) ||
         T1DTextLutFormat::ParseHeaderLine(load, trimmed, lut);
}

void TCube1DLutFormat::FinishLoad(TLoadState& load, TLUT& lut) const {
  T1DTextLutFormat::FinishLoad(load, lut);
  CheckCubeDomains(lut);
}

// A table over [0, 1] is written by the traits; another domain follows the size line.
void TCube1DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                             TWriteMode mode) const {
  if (lut.TableDomain.IsDefault()) {
    T1DTextLutFormat::Write(path, lut, bits, mode);
    return;
  }
  TTextFile text;
  text.StreamTo(path, mode);
  AddCommentLines(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(TableSizeToWrite(lut)));
  AddCubeDomainLines(text, lut.TableDomain, "LUT_1D_INPUT_RANGE");
  AddEntryLines(text, lut, bits);
  text.Save(path, mode);
}

TCodex1DLutFormat::TCodex1DLutFormat() : T1DTextLutFormat("Codex 1D, Scratch 1D", kCodex1D) {}

struct TCodex1DLutFormat::TCodexLoad : TLoadState {
  using TLoadState::TLoadState;
  std::int32_t Channels = 0;
  std::int32_t Channel = 1;  // 1 = R, 2 = G, 3 = B
};

std::unique_ptr<TLoadState> TCodex1DLutFormat::NewLoadState(const std::string&,
                                                            std::int32_t inputBits) const {
  return std::make_unique<TCodexLoad>(inputBits);
}

namespace {

// The largest code of an output depth given as its number of codes.
std::int32_t OutputDepthTop(std::string_view text) {
  const std::int32_t codes = StrToInt(text);
  if (codes < 2) {
    throw ELUTError("The output depth " + std::string(text) +
                    " is not valid: the codes need two values at least.");
  }
  return codes - 1;
}

}  // namespace

bool TCodex1DLutFormat::ParseHeaderLine(TLoadState& state, std::string_view trimmed, TLUT&) const {
  auto& load = static_cast<TCodexLoad&>(state);
  bool found = false;
  std::string_view rest = TextAfterKeyword(trimmed, "LUT:", found);
  if (!found) return false;
  // The channel count starts one character after the colon; the entry count follows, and
  // a third number, when there is one, is the output depth: how many codes the values
  // take (256: codes 0..255). Without it the codes range as the entries do.
  rest = Trim(rest.substr(std::min<std::size_t>(1, rest.size())));
  load.Channels = StrToInt(NextToken(rest));
  rest = Trim(rest);
  const std::string_view entries = NextToken(rest);
  rest = Trim(rest);
  // The codes are divided by the largest code: a table needs two entries at least.
  load.SetTableSize(StrToInt(entries), 2);
  load.Scale = rest.empty() ? load.Size - 1 : OutputDepthTop(rest);
  load.Channel = 1;
  load.EntryIndex = 0;
  load.Complete = false;
  return true;
}

void TCodex1DLutFormat::ReadEntryLine(TLoadState& state, std::string_view line, std::string_view,
                                      TLUT& lut) const {
  auto& load = static_cast<TCodexLoad&>(state);
  std::int32_t code = 0;
  if (load.Complete || !TryStrToInt(line, code)) return;
  const double value = code / Divisor(load);
  double* entry = lut.Entry(load.EntryIndex);
  if (load.Channels == 1) {
    entry[0] = entry[1] = entry[2] = value;
    if (++load.EntryIndex == load.Size) load.Complete = true;
    return;
  }
  entry[load.Channel - 1] = value;
  if (++load.EntryIndex < load.Size) return;
  load.EntryIndex = 0;
  if (++load.Channel > 3) load.Complete = true;
}

void TCodex1DLutFormat::AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const {
  // The codes are not clamped: values outside [0, 1] give codes outside 0..2^bits - 1.
  const TValueWriter writer = TValueWriter::Code(std::ldexp(1.0, bits) - 1.0);
  for (int channel = 0; channel < 3; ++channel) {
    AddTableLinesBy(text, lut, writer.MaxLength(), [&](char* out, int, const double* rgb) {
      return writer.Write(out, rgb[channel]);
    });
  }
}

TLustre1DLutFormat::TLustre1DLutFormat() : T1DTextLutFormat("Autodesk Lustre 1D", kLustre1D) {}

bool TLustre1DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "LUT16", .Value = TKeywordValue::Nothing}}) ||
         HasHeaderLines(path, {{.Keyword = "LUT12", .Value = TKeywordValue::Nothing}});
}

bool TLustre1DLutFormat::ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT&) const {
  if (load.Scale != -1) return false;
  // Every line before the depth is a candidate; the depth words compare case-sensitively.
  if (trimmed == "LUT16") {
    load.Scale = 16;
  } else if (trimmed == "LUT12") {
    load.Scale = 12;
  }
  load.Size = 0;
  return true;
}

TFilmlight1DLutFormat::TFilmlight1DLutFormat()
    : T1DTextLutFormat("Filmlight Truelight 1D", kFilmlight1D) {}

TQuantel1DLutFormat::TQuantel1DLutFormat() : T1DTextLutFormat("Quantel 1D", kQuantel1D) {}

TStwo1DLutFormat::TStwo1DLutFormat() : T1DTextLutFormat("S.two 1D", kStwo1D) {}

void TStwo1DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  TLoadState load(context.InputBits);
  load.Scale = kStwoBits;
  TXMLNode document;
  document.LoadFromFile(path);
  const TXMLNode& data = document.FindPath({"lut", "data"});
  auto code = [](const TXMLNode& element, std::string_view name) {
    const TXMLValue* value = element.Attributes.Find(name);
    return value != nullptr ? value->AsFloat() : 0.0;
  };
  const double divisor = Divisor(load);
  load.Size = 0;
  for (std::size_t i = 0; i < data.ChildCount(); ++i) {
    const TXMLNode& element = data.Child(i);
    if (UpperCase(element.Name) != "ELEM") continue;
    load.AppendEntry(lut, {code(element, "r") / divisor, code(element, "g") / divisor,
                           code(element, "b") / divisor});
  }
  lut.Kind = lk1D;
  lut.Size1D = load.Size;
}

void TStwo1DLutFormat::AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const {
  const TValueWriter writer = TValueWriter::ScaledInt(bits);
  AddTableLinesBy(text, lut, 3 * writer.MaxLength() + 32, [&](char* out, int, const double* rgb) {
    out = writer.Write(PutText(out, "<elem r=\""), rgb[0]);
    out = writer.Write(PutText(out, "\" g=\""), rgb[1]);
    out = writer.Write(PutText(out, "\" b=\""), rgb[2]);
    return PutText(out, "\"/>");
  });
}

TNucoda1DLutWriterFormat::TNucoda1DLutWriterFormat() : T1DTextLutFormat("Nucoda 1D", kNucoda1D) {}

TColorFrontOSD1DLutFormat::TColorFrontOSD1DLutFormat()
    : T1DTextLutFormat("Colorfront OSD 1D", kColorfront1D) {}

TFusion1DLutFormat::TFusion1DLutFormat() : T1DTextLutFormat("Fusion 1D", kFusion1D) {}

bool TFusion1DLutFormat::ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT&) const {
  if (load.Scale != -1) return false;
  // The first line that is a whole number is the bit depth; the others ("F5LT") are passed.
  std::int32_t bits = 0;
  if (TryStrToInt(trimmed, bits)) {
    CheckBitDepth(bits);
    load.Scale = bits;
    load.Size = 0;
  }
  return true;
}

bool TFusion1DLutFormat::ParseEntry(const TLoadState& load, std::string_view trimmed,
                                    TRGB& values) const {
  // "i R i G i B": each index follows the value before it after exactly one separator, so
  // the rest is trimmed before the values and the first index only.
  std::string_view rest = trimmed;
  auto cut = [&rest](bool trimFirst) {
    if (trimFirst) rest = Trim(rest);
    return NextToken(rest);
  };
  cut(true);
  const std::string_view red = cut(true);
  cut(false);
  const std::string_view green = cut(true);
  cut(false);
  std::int32_t r = 0;
  std::int32_t g = 0;
  std::int32_t b = 0;
  if (!TryStrToInt(red, r) || !TryStrToInt(green, g) || !TryStrToInt(Trim(rest), b)) return false;
  const double divisor = Divisor(load);
  values = {r / divisor, g / divisor, b / divisor};
  return true;
}

void TFusion1DLutFormat::AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const {
  const TValueWriter writer = TValueWriter::ScaledInt(bits);
  AddTableLinesBy(text, lut, 3 * (writer.MaxLength() + 18),
                  [&](char* out, int index, const double* rgb) {
                    for (int channel = 0; channel < 3; ++channel) {
                      if (channel > 0) *out++ = ' ';
                      out = WriteIndex(out, index);
                      *out++ = ' ';
                      out = writer.Write(out, rgb[channel]);
                    }
                    return out;
                  });
}

TBlackmagic1DLutFormat::TBlackmagic1DLutFormat()
    : T1DTextLutFormat("Blackmagic HDLink 1D", kBlackmagic1D) {}

void TBlackmagic1DLutFormat::AddEntryLines(TTextFile& text, const TLUT& lut, int) const {
  const TValueWriter writer = TValueWriter::Fixed(2);
  AddTableLinesBy(
      text, lut, 3 * (writer.MaxLength() + 1), [&writer](char* out, int, const double* rgb) {
        for (int channel = 0; channel < 3; ++channel) {
          if (channel > 0) *out++ = ' ';
          const double scaled = rgb[channel] * kBlackmagicFactor;
          if (std::isinf(scaled)) [[unlikely]] {
            throw EUnwritableValue(rgb[channel], "times 1000 it lies beyond the range of numbers.");
          }
          out = writer.Write(out, scaled);
        }
        return out;
      });
}

TCinetal1DLutFormat::TCinetal1DLutFormat() : T1DTextLutFormat("Cine-tal 1D", kCodeRowsOnly) {}

TShake1DLutFormat::TShake1DLutFormat() : T1DTextLutFormat("Shake 1D", kCodeRowsOnly) {}

bool TDavinciLut1DFormat::ParseEntry(const TLoadState& load, std::string_view trimmed,
                                     TRGB& values) const {
  std::string_view rest = trimmed;
  double read[3];
  for (double& value : read) {
    std::int32_t code = 0;
    rest = Trim(rest);
    if (!TryStrToInt(Trim(NextToken(rest)), code)) return false;
    value = code / Divisor(load);
  }
  values = {read[0], read[1], read[2]};
  return true;
}

TDavinciILut1DLutFormat::TDavinciILut1DLutFormat()
    : TDavinciLut1DFormat("DaVinci Resolve ilut 1D", kDavinciILut) {}

TDavinciOLut1DLutFormat::TDavinciOLut1DLutFormat()
    : TDavinciLut1DFormat("DaVinci Resolve olut 1D", kDavinciOLut) {}

}  // namespace vorn
