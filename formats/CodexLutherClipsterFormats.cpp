#include "formats/CodexLutherClipsterFormats.h"

#include <cmath>
#include <cstdint>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

constexpr TValueLayout kCodeValues{.Order = noBlueFastest, .IntegerCodes = true};

// Codex files are read as 12-bit codes and Luther files as 10-bit codes, whatever depth
// they were written with.
constexpr double kCodexTopCode = 4095.0;
constexpr double kLutherTopCode = 1023.0;

// Clipster codes are read as 32-bit integers, so deeper codes could not be told apart.
constexpr std::int64_t kClipsterMaxBits = 31;

}  // namespace

// ---- Codex 3D --------------------------------------------------------------------------

bool TCodex3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "Lut3D:", .Value = TKeywordValue::Word}});
}

void TCodex3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  if (KeepCommentLine(trimmed, lut)) return;
  if (load.Size == -1) {
    bool found = false;
    const std::string_view size = TextAfterKeyword(trimmed, "LUT3D:", found);
    if (found) {
      load.SetGridSize(StrToInt(Trim(size)));
      return;
    }
  }
  // Lines that are not three codes (the "R G B" caption, say) are passed over.
  load.ReadGridLine(trimmed, lut, kCodeValues, kCodexTopCode);
}

void TCodex3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                              TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("Lut3D: " + std::to_string(GridSizeToWrite(lut)));
  text.Add("");
  text.Add("R\tG\tB");
  AddGridLines(text, lut, kCodeValues, TValueWriter::ScaledInt(bits));
  text.Save(path, mode);
}

// ---- Luther 3D -------------------------------------------------------------------------

bool TLuther3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "channels: c3",
                                .Place = TKeywordPlace::CommentLine,
                                .Value = TKeywordValue::Nothing}});
}

void TLuther3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  if (load.Size == -1) {
    // The node count is found on the "#elements = " header line, before comments are
    // passed over. Blanks may lead the number but not follow it.
    bool found = false;
    const std::string_view count = TextAfterKeyword(line, "elements =", found);
    if (found) {
      load.SetGridSizeFromNodeCount(StrToInt(count));
      return;
    }
  }
  if (IsCommentLine(trimmed)) return;
  load.ReadGridLine(trimmed, lut, kCodeValues, kLutherTopCode);
}

void TLuther3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                               TWriteMode mode) const {
  const std::int64_t n = GridSizeToWrite(lut);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("#channels: c3");
  text.Add("#elements = " + std::to_string(n * n * n));
  AddGridLines(text, lut, kCodeValues, TValueWriter::ScaledInt(bits));
  text.Save(path, mode);
}

// ---- Clipster 3D -----------------------------------------------------------------------

bool TClipster3DLutFormat::IsFormat(const std::string& path) const {
  // A process list (Common LUT Format) holds LUT3D elements too, below its root.
  return HasHeaderLines(path, {{.Keyword = "<LUT3D", .Place = TKeywordPlace::XmlTag}}) &&
         !HasXmlRoot(path, "ProcessList");
}

namespace {

// The named attribute of the LUT3D element as an integer; absent or empty is refused, as
// the grid cannot be read without it.
std::int64_t RequiredIntegerAttribute(const TXMLNode& element, std::string_view name,
                                      std::string_view meaning) {
  const TXMLValue* value = element.Attributes.Find(name);
  if (!value || Trim(value->Text).empty()) {
    throw ELUTError("The LUT3D element has no " + std::string(name) + " attribute (" +
                    std::string(meaning) + ").");
  }
  return value->AsInteger();
}

}  // namespace

void TClipster3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  TLoadState load(context.InputBits);
  TXMLNode document;
  document.LoadFromFile(path);
  const TXMLNode& lut3D = document.FindChild("LUT3D");
  const TXMLValue* name = lut3D.Attributes.Find("name");
  lut.Comments.push_back("Name: " + XmlUnescape(name ? name->AsString() : std::string()));
  load.SetGridSize(RequiredIntegerAttribute(lut3D, "N", "the grid size"));
  const std::int64_t bits = RequiredIntegerAttribute(lut3D, "BitDepth", "the depth of the codes");
  if (bits < 1 || bits > kClipsterMaxBits) {
    throw ELUTError("The BitDepth " + std::to_string(bits) +
                    " is not valid: codes take 1 to 31 bits.");
  }
  const double topCode = std::ldexp(1.0, static_cast<int>(bits)) - 1.0;

  TTextFile values;
  values.SetText(lut3D.FindChild("values").Value.AsString());
  load.ReadWatchedLines(values, 1, context, [&](std::string_view line) {
    load.ReadGridLine(line, lut, kCodeValues, topCode);
  });
  TSkippedValueLines& skipped = context.SkippedValueLines;
  if (skipped.Count > 0) skipped.FirstLine += LineOfElementText(path, "values") - 1;
  load.FinishRecord(lut, Is3D);
}

void TClipster3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                                 TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("<LUT3D name='" + XmlEscape(FileTitle(path)) + "' N='" +
           std::to_string(GridSizeToWrite(lut)) + "' BitDepth='" + std::to_string(bits) + "'>");
  text.Add("<values>");
  AddGridLines(text, lut, kCodeValues, TValueWriter::ScaledInt(bits));
  text.Add("</values>");
  text.Add("</LUT3D>");
  text.Save(path, mode);
}

}  // namespace vorn
