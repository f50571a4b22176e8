#include "core/TextTools.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/Convert.h"
#include "platform/Files.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vorn {

namespace {

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
bool IsSeparator(char c) {
  return c == '\t' || c == ' ' || c == ',';
}
char ToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

constexpr double kPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Eight digit characters (the first in the lowest byte) to their value; zero bytes read as
// zeros.
inline std::uint32_t EightDigits(std::uint64_t chunk) {
  chunk = (chunk & 0x0F0F0F0F0F0F0F0Full) * 2561 >> 8;
  chunk = (chunk & 0x00FF00FF00FF00FFull) * 6553601 >> 16;
  return static_cast<std::uint32_t>((chunk & 0x0000FFFF0000FFFFull) * 42949672960001ull >> 32);
}

// A byte that is no digit gets its top bit set. Exact up to the first such byte; the bytes
// after it may be flagged wrongly, and nothing reads them.
inline std::uint64_t NotDigitBytes(std::uint64_t chunk) {
  return ((chunk + 0x4646464646464646ull) | (chunk - 0x3030303030303030ull)) &
         0x8080808080808080ull;
}

inline std::uint64_t LoadEight(const char* s) {
  std::uint64_t chunk = 0;
  std::memcpy(&chunk, s, 8);
  return chunk;
}

// The quick reader works on a copy of the line followed by zero bytes, so that it loads
// eight bytes at a time without a bound check: a zero byte ends every number (it is no
// digit, point, sign or exponent letter) and every run of blanks. Longer lines take the
// token walk.
constexpr std::size_t kQuickLineBytes = 160;
constexpr std::size_t kQuickLinePadding = 16;
// More digits than this may overflow the 64-bit mantissa (and its value passes 2^53).
constexpr int kQuickDigits = 19;
constexpr std::uint64_t kExactMantissa = std::uint64_t{1} << 53;
constexpr int kExactPower = 22;  // 10^22 is the largest power of ten a double holds exactly

// The run of digits at s, appended to mantissa and counted in digits. Past kQuickDigits
// the mantissa is garbage and the caller refuses the number.
inline const char* ReadDigitRun(const char* s, std::uint64_t& mantissa, int& digits) {
  static constexpr std::uint64_t kScale[9] = {1,      10,      100,      1000,     10000,
                                              100000, 1000000, 10000000, 100000000};
  for (;;) {
    const std::uint64_t chunk = LoadEight(s);
    const std::uint64_t notDigit = NotDigitBytes(chunk);
    const int count = notDigit == 0 ? 8 : std::countr_zero(notDigit) / 8;
    if (count == 0) return s;
    // The digits move to the top bytes; the bytes shifted in read as leading zeros.
    mantissa = mantissa * kScale[count] + EightDigits(chunk << (8 * (8 - count)));
    digits += count;
    s += count;
    if (count < 8 || digits > kQuickDigits) return s;
  }
}

// The decimal exponent after "e" or "E" at s (optional sign, one to four digits) added to
// power; false for anything else, which the token walk then judges.
inline bool ReadExponent(const char*& s, int& power) {
  const char* q = s + 1;
  const bool negative = *q == '-';
  if (*q == '-' || *q == '+') ++q;
  int exponent = 0;
  const char* first = q;
  for (unsigned digit = 0; (digit = static_cast<unsigned char>(*q) - unsigned{'0'}) <= 9; ++q) {
    if (q - first == 4) return false;
    exponent = exponent * 10 + static_cast<int>(digit);
  }
  if (q == first) return false;
  power += negative ? -exponent : exponent;
  s = q;
  return true;
}

// A decimal number at p in a padded line: an optional sign, digits with an optional point,
// an optional exponent. Taken only when the result is exact by Clinger's rule: a mantissa
// of at most 2^53 and a power of ten of at most 22 either way, so that one multiplication
// or division rounds correctly and gives what std::from_chars gives. Returns the end of the
// number, or null for anything else.
const char* ReadQuickNumberByRuns(const char* p, double& value) {
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  std::uint64_t mantissa = 0;
  int digits = 0;
  p = ReadDigitRun(p, mantissa, digits);
  int power = 0;
  if (*p == '.') {
    const char* fraction = ++p;
    p = ReadDigitRun(p, mantissa, digits);
    power = -static_cast<int>(p - fraction);
  }
  if (digits == 0 || digits > kQuickDigits || mantissa > kExactMantissa) return nullptr;
  if ((*p | 0x20) == 'e' && !ReadExponent(p, power)) return nullptr;
  if (power < -kExactPower || power > kExactPower) return nullptr;
  const auto exact = static_cast<double>(static_cast<std::int64_t>(mantissa));
  const double magnitude = power < 0 ? exact / kPowersOfTen[-power] : exact * kPowersOfTen[power];
  value = negative ? -magnitude : magnitude;
  return p;
}

// ReadQuickNumberByRuns, with a shortcut for the usual form of LUT values: one digit, a
// point and at most seven decimals ("0.046962", "-1.5"). Those decimals come from one load
// of eight bytes whose bytes from the first that is no digit on are cleared, so that they
// read as trailing zeros: the value is then always the mantissa over 10^8, exact as above.
inline const char* ReadQuickNumber(const char* p, double& value) {
  const char* s = p + (*p == '-' || *p == '+');
  const unsigned lead = static_cast<unsigned char>(s[0]) - unsigned{'0'};
  if (lead <= 9 && s[1] == '.') {
    const std::uint64_t chunk = LoadEight(s + 2);
    const std::uint64_t notDigit = NotDigitBytes(chunk);
    const char* after = s + 2 + std::countr_zero(notDigit) / 8;
    if (notDigit != 0 && (*after | 0x20) != 'e') {
      const std::uint64_t digitBytes = ((notDigit & (~notDigit + 1)) >> 7) - 1;
      const std::uint64_t mantissa =
          lead * std::uint64_t{100000000} + EightDigits(chunk & digitBytes);
      const double magnitude = static_cast<double>(static_cast<std::int64_t>(mantissa)) / 1e8;
      value = *p == '-' ? -magnitude : magnitude;
      return after;
    }
  }
  return ReadQuickNumberByRuns(p, value);
}

// The line copied into padded (room for kQuickLineBytes + kQuickLinePadding) with zero bytes
// after it; short lines are copied by two overlapping moves of fixed size.
inline void CopyPadded(char* padded, std::string_view line) {
  const std::size_t n = line.size();
  const char* from = line.data();
  if (n >= 16 && n <= 32) {
    std::memcpy(padded, from, 16);
    std::memcpy(padded + n - 16, from + n - 16, 16);
  } else if (n >= 8 && n < 16) {
    std::memcpy(padded, from, 8);
    std::memcpy(padded + n - 8, from + n - 8, 8);
  } else if (n > 0) {  // an empty view may have no data at all
    std::memcpy(padded, from, n);
  }
  std::memset(padded + n, 0, kQuickLinePadding);
}

// Blanks but the zero byte, which the padding ends in: a zero byte inside a line stops the
// quick reader, and the token walk reads that line.
inline const char* SkipQuickBlanks(const char* p) {
  while (static_cast<unsigned char>(*p) - 1u < unsigned{' '}) ++p;
  return p;
}

// A number, then one separator (tab, space or comma) and blanks; null when either is not
// there.
inline const char* ReadQuickNumberAndSeparator(const char* p, double& value) {
  p = ReadQuickNumber(p, value);
  if (p == nullptr || !IsSeparator(*p)) return nullptr;
  return SkipQuickBlanks(p + 1);
}

#ifdef __SSE2__

// The usual value line of grid files: three numbers of one digit, a point and the same
// number of decimals, one space or tab apart ("0.046962 0.005423 0.021497"). Its length
// tells the places of the points and blanks, so the whole line is checked at once from the
// classes of its bytes, and each number's decimals are read as one group of eight. The
// values are those ReadQuickNumber gives; any other line, signed numbers included, is left
// to it. It reads the line where it lies: a copy would be read back across the stores that
// made it, which stalls.
// From 17 bytes (three decimals) the eight bytes from the second number's decimals on lie
// inside the line; up to 32 the line is two loads of 16 and a number has at most 8 decimals.
constexpr std::size_t kUsualLineMin = 17;
constexpr std::size_t kUsualLineMax = 32;
static_assert((kUsualLineMax - 2) / 3 - 2 <= 8);

// The bytes of the line (kUsualLineMin to kUsualLineMax of them) in a class, as a mask of
// their places.
inline std::uint32_t ClassMask(__m128i head, __m128i tail, std::size_t size, auto&& isInClass) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(isInClass(head))) |
         static_cast<std::uint32_t>(_mm_movemask_epi8(isInClass(tail))) << (size - 16);
}

bool ParseUsualTriple(std::string_view line, double (&values)[3]) {
  const std::size_t size = line.size();
  if ((size - 2) % 3 != 0) return false;
  const auto word = static_cast<int>((size - 2) / 3);
  const int decimals = word - 2;  // at most 8 below kUsualLineMax: one group of eight
  const char* text = line.data();
  const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + size - 16));
  const std::uint32_t points =
      ClassMask(head, tail, size, [](__m128i v) { return _mm_cmpeq_epi8(v, _mm_set1_epi8('.')); });
  const std::uint32_t blanks = ClassMask(head, tail, size, [](__m128i v) {
    return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')),
                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\t')));
  });
  const std::uint32_t digits = ClassMask(head, tail, size, [](__m128i v) {
    // Signed bytes: those from 0x80 up lie below '0'.
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                         _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
  });
  const std::uint32_t inLine = size == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << size) - 1;
  const std::uint32_t expectedPoints = 0b10u | 0b10u << (word + 1) | 0b10u << (2 * word + 2);
  const std::uint32_t expectedBlanks = 1u << word | 1u << (2 * word + 1);
  if (points != expectedPoints || blanks != expectedBlanks ||
      (digits & inLine) != (inLine & ~(expectedPoints | expectedBlanks))) {
    return false;
  }
  const int unused = 8 * (8 - decimals);  // bits of the eight bytes that are no decimals
  const std::uint64_t kept = ~std::uint64_t{0} >> unused;
  const std::uint64_t groups[3] = {LoadEight(text + 2) & kept, LoadEight(text + word + 3) & kept,
                                   LoadEight(text + size - 8) >> unused};
  for (int i = 0; i < 3; ++i) {
    const std::uint64_t mantissa =
        static_cast<std::uint64_t>(text[i * (word + 1)] - '0') * std::uint64_t{100000000} +
        EightDigits(groups[i]);
    values[i] = static_cast<double>(static_cast<std::int64_t>(mantissa)) / 1e8;
  }
  return true;
}

#endif

// The common value line "a b c" in one walk over a padded copy: blanks, a number, one
// separator and blanks, a number, one separator and blanks, a number, blanks. Every line it
// takes the token walk takes alike, with the same values; false sends the line there.
bool ParseQuickTriple(std::string_view line, double& first, double& second, double& third) {
  if (line.size() > kQuickLineBytes) return false;
  double values[3];
#ifdef __SSE2__
  if (line.size() >= kUsualLineMin && line.size() <= kUsualLineMax &&
      ParseUsualTriple(line, values)) {
    first = values[0];
    second = values[1];
    third = values[2];
    return true;
  }
#endif
  char padded[kQuickLineBytes + kQuickLinePadding];
  CopyPadded(padded, line);
  const char* p = SkipQuickBlanks(padded);
  p = ReadQuickNumberAndSeparator(p, values[0]);
  if (p != nullptr) p = ReadQuickNumberAndSeparator(p, values[1]);
  if (p != nullptr) p = ReadQuickNumber(p, values[2]);
  if (p == nullptr || SkipQuickBlanks(p) != padded + line.size()) return false;
  first = values[0];
  second = values[1];
  third = values[2];
  return true;
}

// A decimal integer of the 32-bit range at p (optional sign, digits) up to a blank or the
// end; false when anything else is there.
bool ParsePlainInt(const char*& p, const char* end, std::int32_t& value) {
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) ++p;
  std::int64_t magnitude = 0;
  const char* first = p;
  for (; p != end && *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > 2147483648LL) return false;
  }
  if (p == first || (p != end && *p != ' ' && *p != '\t')) return false;
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > 2147483647LL) return false;
  value = static_cast<std::int32_t>(result);
  return true;
}

// The common integer line "a b c" (or "i a b c" with skipFirst), separated by spaces and
// tabs, in one pass; false sends the line to the general parser, which gives the same
// answer for every line this one takes.
bool ParsePlainIntTriple(std::string_view trimmed, bool skipFirst, std::int32_t (&codes)[3]) {
  const char* p = trimmed.data();
  const char* end = p + trimmed.size();
  auto skipBlanks = [&] {
    if (p == end || (*p != ' ' && *p != '\t')) return false;
    while (p != end && (*p == ' ' || *p == '\t')) ++p;
    return true;
  };
  if (skipFirst) {
    while (p != end && *p != ' ' && *p != '\t' && *p != ',') ++p;
    if (!skipBlanks()) return false;
  }
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !skipBlanks()) return false;
    if (!ParsePlainInt(p, end, codes[i])) return false;
  }
  return p == end;
}

// The next value token of a triple: trims what is left, cuts a token and trims it.
std::string_view NextValueToken(std::string_view& rest) {
  rest = Trim(rest);
  return Trim(NextToken(rest));
}

}  // namespace

namespace {

TSharedFileHead*& CurrentSharedHead() {
  thread_local TSharedFileHead* current = nullptr;
  return current;
}

}  // namespace

TSharedFileHead::TSharedFileHead(const std::string& path)
    : Path_(path), Outer_(CurrentSharedHead()) {
  CurrentSharedHead() = this;
}

TSharedFileHead::~TSharedFileHead() {
  CurrentSharedHead() = Outer_;
}

TSharedFileHead* TSharedFileHead::For(const std::string& path) {
  TSharedFileHead* shared = CurrentSharedHead();
  return shared != nullptr && shared->Path_ == path ? shared : nullptr;
}

const std::string& TSharedFileHead::Head() {
  if (!Read_) {
    Head_ = ReadFileBytes(Path_, kBytes);
    Read_ = true;
  }
  return Head_;
}

const std::string& TSharedFileHead::UpperHead() {
  if (!Upper_) {
    UpperHead_ = UpperCase(Head());
    Upper_ = true;
  }
  return UpperHead_;
}

std::string ReadFileHead(const std::string& path, std::size_t maxBytes) {
  if (TSharedFileHead* shared = TSharedFileHead::For(path); shared && maxBytes <= shared->kBytes) {
    const std::string& head = shared->Head();
    return head.substr(0, std::min(maxBytes, head.size()));
  }
  return ReadFileBytes(path, maxBytes);
}

std::string_view NextToken(std::string_view& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsSeparator(s[i])) {
      std::string_view token = s.substr(0, i);
      s.remove_prefix(i + 1);
      return token;
    }
  }
  std::string_view token = s;
  s = std::string_view();
  return token;
}

std::string_view FetchUntil(std::string_view separator, std::string_view& s) {
  std::size_t at = s.find(separator);
  if (at == std::string_view::npos || separator.empty()) {
    std::string_view all = s;
    s = std::string_view();
    return all;
  }
  std::string_view before = s.substr(0, at);
  s.remove_prefix(at + separator.size());
  return before;
}

std::size_t PosNoCase(std::string_view needle, std::string_view haystack) {
  if (needle.empty() || needle.size() > haystack.size()) return 0;
  const std::size_t last = haystack.size() - needle.size();
  for (std::size_t i = 0; i <= last; ++i) {
    std::size_t k = 0;
    while (k < needle.size() && ToUpper(haystack[i + k]) == ToUpper(needle[k])) ++k;
    if (k == needle.size()) return i + 1;
  }
  return 0;
}

std::string UpperCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) c = ToUpper(c);
  return result;
}

bool ParseIntTriple(std::string_view line, int scale, bool skipFirst, double& first, double& second,
                    double& third) {
  std::string_view rest = Trim(line);
  if (std::int32_t codes[3]; ParsePlainIntTriple(rest, skipFirst, codes)) {
    first = static_cast<double>(codes[0]) / scale;
    second = static_cast<double>(codes[1]) / scale;
    third = static_cast<double>(codes[2]) / scale;
    return true;
  }
  if (skipFirst) NextToken(rest);
  std::int32_t code = 0;
  if (!TryStrToInt(NextValueToken(rest), code)) return false;
  first = static_cast<double>(code) / scale;
  if (!TryStrToInt(NextValueToken(rest), code)) return false;
  second = static_cast<double>(code) / scale;
  if (!TryStrToInt(Trim(rest), code)) return false;
  third = static_cast<double>(code) / scale;
  return true;
}

namespace {

// The token walk: the definition of a value line, which the quick reader follows. Out of
// line, so that the quick reader's frame stays small.
[[gnu::noinline]] bool ParseTokenTriple(std::string_view line, double& first, double& second,
                                        double& third) {
  std::string_view rest = Trim(line);
  if (!TryStrToFloat(NextValueToken(rest), first)) return false;
  if (!TryStrToFloat(NextValueToken(rest), second)) return false;
  return TryStrToFloat(Trim(rest), third);
}

}  // namespace

bool ParseFloatTriple(std::string_view line, double& first, double& second, double& third) {
  return ParseQuickTriple(line, first, second, third) ||
         ParseTokenTriple(line, first, second, third);
}

bool LooksLikeValueLine(std::string_view line) {
  std::string_view rest = TrimLeft(line);
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) rest.remove_prefix(1);
  if (rest.empty()) return false;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (isDigit(rest[0])) return true;
  if (rest[0] == '.') return rest.size() > 1 && isDigit(rest[1]);
  std::size_t length = 0;
  while (length < rest.size() && !IsBlank(rest[length]) && !IsSeparator(rest[length])) ++length;
  const std::string word = UpperCase(rest.substr(0, length));
  return word == "NAN" || word == "INF" || word == "INFINITY";
}

std::string NumberText(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, result.ptr);
}

namespace {

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

void AppendHexEscape(std::string& out, char c) {
  constexpr char kHex[] = "0123456789abcdef";
  const auto byte = static_cast<unsigned char>(c);
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

void AppendFieldEscape(std::string& out, char c) {
  switch (c) {
    case '\\':
      out += "\\\\";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    default:
      if (IsControl(c)) {
        AppendHexEscape(out, c);
      } else {
        out += c;
      }
  }
}

}  // namespace

std::string EscapeControls(std::string_view text, TEscape mode) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (mode == TEscape::Field) {
      AppendFieldEscape(escaped, c);
    } else if (IsControl(c) && c != '\n' && c != '\t') {
      AppendHexEscape(escaped, c);
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string FormatScaledInt(int bits, double value) {
  if (std::isnan(value) || value < 0.0) value = 0.0;
  if (value > 1.0) value = 1.0;
  double top = std::ldexp(1.0, bits) - 1.0;
  return IntToStr(RoundHalfEven(top * value));
}

std::size_t FormatFixedTo(char* out, int decimals, double value) {
  switch (decimals) {
    case 0:
      return FormatFixedToN<0>(out, value);
    case 1:
      return FormatFixedToN<1>(out, value);
    case 2:
      return FormatFixedToN<2>(out, value);
    case 3:
      return FormatFixedToN<3>(out, value);
    case 4:
      return FormatFixedToN<4>(out, value);
    case 5:
      return FormatFixedToN<5>(out, value);
    case 6:
      return FormatFixedToN<6>(out, value);
    case 7:
      return FormatFixedToN<7>(out, value);
    case 8:
      return FormatFixedToN<8>(out, value);
    case 9:
      return FormatFixedToN<9>(out, value);
    default:
      return FormatFixedRounded(out, decimals < 0 ? 0 : decimals, value);
  }
}

std::size_t FormatFixedRounded(char* out, int decimals, double value) {
  if (decimals < 0) decimals = 0;
  char* p = out;
  if (std::isnan(value)) {
    std::memcpy(p, "NAN", 3);
    return 3;
  }
  if (std::isinf(value)) {
    if (value < 0) *p++ = '-';
    std::memcpy(p, "INF", 3);
    return static_cast<std::size_t>(p + 3 - out);
  }
  // 15 significant digits, correctly rounded: d.dddddddddddddde±x
  char sci[32];
  int kept = 0;       // digits of `digits` in use
  int intDigits = 1;  // digits before the point of 0.d1d2... x 10^intDigits
  char digits[16] = {};
  if (value != 0.0) {
    auto result =
        std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 14);
    const char* e = static_cast<const char*>(std::memchr(sci, 'e', result.ptr - sci));
    digits[kept++] = sci[0];
    for (const char* d = sci + 2; d < e; ++d) digits[kept++] = *d;
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), result.ptr, exponent);
    intDigits = exponent + 1;
    // Round to the requested decimals, halves away from zero.
    int keep = intDigits + decimals;
    if (keep < kept) {
      bool up = keep >= 0 && digits[keep] >= '5';
      kept = keep < 0 ? 0 : keep;
      if (up) {
        int i = kept - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) {
          ++digits[i];
        } else {
          std::memmove(digits + 1, digits, static_cast<std::size_t>(kept));
          digits[0] = '1';
          ++kept;
          ++intDigits;
        }
      }
    }
    while (kept > 0 && digits[kept - 1] == '0') --kept;
  }
  if (value < 0 && kept > 0) *p++ = '-';
  auto digitAt = [&](int position) {
    return position >= 0 && position < kept ? digits[position] : '0';
  };
  if (intDigits <= 0 || kept == 0) {
    *p++ = '0';
  } else {
    for (int i = 0; i < intDigits; ++i) *p++ = digitAt(i);
  }
  int fractionStart = (kept == 0) ? 0 : intDigits;
  if (decimals > 0) {
    *p++ = '.';
    for (int i = 0; i < decimals; ++i) *p++ = kept == 0 ? '0' : digitAt(fractionStart + i);
  }
  return static_cast<std::size_t>(p - out);
}

std::string FormatFixed(int decimals, double value) {
  std::string text(FormatFixedMaxLength(decimals), '\0');
  text.resize(FormatFixedTo(text.data(), decimals, value));
  return text;
}

}  // namespace vorn
