#include "formats/CubeFormats.h"

#include <charconv>

#include "core/TextTools.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr int kCubeSizeLimit = 100;
constexpr const char* kCubeSizeLimitMessage =
    "The current version cannot process LUTs more than 100x100x100.\r\n"
    "In general, 64x64x64 is definitely enough for 3D LUTs.";
constexpr const char* kConvertedBy = "# Converted by Vorn LUT Converter";
constexpr double kPanasonicTopCode = 4095.0;

bool HasExtension(const std::string& path, std::string_view extension) {
  return UpperCase(ExtractFileExt(path)) == UpperCase(extension);
}

bool IsCommentLine(std::string_view trimmed) {
  return !trimmed.empty() && trimmed[0] == '#';
}

void AddComments(TTextFile& text, const TLUT& lut) {
  std::string line;
  for (const std::string& comment : lut.Comments) {
    line.assign("# ").append(comment);
    text.Add(line);
  }
}

void AddSizeLine(TTextFile& text, int n) {
  text.Add("LUT_3D_SIZE " + std::to_string(n));
}

}  // namespace

// ---- Cube 3D ---------------------------------------------------------------------------

bool TCube3DLutFormat::IsFormat(const std::string& path) {
  if (HasExtension(path, ".vlt")) return false;
  return HasHeaderKeywords(path, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION");
}

void TCube3DLutFormat::SetGridSize(std::int32_t size) {
  if (size > kCubeSizeLimit) throw Exception(kCubeSizeLimitMessage);
  if (size < 1) {
    throw ELUTError("The grid size " + std::to_string(size) +
                    " is not valid: a 3D LUT needs at least one node per axis.");
  }
  Size = size;
}

void TCube3DLutFormat::Load(const std::string& path, TLUT& lut) {
  ShaperSize = 0;
  ShaperIndex = 0;
  auto markShaper = [&] {
    if (Size != -1 && ShaperSize > 0) {
      lut.Kind = lk1DAnd3D;
      lut.Size1D = ShaperSize;
    }
  };
  try {
    TGenericLutFormat::Load(path, lut);
  } catch (const ELUTError&) {
    markShaper();  // an incomplete file still tells what it holds
    throw;
  }
  markShaper();
}

void TCube3DLutFormat::ParseHeaderLine(std::string_view line, TLUT& lut) {
  std::string_view trimmed = Trim(line);
  if (IsCommentLine(trimmed)) {
    lut.Comments.emplace_back(Trim(trimmed.substr(1)));
    return;
  }
  static constexpr std::string_view kSizeKeyword = "LUT_3D_SIZE";
  static constexpr std::string_view kShaperKeyword = "LUT_1D_SIZE";
  if (std::size_t at = PosNoCase(kSizeKeyword, line)) {
    SetGridSize(StrToInt(Trim(line.substr(at - 1 + kSizeKeyword.size()))));
  } else if (PosNoCase(kShaperKeyword, trimmed) == 1) {
    // A shaper size that is not a usable number leaves the line ignored, as other keyword
    // lines are; one too large for the table cannot be read.
    std::int32_t entries = 0;
    if (!TryStrToInt(Trim(trimmed.substr(kShaperKeyword.size())), entries) || entries < 2) return;
    if (entries > TLUT::MaxTableEntries) {
      throw ELUTError("The 1D size " + std::to_string(entries) +
                      " is too large: a 1D table holds at most 100001 entries.");
    }
    ShaperSize = entries;
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
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  if (!ParseFloatTriple(trimmed, r, g, b)) return;
  if (ShaperIndex < ShaperSize) {
    double* entry = lut.Entry(ShaperIndex++);
    entry[0] = r / divisor;
    entry[1] = g / divisor;
    entry[2] = b / divisor;
    return;
  }
  double* node = lut.Node(RIndex, GIndex, BIndex);
  node[0] = r / divisor;
  node[1] = g / divisor;
  node[2] = b / divisor;
  if (++RIndex < Size) return;
  RIndex = 0;
  if (++GIndex < Size) return;
  GIndex = 0;
  if (++BIndex == Size) Complete = true;
}

void TCube3DLutFormat::ParseLine(std::string_view line, TLUT& lut) {
  ParseValueLine(line, lut, 1.0);
}

int TCube3DLutFormat::GridSizeToWrite(const TLUT& lut) {
  if (lut.Size3D < 0 || lut.Size3D > TLUT::MaxGridNodes) {
    throw Exception("Cannot write a grid of " + std::to_string(lut.Size3D) + " nodes per axis.");
  }
  return lut.Size3D;
}

void TCube3DLutFormat::AddGridLines(TTextFile& text, const TLUT& lut) {
  const int n = GridSizeToWrite(lut);
  const std::size_t nodes = static_cast<std::size_t>(n) * n * n;
  text.Reserve(text.Count() + nodes + 16, nodes * 28 + 1024);
  char line[3 * FormatFixedMaxLength(6) + 3];
  for (int b = 0; b < n; ++b) {
    for (int g = 0; g < n; ++g) {
      for (int r = 0; r < n; ++r) {
        const double* node = lut.Node(r, g, b);
        char* p = line;
        p += FormatFixedTo(p, 6, node[0]);
        *p++ = ' ';
        p += FormatFixedTo(p, 6, node[1]);
        *p++ = ' ';
        p += FormatFixedTo(p, 6, node[2]);
        text.Add(std::string_view(line, static_cast<std::size_t>(p - line)));
      }
    }
  }
}

void TCube3DLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  TTextFile text;
  AddComments(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  AddSizeLine(text, GridSizeToWrite(lut));
  AddGridLines(text, lut);
  text.Save(path);
}

// ---- Cube 3D Truelight -----------------------------------------------------------------

bool TCube3DTruelightLutFormat::IsFormat(const std::string& path) {
  return HasHeaderKeywords(path, "iDims,oDims,width", "NUCODA_3D_CUBE");
}

void TCube3DTruelightLutFormat::ParseHeaderLine(std::string_view line, TLUT&) {
  static constexpr std::string_view kWidthKeyword = "# width";
  std::size_t at = PosNoCase(kWidthKeyword, line);
  if (at == 0) return;
  std::string_view rest = Trim(line.substr(at - 1 + kWidthKeyword.size()));
  // The width line repeats the size three times; the first number counts.
  std::size_t blank = rest.find_first_of(" \t");
  SetGridSize(StrToInt(rest.substr(0, blank)));
}

void TCube3DTruelightLutFormat::Save(const std::string& path, const TLUT& lut, int) {
  const int n = GridSizeToWrite(lut);
  const std::string size = std::to_string(n);
  TTextFile text;
  text.Add("# Truelight Cube v2.0");
  text.Add("# iDims     3");
  text.Add("# oDims     3");
  text.Add("# width     " + size + " " + size + " " + size);
  text.Add("");
  text.Add("# Cube");
  AddGridLines(text, lut);
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
  AddGridLines(text, lut);
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
  const int n = GridSizeToWrite(lut);
  TTextFile text;
  AddComments(text, lut);
  text.Add(kConvertedBy);
  text.Add("");
  AddSizeLine(text, n);
  text.Add("");
  char line[3 * 24 + 3];
  for (int b = 0; b < n; ++b) {
    for (int g = 0; g < n; ++g) {
      for (int r = 0; r < n; ++r) {
        const double* node = lut.Node(r, g, b);
        char* p = line;
        for (int q = 0; q < 3; ++q) {
          if (q > 0) *p++ = ' ';
          // Codes are not clamped: values outside [0, 1] give codes outside 0..4095.
          p = std::to_chars(p, line + sizeof line, RoundHalfEven(node[q] * kPanasonicTopCode)).ptr;
        }
        text.Add(std::string_view(line, static_cast<std::size_t>(p - line)));
      }
    }
  }
  text.Save(path);
}

}  // namespace vorn
