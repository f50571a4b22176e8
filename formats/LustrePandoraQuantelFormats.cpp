#include "formats/LustrePandoraQuantelFormats.h"

#include <cmath>
#include <cstdint>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

constexpr TValueLayout kCodeValues{.Order = noBlueFastest, .IntegerCodes = true};
constexpr TValueLayout kIndexedCodeValues{
    .Order = noBlueFastest, .IntegerCodes = true, .IndexColumn = true, .Separator = '\t'};
// The "out " line states 2^bits codes, which must stay a 32-bit integer.
constexpr int kPandoraMaxBits = 30;
constexpr int kLargestMeshExponent = 6;

// 2^exponent + offset, rounded; exponents far out of range saturate instead of overflowing.
std::int64_t PowerOfTwoPlus(std::int32_t exponent, double offset) {
  return RoundHalfEven(std::ldexp(1.0, exponent) + offset);
}

// The exponent A of the "Mesh" line that states n = 2^A + 1 nodes. The line is the only
// statement of the size in these files, so a record of another size (its profile always
// gives 33) is refused rather than written under a line that states a different size.
int MeshExponentFor(int n) {
  for (int exponent = 0; exponent <= kLargestMeshExponent; ++exponent) {
    if ((1 << exponent) + 1 == n) return exponent;
  }
  throw Exception(
      "An Autodesk Lustre 3D file holds 2, 3, 5, 9, 17, 33 or 65 nodes per axis; "
      "this LUT has " +
      std::to_string(n) + ".");
}

}  // namespace

// ---- Autodesk Lustre 3D ------------------------------------------------------------------

bool TLustre3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "3DMESH", .Value = TKeywordValue::Nothing}});
}

// "Mesh A B": 2^A + 1 nodes per axis and codes 0 .. 2^B - 1. A later "Mesh" line replaces
// both.
void TLustre3DLutFormat::ReadMeshLine(TLoadState& load, std::string_view afterKeyword) const {
  std::string_view rest = Trim(afterKeyword.substr(afterKeyword.empty() ? 0 : 1));
  const std::size_t space = rest.find(' ');
  const std::int32_t inputBits = StrToInt(rest.substr(0, space));
  const std::int32_t outputBits =
      StrToInt(space == std::string_view::npos ? std::string_view() : Trim(rest.substr(space)));
  load.SetGridSize(PowerOfTwoPlus(inputBits, 1.0));
  load.SetLargestCode(PowerOfTwoPlus(outputBits, -1.0));
}

void TLustre3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  // Reading stops with the last node: later lines, a later "Mesh" line too, change nothing.
  if (load.Complete) return;
  const std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed) || PosNoCase("3DMESH", trimmed) != 0) return;
  bool isMeshLine = false;
  const std::string_view afterMesh = TextAfterKeyword(trimmed, "Mesh", isMeshLine);
  if (isMeshLine) {
    ReadMeshLine(load, afterMesh);
    return;
  }
  // The breakpoint line and the "LUT8" and "gamma" lines do not parse and are skipped.
  if (load.Size != -1) load.ReadGridLine(trimmed, lut, kCodeValues, load.Scale);
}

void TLustre3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                               TWriteMode mode) const {
  const int n = GridSizeToWrite(lut);
  const int exponent = MeshExponentFor(n);
  const int codeBits = CodeBitsToWrite(bits);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("");
  text.Add(kConvertedBy);
  text.Add("");
  text.Add("3DMESH");
  text.Add("Mesh " + std::to_string(exponent) + " " + std::to_string(codeBits));
  text.Add("");
  AddGridLines(text, lut, kCodeValues, TValueWriter::ScaledInt(codeBits));
  text.Add("");
  text.Add("LUT8");
  text.Add("gamma 1.0");
  text.Save(path, mode);
}

// ---- Pandora 3D, Technicolor ---------------------------------------------------------------

bool TPandora3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "channel 3d", .Value = TKeywordValue::Nothing},
                               {.Keyword = "format lut", .Value = TKeywordValue::Nothing}});
}

void TPandora3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed)) return;
  std::int32_t number = 0;
  if (load.Size == -1 && IntegerAfterPrefix(line, "in ", number)) {
    load.SetGridSizeFromNodeCount(number);
  } else if (load.Scale == -1 && IntegerAfterPrefix(line, "out ", number)) {
    load.SetLargestCode(std::int64_t{number} - 1);
  } else if (load.Size != -1 && load.Scale != -1) {
    // The "channel", "format" and "values" lines do not parse and are skipped.
    load.ReadGridLine(trimmed, lut, kIndexedCodeValues, load.Scale);
  }
}

void TPandora3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                                TWriteMode mode) const {
  const int n = GridSizeToWrite(lut);
  const int codeBits = CodeBitsToWrite(bits, kPandoraMaxBits);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("#HEADER");
  text.Add("#type: 3D cube file");
  text.Add("#format: 1.00");
  text.Add("#comment: Converted by Vorn LUT Converter");
  text.Add("#END");
  text.Add("");
  text.Add("channel 3d");
  text.Add("in " + std::to_string(std::int64_t{n} * n * n));
  text.Add("out " + std::to_string(std::int64_t{1} << codeBits));
  text.Add("");
  text.Add("format lut");
  text.Add("");
  text.Add("values\tred\tgreen\tblue");
  AddGridLines(text, lut, kIndexedCodeValues, TValueWriter::ScaledInt(codeBits));
  text.Save(path, mode);
}

// ---- Quantel 3D --------------------------------------------------------------------------

bool TQuantel3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "max value"}, {.Keyword = "vertices"}});
}

void TQuantel3DLutFormat::ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const {
  const std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed)) return;
  std::int32_t number = 0;
  if (load.Size == -1 && IntegerAfterPrefix(line, "vertices", number)) {
    load.SetGridSize(number);
  } else if (load.Scale == -1 && IntegerAfterPrefix(line, "max value", number)) {
    load.SetLargestCode(number);
  } else if (load.Size != -1 && load.Scale != -1) {
    load.ReadGridLine(trimmed, lut, kCodeValues, load.Scale);
  }
}

void TQuantel3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                                TWriteMode mode) const {
  const int n = GridSizeToWrite(lut);
  const int codeBits = CodeBitsToWrite(bits);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("max value " + std::to_string((std::int64_t{1} << codeBits) - 1));
  text.Add("vertices " + std::to_string(n));
  text.Add("blue is fastest changing");
  text.Add("red is slowest changing");
  text.Add("");
  text.Add("cube data");
  text.Add("R G B");
  AddGridLines(text, lut, kCodeValues, TValueWriter::ScaledInt(codeBits));
  text.Save(path, mode);
}

}  // namespace vorn
