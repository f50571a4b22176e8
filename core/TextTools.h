#pragma once
// Token, search, value-line and number-printing tools shared by every text format.
// None keeps state; only ReadFileHead touches a file.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The first bytes of the file (NUL bytes included), at most maxBytes.
std::string ReadFileHead(const std::string& path, std::size_t maxBytes);

// While one lives, the first 4096 bytes of its file are read once: ReadFileHead of that
// path (up to 4096 bytes) and the keyword test of every format DetectFormat asks are
// answered from memory. Nothing is kept once it goes away, so each detection reads the
// file afresh. One per thread at a time.
class TSharedFileHead {
 public:
  static constexpr std::size_t kBytes = 4096;
  explicit TSharedFileHead(const std::string& path);
  ~TSharedFileHead();
  TSharedFileHead(const TSharedFileHead&) = delete;
  TSharedFileHead& operator=(const TSharedFileHead&) = delete;

  // The live one for this path, or null.
  static TSharedFileHead* For(const std::string& path);
  // The head (read on first use; a read error is raised each time it is asked for).
  const std::string& Head();
  // The head in ASCII upper case.
  const std::string& UpperHead();

 private:
  const std::string& Path_;
  bool Read_ = false;
  bool Upper_ = false;
  std::string Head_;
  std::string UpperHead_;
  TSharedFileHead* Outer_;
};

// Removes leading and trailing blanks and control characters (bytes up to and including
// the space). Inline: every line of every text file passes here.
inline std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return {s.data() + i, s.size() - i};
}
inline std::string_view TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return {s.data(), n};
}
inline std::string_view Trim(std::string_view s) {
  return TrimRight(TrimLeft(s));
}

// The text before the first tab, space or comma; s loses the token and that one
// separator. Without a separator the token is all of s and s becomes empty.
std::string_view NextToken(std::string_view& s);

// The text before the first occurrence of separator; s loses that text and the
// separator. Without one the whole of s is the result and s becomes empty.
std::string_view FetchUntil(std::string_view separator, std::string_view& s);

// 1-based position of needle in haystack ignoring ASCII case; 0 when absent.
std::size_t PosNoCase(std::string_view needle, std::string_view haystack);

// ASCII upper case.
std::string UpperCase(std::string_view s);

// Three integer codes divided by scale; with skipFirst a leading column is dropped.
// The third value is the whole trimmed rest of the line.
bool ParseIntTriple(std::string_view line, int scale, bool skipFirst, double& first, double& second,
                    double& third);
// Three reals with "." as decimal separator; the third is the whole trimmed rest.
bool ParseFloatTriple(std::string_view line, double& first, double& second, double& third);

// True for a line that looks like a line of values: after leading blanks it starts with a
// number (an optional sign, then a digit, or a point and a digit) or with one of the words
// nan, inf or infinity (any case, optional sign) standing alone. Keyword, comment and empty lines
// do not; "1e400 0 0", "nan 0 0", "0.5 0.5" and four numbers do. Readers that skip such a line
// inside their values report it (see TSkippedValueLines).
bool LooksLikeValueLine(std::string_view line);

// A number for messages: at most 6 significant digits, "general" notation ("-0.1", "2",
// "1e+308", "inf", "nan").
std::string NumberText(double value);

// Text from a file (a name, a comment) made safe to print for a reader: control bytes
// (below 32, and 127) never reach a terminal as they are. Field: backslash, tab, line feed
// and carriage return become \\, \t, \n and \r, every other control byte \xHH, so that the
// text stays one field of one line. Message: line feeds and tabs stay (messages may span
// lines), backslashes stay, every other control byte becomes \xHH.
enum class TEscape { Field, Message };
std::string EscapeControls(std::string_view text, TEscape mode = TEscape::Field);

// Round((2^bits - 1) x value) with the value clamped to [0, 1] (NaN as 0), halves to even.
std::string FormatScaledInt(int bits, double value);

// Fixed-point text with exactly `decimals` digits after the point: the value is rounded
// to 15 significant digits, then to the decimals with halves away from zero. A value that
// prints as zero has no sign.
std::string FormatFixed(int decimals, double value);

// Writes the FormatFixed text of value into out (room for at least
// FormatFixedMaxLength(decimals) chars) and returns its length. The byte after the text
// may be overwritten too.
std::size_t FormatFixedTo(char* out, int decimals, double value);
constexpr std::size_t FormatFixedMaxLength(int decimals) {
  return 330 + static_cast<std::size_t>(decimals < 0 ? 0 : decimals);
}
// FormatFixedTo through the 15-significant-digit rounding, for the values the quick path
// below cannot decide.
std::size_t FormatFixedRounded(char* out, int decimals, double value);

namespace text_detail {
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
// "000" to "999", four bytes apart.
struct TDigitTriples {
  char Text[1000][4];
  constexpr TDigitTriples() : Text() {
    for (int i = 0; i < 1000; ++i) {
      Text[i][0] = static_cast<char>('0' + i / 100);
      Text[i][1] = static_cast<char>('0' + i / 10 % 10);
      Text[i][2] = static_cast<char>('0' + i % 10);
      Text[i][3] = 0;
    }
  }
};
inline constexpr TDigitTriples kDigitTriples;
inline constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
}  // namespace text_detail

// FormatFixedTo with the decimals (0 to 9) fixed when compiled: the writers' hot path.
// Values below 10^(15 - decimals) that are not near a half of the last digit print from
// one scaled integer; every other value takes FormatFixedRounded, so the text is the same.
// As FormatFixedTo, the byte after the text may be overwritten.
template <int kDecimals>
inline std::size_t FormatFixedToN(char* out, double value) {
  static_assert(kDecimals >= 0 && kDecimals <= 9);
  using text_detail::kPowersOfTen;
  constexpr double kScale = kPowersOfTen[kDecimals];
  constexpr auto kUnitsPerOne = static_cast<std::uint64_t>(kPowersOfTen[kDecimals]);
  const double magnitude = std::fabs(value);
  if (magnitude < kPowersOfTen[15 - kDecimals]) {  // false for NaN
    const double scaled = magnitude * kScale;
    // Below 2^63: the signed conversions are one instruction each, the unsigned ones not.
    const auto signedWhole = static_cast<std::int64_t>(scaled);
    const auto whole = static_cast<std::uint64_t>(signedWhole);
    const double distance = (scaled - static_cast<double>(signedWhole)) - 0.5;
    const double tolerance = scaled * 1e-14;
    // One test, not two: the sign of the distance is as likely either way, and a branch on it
    // would be mispredicted for every other value.
    if (std::fabs(distance) > tolerance) {
      const std::uint64_t units = whole + (distance > 0 ? 1 : 0);
      const std::uint64_t integral = units / kUnitsPerOne;
      char* p = out;
      if (value < 0 && units != 0) *p++ = '-';
      if (integral < 10) {
        *p++ = static_cast<char>('0' + integral);
      } else {
        char digits[20];
        char* end = digits + sizeof digits;
        char* q = end;
        for (std::uint64_t rest = integral; rest != 0; rest /= 10) {
          *--q = static_cast<char>('0' + rest % 10);
        }
        for (; q != end; ++q) *p++ = *q;
      }
      if constexpr (kDecimals > 0) {
        *p++ = '.';
        auto fraction = static_cast<std::uint32_t>(units - integral * kUnitsPerOne);
        // Groups of three digits from the right, written from the left with moves of four
        // bytes: the fourth lands where the next group (or the byte after the text) goes.
        constexpr int kGroups = kDecimals / 3;
        std::uint32_t groups[kGroups > 0 ? kGroups : 1];
        for (int i = kGroups - 1; i >= 0; --i) {
          groups[i] = fraction % 1000;
          fraction /= 1000;
        }
        if constexpr (kDecimals % 3 == 2) {
          std::memcpy(p, text_detail::kDigitPairs + 2 * fraction, 2);
          p += 2;
        } else if constexpr (kDecimals % 3 == 1) {
          *p++ = static_cast<char>('0' + fraction);
        }
        for (int i = 0; i < kGroups; ++i) {
          std::memcpy(p, text_detail::kDigitTriples.Text[groups[i]], 4);
          p += 3;
        }
      }
      return static_cast<std::size_t>(p - out);
    }
  }
  return FormatFixedRounded(out, kDecimals, value);
}

}  // namespace vorn
