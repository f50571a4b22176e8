#include "imaging/IccText.h"

#include <cstdint>
#include <vector>

namespace vorn {

namespace {

constexpr char32_t kReplacement = U'?';

// The code point starting at text[i]; advances i past it. Overlong forms, surrogates and
// values beyond U+10FFFF are malformed.
char32_t NextCodePoint(const std::string& text, std::size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  const int extra = lead < 0x80         ? 0
                    : (lead >> 5) == 6  ? 1
                    : (lead >> 4) == 14 ? 2
                    : (lead >> 3) == 30 ? 3
                                        : -1;
  if (extra < 0 || i + extra >= text.size()) {
    ++i;
    return kReplacement;
  }
  char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    code = (code << 6) | (next & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  // NUL would end the text early.
  const bool valid =
      code >= kSmallest[extra] && code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
  i += extra + 1;
  return valid ? code : kReplacement;
}

std::vector<char32_t> CodePoints(const std::string& utf8) {
  std::vector<char32_t> codes;
  for (std::size_t i = 0; i < utf8.size();) codes.push_back(NextCodePoint(utf8, i));
  return codes;
}

class TTagBytes {
 public:
  explicit TTagBytes(const char (&signature)[5]) {
    Bytes_.append(signature, 4);
    UInt32(0);
  }
  void UInt8(std::uint8_t value) { Bytes_.push_back(static_cast<char>(value)); }
  void UInt16(std::uint16_t value) {
    UInt8(static_cast<std::uint8_t>(value >> 8));
    UInt8(static_cast<std::uint8_t>(value));
  }
  void UInt32(std::uint32_t value) {
    UInt16(static_cast<std::uint16_t>(value >> 16));
    UInt16(static_cast<std::uint16_t>(value));
  }
  void Zeros(std::size_t count) { Bytes_.append(count, '\0'); }
  void Append(const std::string& bytes) { Bytes_ += bytes; }
  std::string Take() { return std::move(Bytes_); }

 private:
  std::string Bytes_;
};

std::string AsciiOf(const std::vector<char32_t>& codes) {
  std::string ascii;
  for (const char32_t code : codes) {
    ascii.push_back(code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '?');
  }
  return ascii;
}

std::vector<std::uint16_t> Utf16Of(const std::vector<char32_t>& codes) {
  std::vector<std::uint16_t> units;
  for (const char32_t code : codes) {
    if (code < 0x10000) {
      units.push_back(static_cast<std::uint16_t>(code));
    } else {
      units.push_back(static_cast<std::uint16_t>(0xD800 + ((code - 0x10000) >> 10)));
      units.push_back(static_cast<std::uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
  }
  return units;
}

}  // namespace

std::string TextDescriptionTag(const std::string& utf8) {
  const std::vector<char32_t> codes = CodePoints(utf8);
  const std::string ascii = AsciiOf(codes);
  const std::vector<std::uint16_t> units = Utf16Of(codes);
  TTagBytes tag("desc");
  tag.UInt32(static_cast<std::uint32_t>(ascii.size() + 1));
  tag.Append(ascii);
  tag.UInt8(0);
  tag.UInt32(0);  // no Unicode language code
  tag.UInt32(static_cast<std::uint32_t>(units.size() + 1));
  for (const std::uint16_t unit : units) tag.UInt16(unit);
  tag.UInt16(0);
  tag.UInt16(0);  // ScriptCode: code, count and its 67 bytes, all empty
  tag.UInt8(0);
  tag.Zeros(67);
  return tag.Take();
}

std::string AsciiTextTag(const std::string& utf8) {
  TTagBytes tag("text");
  tag.Append(AsciiOf(CodePoints(utf8)));
  tag.UInt8(0);
  return tag.Take();
}

std::string UnknownDeviceSequenceTag() {
  TTagBytes tag("pseq");
  tag.UInt32(1);
  tag.UInt32(0);  // device manufacturer
  tag.UInt32(0);  // device model
  tag.Zeros(8);   // attributes
  tag.UInt32(0);  // technology
  tag.Append(TextDescriptionTag(""));
  tag.Append(TextDescriptionTag(""));
  return tag.Take();
}

}  // namespace vorn
