#include "formats/FormatToolkit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/TextTools.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr std::size_t kIntegerTextLength = 21;  // sign and 20 digits of a 64-bit integer
constexpr int kPrefetchAhead = 8;

char* WriteInteger(char* out, std::int64_t value) {
  return std::to_chars(out, out + kIntegerTextLength, value).ptr;
}

// The largest code a reader takes: codes are read as 32-bit integers.
constexpr double kLargestReadableCode = 2147483647.0;

char* WriteCode(char* out, double value, double top, bool clamped) {
  if (clamped) {
    if (std::isnan(value) || value < 0.0) value = 0.0;
    if (value > 1.0) value = 1.0;
  } else if (!(std::fabs(top * value) <= kLargestReadableCode)) {
    // Unclamped codes are the only ones that can leave the readers' range; NaN fails too.
    if (!std::isfinite(value)) throw EUnwritableValue(value, kNotFiniteValueReason);
    throw EUnwritableValue(value, "times the top code " + NumberText(top) +
                                      " it lies beyond the 32-bit integers that readers take.");
  }
  return WriteInteger(out, RoundHalfEven(top * value));
}

[[noreturn]] [[gnu::noinline]] void RefuseNotFinite(double value) {
  throw EUnwritableValue(value, kNotFiniteValueReason);
}

// Fixed-point text of any finite value can be read back; infinities and NaN cannot. Kept
// inline, its throw out of line: the writers call it for every value.
inline void CheckFixed(double value) {
  if (!std::isfinite(value)) [[unlikely]]
    RefuseNotFinite(value);
}

// Typical bytes of one written value, to size the text's buffer once.
std::size_t TypicalLength(const TValueWriter& writer) {
  switch (writer.Coding()) {
    case TValueWriter::TCoding::Fixed:
      return static_cast<std::size_t>(writer.Decimals()) + 3;
    case TValueWriter::TCoding::ScaledInt:
    case TValueWriter::TCoding::Code:
      break;
  }
  return 6;
}

// Calls add with the printer of the writer's coding, so that the loops inside are compiled
// once per coding and call no function per value through a pointer.
template <class Add>
void WithPrinter(const TValueWriter& writer, Add&& add) {
  const int decimals = writer.Decimals();
  const double top = writer.Top();
  switch (writer.Coding()) {
    case TValueWriter::TCoding::Fixed:
      // Six decimals, the most common coding, get a loop of their own.
      if (decimals == 6) {
        add([](char* out, double value) {
          CheckFixed(value);
          return out + FormatFixedToN<6>(out, value);
        });
      } else {
        add([decimals](char* out, double value) {
          CheckFixed(value);
          return out + FormatFixedTo(out, decimals, value);
        });
      }
      return;
    case TValueWriter::TCoding::ScaledInt:
      add([top](char* out, double value) { return WriteCode(out, value, top, true); });
      return;
    case TValueWriter::TCoding::Code:
      add([top](char* out, double value) { return WriteCode(out, value, top, false); });
      return;
  }
}

// Writes one value line into line (room for its longest form) and returns its end. The
// layout's choices are template arguments, so the loops below test nothing per value.
template <bool kIndexColumn, bool kBgr, class Print>
char* WriteValueLine(char* line, char separator, std::size_t index, const double* rgb,
                     const Print& print) {
  char* p = line;
  if constexpr (kIndexColumn) {
    p = WriteInteger(p, static_cast<std::int64_t>(index));
    *p++ = separator;
  }
  p = print(p, rgb[kBgr ? 2 : 0]);
  *p++ = separator;
  p = print(p, rgb[1]);
  *p++ = separator;
  return print(p, rgb[kBgr ? 0 : 2]);
}

// Calls add with a line writer for the layout and the writer's coding.
template <class Add>
void WithLineWriter(const TValueLayout& layout, const TValueWriter& writer, Add&& add) {
  WithPrinter(writer, [&](const auto& print) {
    const char separator = layout.Separator;
    auto with = [&]<bool kIndexColumn, bool kBgr>() {
      add([&](char* line, std::size_t index, const double* rgb) {
        return WriteValueLine<kIndexColumn, kBgr>(line, separator, index, rgb, print);
      });
    };
    const bool bgr = layout.Channels == coBGR;
    if (layout.IndexColumn) {
      bgr ? with.template operator()<true, true>() : with.template operator()<true, false>();
    } else {
      bgr ? with.template operator()<false, true>() : with.template operator()<false, false>();
    }
  });
}

std::size_t LineCapacity(const TValueWriter& writer) {
  return kIntegerTextLength + 1 + 3 * (writer.MaxLength() + 1);
}

}  // namespace

// ---- Numbers -----------------------------------------------------------------------------

TValueWriter TValueWriter::Fixed(int decimals) {
  return TValueWriter(TCoding::Fixed, decimals < 0 ? 0 : decimals, 0.0);
}

TValueWriter TValueWriter::ScaledInt(int bits) {
  return TValueWriter(TCoding::ScaledInt, 0, std::ldexp(1.0, bits) - 1.0);
}

TValueWriter TValueWriter::Code(double top) {
  return TValueWriter(TCoding::Code, 0, top);
}

char* TValueWriter::Write(char* out, double value) const {
  char* end = out;
  WithPrinter(*this, [&](const auto& print) { end = print(out, value); });
  return end;
}

std::size_t TValueWriter::MaxLength() const {
  return Coding_ == TCoding::Fixed ? FormatFixedMaxLength(Decimals_) : kIntegerTextLength;
}

// ---- Grid and table lines ------------------------------------------------------------------

int GridSizeToWrite(const TLUT& lut) {
  if (lut.Size3D < 0 || lut.Size3D > TLUT::MaxGridNodes) {
    throw Exception("Cannot write a grid of " + std::to_string(lut.Size3D) + " nodes per axis.");
  }
  return lut.Size3D;
}

int TableSizeToWrite(const TLUT& lut) {
  if (lut.Size1D < 0 || lut.Size1D > TLUT::MaxTableEntries) {
    throw Exception("Cannot write a table of " + std::to_string(lut.Size1D) + " entries.");
  }
  return lut.Size1D;
}

int CodeBitsToWrite(int bits, int maxBits) {
  if (bits < 1 || bits > maxBits) {
    throw Exception("Cannot write codes of " + std::to_string(bits) +
                    " bits: this format takes 1 to " + std::to_string(maxBits) + " bits.");
  }
  return bits;
}

void AddGridLines(TTextFile& text, const TLUT& lut, const TValueLayout& layout,
                  const TValueWriter& writer) {
  const int n = GridSizeToWrite(lut);
  const std::size_t nodes = static_cast<std::size_t>(n) * n * n;
  text.Reserve(text.Count() + nodes + 16,
               text.Bytes() + nodes * (3 * TypicalLength(writer) + 4) + 1024);
  const std::size_t capacity = LineCapacity(writer);
  // Lines walk the fastest axis innermost: red for cube files, blue for 3dl files.
  const bool redFastest = layout.Order == noRedFastest;
  const TLutView grid = lut.GridView(n);
  const std::size_t fastStride = redFastest ? grid.StrideR() : TLutView::StrideB;
  const std::size_t slowStride = redFastest ? TLutView::StrideB : grid.StrideR();
  WithLineWriter(layout, writer, [&](const auto& writeLine) {
    text.AddLineRun(nodes, capacity, [&](std::size_t first) {
      const auto rows = first / static_cast<std::size_t>(n);
      auto fast = static_cast<int>(first % static_cast<std::size_t>(n));
      auto g = static_cast<int>(rows % static_cast<std::size_t>(n));
      auto slow = static_cast<int>(rows / static_cast<std::size_t>(n));
      auto rowAt = [&](int s, int gg) {
        return grid.Data() + s * slowStride + gg * grid.StrideG();
      };
      return [&, rowAt, index = first, fast, g, slow, row = rowAt(slow, g)](char* out) mutable {
        // Nodes along the fastest axis lie a whole plane apart when red varies fastest;
        // asking for one a few lines ahead hides the wait for memory.
        if (fast + kPrefetchAhead < n)
          __builtin_prefetch(row + (fast + kPrefetchAhead) * fastStride);
        char* end = writeLine(out, index++, row + fast * fastStride);
        if (++fast == n) {
          fast = 0;
          if (++g == n) {
            g = 0;
            ++slow;
          }
          if (slow < n) row = rowAt(slow, g);
        }
        return end;
      };
    });
  });
}

void AddTableLines(TTextFile& text, const TLUT& lut, const TValueLayout& layout,
                   const TValueWriter& writer) {
  const int n = TableSizeToWrite(lut);
  const std::size_t entries = static_cast<std::size_t>(n);
  text.Reserve(text.Count() + entries + 16,
               text.Bytes() + entries * (3 * TypicalLength(writer) + 4) + 1024);
  const std::size_t capacity = LineCapacity(writer);
  WithLineWriter(layout, writer, [&](const auto& writeLine) {
    text.AddLineRun(entries, capacity, [&](std::size_t first) {
      return [&, i = first](char* out) mutable {
        const std::size_t entry = i++;
        return writeLine(out, entry, lut.Entry(static_cast<int>(entry)));
      };
    });
  });
}

namespace {

// The largest distance, over the middles between neighbouring entries, between the first
// entries entries of the table (read linearly) and the curves.
double LargestMiddleError(const TLUT& lut, int entries, const TLutDomain& domain,
                          const TCurves& curves) {
  double largest = 0.0;
  const double step = 1.0 / (entries - 1);
  for (int i = 0; i + 1 < entries; ++i) {
    const double t = (i + 0.5) * step;
    const TRGB exact = curves(domain.FromUnit({t, t, t}));
    const double* low = lut.Entry(i);
    const double* high = lut.Entry(i + 1);
    const double read[3] = {0.5 * (low[0] + high[0]), 0.5 * (low[1] + high[1]),
                            0.5 * (low[2] + high[2])};
    largest = std::max({largest, std::fabs(read[0] - exact.R), std::fabs(read[1] - exact.G),
                        std::fabs(read[2] - exact.B)});
  }
  return largest;
}

void SampleEntries(TLUT& lut, int entries, const TLutDomain& domain, const TCurves& curves) {
  lut.ReserveTable(entries);
  const double step = 1.0 / (entries - 1);
  for (int i = 0; i < entries; ++i) {
    const double t = i * step;
    lut.SetEntry(i, curves(domain.FromUnit({t, t, t})));
  }
}

}  // namespace

int SampleCurvesOntoTable(TLUT& lut, const TLutDomain& domain, const TCurves& curves,
                          double tolerance) {
  constexpr int kFirstEntries = 257;
  int entries = kFirstEntries;
  for (;;) {
    SampleEntries(lut, entries, domain, curves);
    if (entries == TLUT::MaxTableEntries ||
        LargestMiddleError(lut, entries, domain, curves) <= tolerance) {
      break;
    }
    entries = std::min(2 * entries - 1, TLUT::MaxTableEntries);
  }
  lut.Size1D = entries;
  lut.TableDomain = domain;
  return entries;
}

void AddCommentLines(TTextFile& text, const TLUT& lut, std::string_view prefix) {
  std::string line;
  for (const std::string& comment : lut.Comments) {
    line.assign(prefix).append(comment);
    text.Add(line);
  }
}

void AddValueLines(TTextFile& text, std::span<const TRGB> values, const TValueLayout& layout,
                   const TValueWriter& writer) {
  text.Reserve(text.Count() + values.size(),
               text.Bytes() + values.size() * (3 * TypicalLength(writer) + 4));
  std::string line(LineCapacity(writer), '\0');
  WithLineWriter(layout, writer, [&](const auto& writeLine) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      const double rgb[3] = {values[i].R, values[i].G, values[i].B};
      const char* end = writeLine(line.data(), i, rgb);
      text.Add(std::string_view(line.data(), static_cast<std::size_t>(end - line.data())));
    }
  });
}

// ---- Line tools ----------------------------------------------------------------------------

bool HasExtension(const std::string& path, std::string_view extension) {
  return UpperCase(ExtractFileExt(path)) == UpperCase(extension);
}

std::string_view TextAfterKeyword(std::string_view line, std::string_view keyword, bool& found) {
  const std::size_t at = PosNoCase(keyword, line);
  found = at != 0;
  return found ? line.substr(at - 1 + keyword.size()) : std::string_view();
}

bool IntegerAfterPrefix(std::string_view line, std::string_view prefix, std::int32_t& value) {
  line = TrimLeft(line);
  if (!line.starts_with(prefix)) return false;
  value = StrToInt(line.substr(prefix.size()));
  return true;
}

int IntegerPieceCount(std::string_view line) {
  int count = 0;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return count;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    std::int32_t ignored = 0;
    if (!TryStrToInt(line.substr(start, i - start), ignored)) return -1;
    ++count;
  }
}

int EstimateCodeBits(const TTextFile& text, int startBits) {
  double bits = startBits;
  double top = std::ldexp(1.0, startBits) - 1.0;
  ForEachLine(text, [&](std::string_view line) {
    double codes[3];
    if (!ParseIntTriple(line, 1, false, codes[0], codes[1], codes[2])) return;
    const double largest = std::max({codes[0], codes[1], codes[2]}) / top;
    if (!(largest > 1.0)) return;
    bits += std::ceil(largest) - 1.0;
    if (bits > kMaxCodeBits) {
      throw ELUTError(
          "The codes of this file need more than 31 bits per value; set its bits per color "
          "to read it.");
    }
    top = std::ldexp(1.0, static_cast<int>(bits)) - 1.0;
  });
  return static_cast<int>(bits);
}

std::string FileTitle(const std::string& path) {
  return ChangeFileExt(ExtractFileName(path), "");
}

// ---- Bytes ---------------------------------------------------------------------------------

void TByteReader::Need(std::size_t count) const {
  if (count > Remaining()) throw ELUTError(kIncompleteFile);
}

std::uint8_t TByteReader::U8() {
  Need(1);
  return static_cast<std::uint8_t>(Data_[Position_++]);
}

std::uint16_t TByteReader::U16LE() {
  const std::string_view bytes = Bytes(2);
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[0]) |
                                    static_cast<std::uint8_t>(bytes[1]) << 8);
}

std::uint32_t TByteReader::U32LE() {
  const std::string_view bytes = Bytes(4);
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
  return value;
}

std::string_view TByteReader::Bytes(std::size_t count) {
  Need(count);
  const std::string_view bytes = Data_.substr(Position_, count);
  Position_ += count;
  return bytes;
}

void TByteWriter::U16LE(std::uint16_t value) {
  U8(static_cast<std::uint8_t>(value));
  U8(static_cast<std::uint8_t>(value >> 8));
}

void TByteWriter::U32LE(std::uint32_t value) {
  for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(value >> (8 * i)));
}

void TByteWriter::CheckPatch(std::size_t position, std::size_t count) const {
  if (position > Data_.size() || count > Data_.size() - position) {
    throw Exception("Cannot patch bytes " + std::to_string(position) + " to " +
                    std::to_string(position + count - 1) + " of a block of " +
                    std::to_string(Data_.size()) + " bytes.");
  }
}

void TByteWriter::PatchU8(std::size_t position, std::uint8_t value) {
  CheckPatch(position, 1);
  Data_[position] = static_cast<char>(value);
}

void TByteWriter::PatchU32LE(std::size_t position, std::uint32_t value) {
  CheckPatch(position, 4);
  for (int i = 0; i < 4; ++i) Data_[position + i] = static_cast<char>(value >> (8 * i));
}

std::uint32_t ByteSum(std::string_view bytes) {
  std::uint32_t sum = 0;
  for (char byte : bytes) sum += static_cast<std::uint8_t>(byte);
  return sum;
}

void TByteWriter::Save(const std::string& path, TWriteMode mode) const {
  WriteWholeFile(path, Data_, mode);
}

int LineOfElementText(const std::string& path, std::string_view tag) {
  const std::string text = ReadWholeFile(path);
  const std::string upperTag = UpperCase(tag);
  std::size_t at = 0;
  for (;; ++at) {
    at = text.find('<', at);
    if (at == std::string::npos) return 1;
    const std::size_t after = at + 1 + upperTag.size();
    if (after >= text.size()) return 1;
    if (UpperCase(std::string_view(text).substr(at + 1, upperTag.size())) == upperTag &&
        std::string_view(" \t\r\n/>").find(text[after]) != std::string_view::npos) {
      break;
    }
  }
  const std::size_t end = std::min(text.find('>', at), text.size());
  int line = 1;
  for (std::size_t i = 0; i < end; ++i) {
    // CR LF, LF and a lone CR each end a line.
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

bool ParseRealToken(std::string_view token, double& value) {
  if (TryStrToFloat(token, value)) return true;
  const bool negative = !token.empty() && token.front() == '-';
  if (!token.empty() && (token.front() == '-' || token.front() == '+')) token.remove_prefix(1);
  const std::string word = UpperCase(token);
  if (word == "NAN") {
    value = std::numeric_limits<double>::quiet_NaN();
  } else if (word == "INF" || word == "INFINITY") {
    value = negative ? -std::numeric_limits<double>::infinity()
                     : std::numeric_limits<double>::infinity();
  } else {
    return false;
  }
  return true;
}

}  // namespace vorn
