#pragma once
// Token, search, value-line and number-printing tools shared by every text format.
// None keeps state; only ReadFileHead touches a file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
// the space).
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);

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

// Round((2^bits - 1) x value) with the value clamped to [0, 1] (NaN as 0), halves to even.
std::string FormatScaledInt(int bits, double value);

// Fixed-point text with exactly `decimals` digits after the point: the value is rounded
// to 15 significant digits, then to the decimals with halves away from zero. A value that
// prints as zero has no sign.
std::string FormatFixed(int decimals, double value);

// Writes the FormatFixed text of value into out (room for at least
// FormatFixedMaxLength(decimals) chars) and returns its length.
std::size_t FormatFixedTo(char* out, int decimals, double value);
constexpr std::size_t FormatFixedMaxLength(int decimals) {
  return 330 + static_cast<std::size_t>(decimals < 0 ? 0 : decimals);
}

}  // namespace vorn
