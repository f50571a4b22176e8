#include "formats/LookFormats.h"

#include <unistd.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "formats/CubeFormats.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr std::size_t kHexPerValue = 8;
constexpr std::size_t kHexPerNode = 3 * kHexPerValue;
constexpr std::size_t kHexPerLine = 64;
constexpr const char* kDataIndent = "      ";

// ---- Writing -------------------------------------------------------------------------------

// The shader stack both looks write; parameters are the lines inside <parameters>.
void AddShaderLines(TTextFile& text, std::string_view parameters) {
  text.Add("<?xml version=\"1.0\" ?>");
  text.Add("<look>");
  text.Add("  <shaders>");
  text.Add("    <shader>");
  text.Add("      <name>\"LUT\"</name>");
  text.Add("      <visible>\"1\"</visible>");
  text.Add("      <opacity>\"1\"</opacity>");
  text.Add("      <mask>\"0\"</mask>");
  text.Add("      <vectormask>\"0\"</vectormask>");
  text.Add("      <parameters>");
  if (!parameters.empty()) text.Add(parameters);
  text.Add("      </parameters>");
  text.Add("    </shader>");
  text.Add("  </shaders>");
}

// Round to nearest single precision; beyond its range the value becomes an infinity.
float ToSingle(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  if (std::fabs(value) > FLT_MAX) return value > 0 ? kInfinity : -kInfinity;
  return static_cast<float>(value);
}

// The four bytes of the single-precision value, least significant first, two upper-case
// hexadecimal digits each.
char* PutHexSingle(char* out, double value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto word = std::bit_cast<std::uint32_t>(ToSingle(value));
  for (int byte = 0; byte < 4; ++byte) {
    const unsigned bits = (word >> (8 * byte)) & 0xFFu;
    *out++ = kDigits[bits >> 4];
    *out++ = kDigits[bits & 0xFu];
  }
  return out;
}

// Every node, red fastest and blue slowest, as one hexadecimal text.
std::string HexGrid(const TLUT& lut, int n) {
  std::string hex(static_cast<std::size_t>(n) * n * n * kHexPerNode, '\0');
  char* out = hex.data();
  for (int b = 0; b < n; ++b) {
    for (int g = 0; g < n; ++g) {
      for (int r = 0; r < n; ++r) {
        const double* node = lut.Node(r, g, b);
        for (int q = 0; q < 3; ++q) out = PutHexSingle(out, node[q]);
      }
    }
  }
  return hex;
}

// The data lines: 64 digits each after the indentation; the closing quotation mark follows
// the last digit (or the opening one of an empty grid).
void AddDataLines(TTextFile& text, const std::string& hex) {
  std::string line = "    <data>\"";
  for (std::size_t at = 0; at < hex.size(); at += kHexPerLine) {
    text.Add(line);
    line.assign(kDataIndent).append(hex, at, kHexPerLine);
  }
  text.Add(line + "\"");
}

// ---- Reading -------------------------------------------------------------------------------

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The next eight hexadecimal digits from position on, anything else passed over, read as
// the little-endian bytes of a single-precision number. Digits the text no longer holds
// count as 0; a NaN reads as 0.0.
// One value; whole is cleared when the text ends before its eighth digit.
double ReadHexSingle(std::string_view text, std::size_t& position, bool& whole) {
  std::uint32_t word = 0;
  std::size_t digits = 0;
  while (digits < kHexPerValue && position < text.size()) {
    const int nibble = HexValue(text[position++]);
    if (nibble < 0) continue;
    const std::size_t byte = digits / 2;
    const unsigned shift = static_cast<unsigned>(8 * byte + (digits % 2 == 0 ? 4 : 0));
    word |= static_cast<std::uint32_t>(nibble) << shift;
    ++digits;
  }
  if (digits < kHexPerValue) whole = false;
  const float value = std::bit_cast<float>(word);
  return std::isnan(value) ? 0.0 : value;
}

// Fills the n^3 nodes from the data text, red fastest; false when the text ends first.
std::int64_t DecodeGrid(std::string_view text, int n, TLUT& lut) {
  std::size_t position = 0;
  std::int64_t stored = 0;
  int r = 0;
  int g = 0;
  int b = 0;
  while (position + 1 < text.size()) {
    TRGB node;
    bool whole = true;
    node.R = ReadHexSingle(text, position, whole);
    node.G = ReadHexSingle(text, position, whole);
    node.B = ReadHexSingle(text, position, whole);
    // A node cut off by the end of the text is missing, not partly zero.
    if (!whole) break;
    lut.SetNode(r, g, b, node);
    ++stored;
    if (++r < n) continue;
    r = 0;
    if (++g < n) continue;
    g = 0;
    if (++b == n) break;
  }
  return stored;
}

// The size text without the quotation marks around it.
std::string_view Unquoted(std::string_view text) {
  if (text.empty() || text.front() != '"') return text;
  return text.size() < 2 ? std::string_view() : text.substr(1, text.size() - 2);
}

}  // namespace

// ---- SpeedGrade look -------------------------------------------------------------------------

bool TSpeedgradeLook3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "<look", .Place = TKeywordPlace::XmlTag},
                               {.Keyword = "<shaders", .Place = TKeywordPlace::XmlTag}});
}

void TSpeedgradeLook3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext&) const {
  TXMLNode document;
  document.LoadFromFile(path);
  const TXMLNode* look = document.ChildByName("look");
  const TXMLNode* grid = look != nullptr ? look->ChildByName("lut") : nullptr;
  std::string_view data;
  std::int32_t size = 0;
  if (grid != nullptr) {
    size = StrToInt(Unquoted(grid->FindChild("size").Value.AsString()));
    data = grid->FindChild("data").Value.AsString();
    if (size < 0) CheckedGridSize(size);  // refused as not valid
    if (size > TLUT::MaxGridNodes) {
      throw ELUTError("The grid size " + std::to_string(size) +
                      " is too large: a 3D LUT holds at most 101 nodes per axis.");
    }
  }
  if (size == 0) {
    lut.Kind = lkNone;
    return;
  }
  lut.ReserveGrid(size);
  const std::int64_t stored = DecodeGrid(data, size, lut);
  const std::int64_t declared = std::int64_t{size} * size * size;
  lut.Kind = lk3D;
  lut.Size3D = size;
  if (stored < declared) throw ELUTError(IncompleteFileMessage(stored, declared));
}

void TSpeedgradeLook3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                       TWriteMode mode) const {
  const int n = GridSizeToWrite(lut);
  const std::string hex = HexGrid(lut, n);
  TTextFile text;
  text.Reserve(hex.size() / kHexPerLine + 24, hex.size() + hex.size() / 8 + 1024);
  AddShaderLines(text, {});
  text.Add("  <LUT>");
  text.Add("    <size>\"" + std::to_string(n) + "\"</size>");
  AddDataLines(text, hex);
  text.Add("    </data>");
  text.Add("</LUT>");
  text.Add("</look>");
  text.Save(path, mode);
}

// ---- Premiere look ---------------------------------------------------------------------------

void TSpeedgradeLook3DLutV2Format::Write(const std::string& path, const TLUT& lut, int bits,
                                         TWriteMode mode) const {
  SaveAsking(path, lut, bits, mode, {});
}

std::vector<std::string> TSpeedgradeLook3DLutV2Format::CompanionPaths(
    const std::string& destination) const {
  return {ChangeFileExt(destination, ".cube")};
}

void TSpeedgradeLook3DLutV2Format::SaveAsking(const std::string& path, const TLUT& lut, int,
                                              TWriteMode mode,
                                              const TReplaceQuestion& mayReplace) const {
  const std::string companion = ChangeFileExt(path, ".cube");
  if (companion == path) {
    throw Exception("A Premiere look cannot be written to " + path +
                    ": its cube file would take the same name.");
  }
  TWriteMode companionMode = mode;
  if (FileExists(companion)) {
    if (!mayReplace) {
      throw Exception("The " + companion + " file already exists and is not replaced.");
    }
    if (!mayReplace(companion)) return;
    companionMode = TWriteMode::Replace;
  }
  TTextFile look;
  AddShaderLines(look, "          <LUT>\"" + XmlEscape(ExtractFileName(companion)) + "\"</LUT>");
  look.Add("</look>");
  TCube3DLutFormat cube;
  cube.Write(companion, lut, -1, companionMode);
  try {
    look.Save(path, mode);
  } catch (const EFileExists&) {
    // The look's name was taken meanwhile: the cube made for it goes too.
    if (companionMode == TWriteMode::CreateNew) ::unlink(companion.c_str());
    throw;
  }
}

}  // namespace vorn
