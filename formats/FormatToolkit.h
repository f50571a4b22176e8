#pragma once
// What the format classes are built from: reading line-based files (formats/TextReading.h:
// TGenericLutFormat, the state of a load, value layouts), writing grids and tables in a
// chosen node order, channel order and number coding, comment and keyword lines,
// little-endian bytes for binary formats and the XML reader. A format class is its header
// lines plus these calls; this is the one header a format includes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "core/TextFile.h"
#include "core/TextTools.h"
#include "formats/HeaderClaims.h"
#include "formats/TextReading.h"
#include "formats/XMLNode.h"
#include "platform/Convert.h"

namespace vorn {

// How numbers are printed. A small value type: the loops below pick the coding once, so
// nothing per value is virtual or allocates.
class TValueWriter {
 public:
  enum class TCoding : std::uint8_t { Fixed, ScaledInt, Code };

  // FormatFixed: the value as stored with this many decimals.
  static TValueWriter Fixed(int decimals);
  // FormatScaledInt: clamped to [0, 1] (NaN as 0), times 2^bits - 1, halves to even.
  static TValueWriter ScaledInt(int bits);
  // The value times top, halves to even, not clamped (codes may leave 0..top).
  static TValueWriter Code(double top);

  TCoding Coding() const { return Coding_; }
  int Decimals() const { return Decimals_; }
  // The code of 1.0 (2^bits - 1 for ScaledInt).
  double Top() const { return Top_; }
  // Writes the text of value at out, which has room for MaxLength() chars; returns the end.
  char* Write(char* out, double value) const;
  std::size_t MaxLength() const;

 private:
  TValueWriter(TCoding coding, int decimals, double top)
      : Coding_(coding), Decimals_(decimals), Top_(top) {}

  TCoding Coding_;
  int Decimals_;
  double Top_;
};

// The grid size and table size a writer may loop over; a record that claims more than it
// holds is refused.
int GridSizeToWrite(const TLUT& lut);
int TableSizeToWrite(const TLUT& lut);
// The bit depth of integer codes a writer puts out: 1 to maxBits (31 keeps every code a
// 32-bit integer, as the readers take them; less where a header states 2^bits).
int CodeBitsToWrite(int bits, int maxBits = 31);

// Calls visit(r, g, b) for every node of an n-node grid in the order of a file's values:
// red fastest (then green, then blue) or blue fastest (then green, then red).
template <class Visit>
void ForEachGridNode(int n, TNodeOrder order, Visit&& visit) {
  for (int slow = 0; slow < n; ++slow) {
    for (int g = 0; g < n; ++g) {
      for (int fast = 0; fast < n; ++fast) {
        if (order == noRedFastest) {
          visit(fast, g, slow);
        } else {
          visit(slow, g, fast);
        }
      }
    }
  }
}

// One line per grid node (Size3D^3 lines) or table entry (Size1D lines).
void AddGridLines(TTextFile& text, const TLUT& lut, const TValueLayout& layout,
                  const TValueWriter& writer);
void AddTableLines(TTextFile& text, const TLUT& lut, const TValueLayout& layout,
                   const TValueWriter& writer);
// One line per table entry (Size1D lines) for lines that are not a plain row of values
// (values inside other text, an index before each value, one channel per line):
// writeLine(out, index, rgb) writes at most maxLength chars at out and returns their end.
template <class WriteLine>
void AddTableLinesBy(TTextFile& text, const TLUT& lut, std::size_t maxLength,
                     WriteLine&& writeLine) {
  const int n = TableSizeToWrite(lut);
  text.Reserve(text.Count() + static_cast<std::size_t>(n) + 16,
               static_cast<std::size_t>(n) * 24 + 1024);
  std::string line(maxLength, '\0');
  for (int i = 0; i < n; ++i) {
    const char* end = writeLine(line.data(), i, lut.Entry(i));
    text.Add(std::string_view(line.data(), static_cast<std::size_t>(end - line.data())));
  }
}
// One line per grid node (Size3D^3 lines) in the given node order, for lines that are not a
// plain row of values (the node's indices before its values): writeLine(out, r, g, b, rgb)
// writes at most maxLength chars at out and returns their end.
template <class WriteLine>
void AddGridLinesBy(TTextFile& text, const TLUT& lut, TNodeOrder order, std::size_t maxLength,
                    WriteLine&& writeLine) {
  const int n = GridSizeToWrite(lut);
  const std::size_t nodes = static_cast<std::size_t>(n) * n * n;
  text.Reserve(text.Count() + nodes + 16, text.Bytes() + nodes * (maxLength / 2) + 1024);
  const TLutView grid = lut.GridView(n);
  ForEachGridNode(n, order, [&](int r, int g, int b) {
    text.AddLineEnd(writeLine(text.AddLineStart(maxLength), r, g, b, grid.Node(r, g, b)));
  });
}
// Copies text to out and returns the end, for the line writers above.
inline char* PutText(char* out, std::string_view text) {
  return std::copy(text.begin(), text.end(), out);
}
// Every comment of the record after prefix.
void AddCommentLines(TTextFile& text, const TLUT& lut, std::string_view prefix = "# ");
// One line per element of values, which the record does not hold (a fixed ramp, say), laid
// out like the grid and table lines; an index column numbers them from 0.
void AddValueLines(TTextFile& text, std::span<const TRGB> values, const TValueLayout& layout,
                   const TValueWriter& writer);

// A line of count real numbers: every number written with writer, one blank between them,
// number i being value(i) (a line of breakpoints, say).
template <class Value>
void AddNumberLine(TTextFile& text, int count, const TValueWriter& writer, Value&& value) {
  const std::size_t step = writer.MaxLength() + 1;
  char* const start = text.AddLineStart(static_cast<std::size_t>(count) * step + 1);
  char* out = start;
  for (int i = 0; i < count; ++i) {
    if (i > 0) *out++ = ' ';
    out = writer.Write(out, value(i));
  }
  text.AddLineEnd(out);
}

// Fills the record's table with entries spread evenly over domain, entry i of channel c being
// curves(input of entry i) of that channel, and sets Size1D and TableDomain. It takes the
// fewest entries (from 257, doubling less one, up to the record's capacity) for which the
// table, read with linear interpolation, stays within tolerance of the curves at the middle of
// every pair of neighbouring entries; the count it took is returned. For curves that are
// smooth between their own breakpoints, the middles are where a table's error peaks.
using TCurves = std::function<TRGB(const TRGB& in)>;
int SampleCurvesOntoTable(TLUT& lut, const TLutDomain& domain, const TCurves& curves,
                          double tolerance);

// The line a writer puts in every file it converts.
inline constexpr const char* kConvertedBy = "# Converted by Vorn LUT Converter";

// Line tools for readers.
// True when the file's last extension equals extension (given with its dot), ASCII case
// ignored.
bool HasExtension(const std::string& path, std::string_view extension);
// A trimmed line whose first character is "#".
inline bool IsCommentLine(std::string_view trimmed) {
  return !trimmed.empty() && trimmed[0] == '#';
}
// The text after the "#" of a comment line, trimmed.
inline std::string_view CommentText(std::string_view trimmed) {
  return Trim(trimmed.substr(1));
}
// The text after the first occurrence of keyword in line (ASCII case ignored), or an empty
// view when line does not contain it; found tells which.
std::string_view TextAfterKeyword(std::string_view line, std::string_view keyword, bool& found);
// For a line that begins with prefix after its leading blanks (case counts): true, with the
// decimal integer that follows the prefix in value. Blanks may lead the number; anything
// else around it raises EConvertError. False, value untouched, for any other line.
bool IntegerAfterPrefix(std::string_view line, std::string_view prefix, std::int32_t& value);
// The number of pieces of line, split at spaces and tabs (a run of them is one separator),
// when every piece is a decimal integer; -1 when one is not, 0 for a blank line.
int IntegerPieceCount(std::string_view line);
// A real number as a token of a list of values: what TryStrToFloat takes, and "nan", "inf"
// and "infinity" with an optional sign (ASCII case ignored).
bool ParseRealToken(std::string_view token, double& value);
// The numbers of one line, separated by blanks and tabs, as ForEachRealIn takes them.
template <class Take>
std::string_view ForEachRealOnLine(std::string_view line, Take&& take) {
  std::size_t i = 0;
  const std::size_t n = line.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (i < n) {
    while (i < n && blank(line[i])) ++i;
    const std::size_t start = i;
    while (i < n && !blank(line[i])) ++i;
    if (i == start) break;
    const std::string_view token = line.substr(start, i - start);
    double value = 0.0;
    if (!ParseRealToken(token, value)) return token;
    take(value);
  }
  return {};
}
// Calls take(value) for every number of text, in order; numbers are separated by blanks,
// tabs and line breaks. Returns the first piece that is not a number (and stops there), or
// an empty view when every piece was one. Lines of three numbers take the value-line
// reader's fast path.
template <class Take>
std::string_view ForEachRealIn(std::string_view text, Take&& take) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    double first = 0.0, second = 0.0, third = 0.0;
    // A comma separates values on a value line, not in this list.
    if (line.find(',') == std::string_view::npos && ParseFloatTriple(line, first, second, third)) {
      take(first);
      take(second);
      take(third);
      continue;
    }
    const std::string_view bad = ForEachRealOnLine(line, take);
    if (!bad.empty()) return bad;
  }
  return {};
}
// The deepest integer codes a reader can divide: 2^31 - 1 is the largest 32-bit code.
inline constexpr int kMaxCodeBits = 31;
// The bit depth of integer codes that a file does not state, estimated from its lines of
// exactly three codes: from startBits, a line whose largest code c passes the top code
// 2^bits - 1 adds Ceil(c / top) - 1 bits, so the depth only grows and a gradual rise ends
// at the smallest depth that holds every code. A depth past kMaxCodeBits is refused, with
// the line that asked for it.
int EstimateCodeBits(const TTextFile& text, int startBits);
// The number of the file's line on which the text of its first element named tag (any
// case) starts; 1 when there is none. Lines inside that text are reported with it.
int LineOfElementText(const std::string& path, std::string_view tag);
// The file's name without folder and last extension (writers that name the file inside it).
std::string FileTitle(const std::string& path);

// Little-endian reading of a binary file's bytes. Reading past the end raises ELUTError
// "Incomplete file.".
class TByteReader {
 public:
  explicit TByteReader(std::string_view data) : Data_(data) {}

  std::uint8_t U8();
  std::uint16_t U16LE();
  std::uint32_t U32LE();
  // The next count bytes.
  std::string_view Bytes(std::size_t count);
  void Skip(std::size_t count) { Bytes(count); }
  std::size_t Position() const { return Position_; }
  std::size_t Remaining() const { return Data_.size() - Position_; }

 private:
  void Need(std::size_t count) const;

  std::string_view Data_;
  std::size_t Position_ = 0;
};

// The sum of the bytes, each taken as an unsigned 8-bit number, modulo 2^32.
std::uint32_t ByteSum(std::string_view bytes);

// Little-endian building of a binary file, written whole at the end like a text file.
class TByteWriter {
 public:
  void U8(std::uint8_t value) { Data_.push_back(static_cast<char>(value)); }
  void U16LE(std::uint16_t value);
  void U32LE(std::uint32_t value);
  void Bytes(std::string_view bytes) { Data_.append(bytes); }
  void Zeros(std::size_t count) { Data_.append(count, '\0'); }
  // Overwrite bytes already written at position (a checksum or a length).
  void PatchU8(std::size_t position, std::uint8_t value);
  void PatchU32LE(std::size_t position, std::uint32_t value);
  void Reserve(std::size_t bytes) { Data_.reserve(bytes); }
  std::size_t Size() const { return Data_.size(); }
  std::string_view Data() const { return Data_; }
  // Writes the file with the bytes (WriteWholeFile); a failed write leaves an existing file
  // as it was.
  void Save(const std::string& path, TWriteMode mode = TWriteMode::Replace) const;

 private:
  void CheckPatch(std::size_t position, std::size_t count) const;

  std::string Data_;
};

}  // namespace vorn
