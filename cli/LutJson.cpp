#include "cli/LutJson.h"

#include "cli/Commands.h"
#include "core/VornLut.h"

namespace vorn::cli {

namespace {

// The length of the UTF-8 sequence that starts text[at], or 0 when no valid one does.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

// DEL marks a byte in the dumped text: DEL and two hex digits stand for "\u007f" (DEL
// itself) or the lone surrogate "\udcXX" of a byte that is not UTF-8. Every DEL of the
// document goes through here, so every marker in the dump is one of these.
constexpr char kMarker = '\x7f';

std::string MarkedString(std::string_view text) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string marked;
  marked.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0 || text[at] == kMarker) {
      const auto byte = static_cast<unsigned char>(text[at]);
      marked += kMarker;
      marked += kHex[byte >> 4];
      marked += kHex[byte & 0xF];
      ++at;
      continue;
    }
    marked.append(text.substr(at, length));
    at += length;
  }
  return marked;
}

void MarkStrings(TJson& value) {
  if (value.is_string()) {
    value = MarkedString(value.get_ref<const std::string&>());
  } else if (value.is_structured()) {
    for (TJson& item : value) MarkStrings(item);
  }
}

std::string UnmarkedDump(const std::string& dump) {
  std::string text;
  text.reserve(dump.size());
  for (std::size_t at = 0; at < dump.size(); ++at) {
    if (dump[at] != kMarker || at + 2 >= dump.size()) {
      text += dump[at];
      continue;
    }
    const std::string_view hex(dump.data() + at + 1, 2);
    text += hex == "7f" ? "\\u007f" : "\\udc" + std::string(hex);
    at += 2;
  }
  return text;
}

}  // namespace

void AppendJson(const TJson& document, TOutputBuffer& out) {
  TJson marked = document;
  MarkStrings(marked);
  out << UnmarkedDump(marked.dump(2, ' ', false, TJson::error_handler_t::strict)) << '\n';
}

TJson LutDescription(const std::string& path, const TLUT& lut) {
  TJson description;
  description["path"] = path;
  const TLUTFormat* format = GetFormat(lut.FormatIndex);
  if (format == nullptr) {
    description["format"] = nullptr;
    description["format_number"] = nullptr;
    description["type"] = nullptr;
    description["size_1d"] = nullptr;
    description["size_3d"] = nullptr;
    description["comments"] = TJson::array();
    return description;
  }
  description["format"] = format->Name;
  description["format_number"] = lut.FormatIndex;
  description["type"] = LutKindName(lut.Kind);
  description["size_1d"] = lut.HasTable() ? TJson(lut.Size1D) : TJson(nullptr);
  description["size_3d"] = lut.HasGrid() ? TJson(lut.Size3D) : TJson(nullptr);
  description["comments"] = lut.Comments;
  return description;
}

void CheckLutSizes(const TLUT& lut) {
  if (!lut.SizesWithinCapacity()) {
    throw ECommandError("the reader reported a size beyond the capacity of a LUT");
  }
}

}  // namespace vorn::cli
