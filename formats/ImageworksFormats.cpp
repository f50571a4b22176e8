#include "formats/ImageworksFormats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

constexpr int kDecimals = 6;

bool IsBlankChar(char c) {
  return c == ' ' || c == '\t';
}

char* PutIndex(char* out, int index) {
  return std::to_chars(out, out + 12, index).ptr;
}

// The shortest text that reads back as the same number.
std::string ExactNumber(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// "Version 1" and the like: the number after the keyword, or false for another line.
bool KeywordNumber(std::string_view trimmed, std::string_view keyword, std::int32_t& value) {
  if (trimmed.size() <= keyword.size() || !IsBlankChar(trimmed[keyword.size()])) return false;
  return IntegerAfterPrefix(trimmed, keyword, value);
}

// The table's domain for the "From" line: one pair for every channel, the smallest minimum
// and the largest maximum of the channels.
TLutDomain CommonRange(const TLutDomain& domain) {
  const double low = std::min({domain.Min.R, domain.Min.G, domain.Min.B});
  const double high = std::max({domain.Max.R, domain.Max.G, domain.Max.B});
  return {{low, low, low}, {high, high, high}};
}

bool IsGrey(const TLUT& lut) {
  for (int i = 0; i < lut.Size1D; ++i) {
    const double* e = lut.Entry(i);
    if (e[0] != e[1] || e[0] != e[2]) return false;
  }
  return true;
}

}  // namespace

// ---- spi1d -----------------------------------------------------------------------------

struct TImageworks1DFormat::TSpi1DLoad : TLoadState {
  using TLoadState::TLoadState;
  std::int32_t Components = 0;
  bool InValues = false;
  bool Closed = false;
  double From[2] = {0.0, 1.0};
};

bool TImageworks1DFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path,
                        {{.Keyword = "Version"}, {.Keyword = "Length"}, {.Keyword = "Components"}});
}

std::unique_ptr<TLoadState> TImageworks1DFormat::NewLoadState(const std::string&,
                                                              std::int32_t inputBits) const {
  return std::make_unique<TSpi1DLoad>(inputBits);
}

void TImageworks1DFormat::ParseLine(TLoadState& state, std::string_view line, TLUT& lut) const {
  auto& load = static_cast<TSpi1DLoad&>(state);
  const std::string_view trimmed = Trim(line);
  if (load.Closed) return;
  if (load.InValues) {
    ParseEntryLine(load, trimmed, lut);
  } else {
    ParseHeaderLine(load, trimmed, lut);
  }
}

void TImageworks1DFormat::ParseHeaderLine(TSpi1DLoad& load, std::string_view trimmed,
                                          TLUT& lut) const {
  if (KeepCommentLine(trimmed, lut)) return;
  std::int32_t number = 0;
  if (KeywordNumber(trimmed, "Version", number)) {
    if (number != 1) {
      throw ELUTError("The spi1d version " + std::to_string(number) +
                      " is not known: version 1 is read.");
    }
  } else if (KeywordNumber(trimmed, "Length", number)) {
    load.SetTableSize(number);
  } else if (KeywordNumber(trimmed, "Components", number)) {
    if (number != 1 && number != 3) {
      throw ELUTError("A spi1d table of " + std::to_string(number) +
                      " components is not read: 1 (a grey curve) or 3 are.");
    }
    load.Components = number;
  } else if (trimmed.starts_with("From") && trimmed.size() > 4 && IsBlankChar(trimmed[4])) {
    std::vector<double> range;
    const std::string_view bad = ParseRealList(trimmed.substr(4), range, 2);
    if (!bad.empty() || range.size() != 2 || !std::isfinite(range[0]) || !std::isfinite(range[1]) ||
        range[1] <= range[0]) {
      throw ELUTError("The line From needs two finite numbers, the second above the first.");
    }
    load.From[0] = range[0];
    load.From[1] = range[1];
  } else if (trimmed == "{") {
    if (load.Size < 1) throw ELUTError("The spi1d values begin before a Length line.");
    if (load.Components == 0) throw ELUTError("The spi1d values begin before a Components line.");
    load.InValues = true;
  }
}

void TImageworks1DFormat::ParseEntryLine(TSpi1DLoad& load, std::string_view trimmed,
                                         TLUT& lut) const {
  if (trimmed == "}") {
    load.Closed = true;
    return;
  }
  if (load.Complete) return;
  TRGB values;
  if (load.Components == 1) {
    if (!TryStrToFloat(trimmed, values.R)) return;
    values.G = values.B = values.R;
  } else if (!ParseFloatTriple(trimmed, values.R, values.G, values.B)) {
    return;
  }
  load.StoreEntry(lut, values);
}

void TImageworks1DFormat::FinishLoad(TLoadState& state, TLUT& lut) const {
  auto& load = static_cast<TSpi1DLoad&>(state);
  load.FinishRecord(lut, false);
  lut.TableDomain = {{load.From[0], load.From[0], load.From[0]},
                     {load.From[1], load.From[1], load.From[1]}};
}

void TImageworks1DFormat::Write(const std::string& path, const TLUT& lut, int,
                                TWriteMode mode) const {
  if (!lut.TableDomain.IsUniform()) {
    // One "From" pair: the table is sampled over the range that holds every channel's.
    TLUT common;
    common.Kind = lk1D;
    common.Size1D = TableSizeToWrite(lut);
    common.TableDomain = CommonRange(lut.TableDomain);
    common.ResampleFrom(lut);
    Write(path, common, 0, mode);
    return;
  }
  const int n = TableSizeToWrite(lut);
  const bool grey = IsGrey(lut);
  const TValueWriter writer = TValueWriter::Fixed(kDecimals);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("Version 1");
  text.Add("From " + ExactNumber(lut.TableDomain.Min.R) + " " + ExactNumber(lut.TableDomain.Max.R));
  text.Add("Length " + std::to_string(n));
  text.Add(grey ? "Components 1" : "Components 3");
  text.Add("{");
  if (grey) {
    AddTableLinesBy(text, lut, writer.MaxLength() + 2, [&](char* out, int, const double* rgb) {
      return writer.Write(PutText(out, "  "), rgb[0]);
    });
  } else {
    AddTableLines(text, lut, {}, writer);
  }
  text.Add("}");
  text.Save(path, mode);
}

// ---- spi3d -----------------------------------------------------------------------------

struct TImageworks3DFormat::TSpi3DLoad : TLoadState {
  using TLoadState::TLoadState;
  // Header lines read: "SPILUT 1.0", "3 3", the sizes.
  int HeaderLines = 0;
  // The nodes given so far (EntryIndex counts them), blue fastest.
  std::vector<bool> Given;
};

bool TImageworks3DFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(
      path,
      {{.Keyword = "SPILUT", .Place = TKeywordPlace::FirstLine, .Value = TKeywordValue::Word}});
}

std::unique_ptr<TLoadState> TImageworks3DFormat::NewLoadState(const std::string&,
                                                              std::int32_t inputBits) const {
  return std::make_unique<TSpi3DLoad>(inputBits);
}

namespace {

// The integers of a header line, at most three; false when a piece is not one.
bool HeaderIntegers(std::string_view line, std::vector<double>& numbers) {
  if (!ParseRealList(line, numbers, 3).empty()) return false;
  for (const double number : numbers) {
    if (number != std::floor(number)) return false;
  }
  return true;
}

}  // namespace

void TImageworks3DFormat::ParseLine(TLoadState& state, std::string_view line, TLUT& lut) const {
  auto& load = static_cast<TSpi3DLoad&>(state);
  const std::string_view trimmed = Trim(line);
  if (load.HeaderLines >= 3) {
    ParseNodeLine(load, trimmed, lut);
    return;
  }
  std::vector<double> numbers;
  switch (load.HeaderLines++) {
    case 0:
      if (PosNoCase("SPILUT", trimmed) != 1) {
        throw ELUTError("A spi3d file begins with the line SPILUT 1.0.");
      }
      break;
    case 1:
      if (!HeaderIntegers(trimmed, numbers) || numbers.size() != 2 || numbers[0] != 3 ||
          numbers[1] != 3) {
        throw ELUTError(
            "The second line of a spi3d file must be \"3 3\" (three inputs, three "
            "outputs).");
      }
      break;
    default:
      if (!HeaderIntegers(trimmed, numbers) || numbers.size() != 3) {
        throw ELUTError("The third line of a spi3d file must give the grid's three sizes.");
      }
      if (numbers[0] != numbers[1] || numbers[0] != numbers[2]) {
        throw ELUTError("The spi3d grid " + std::string(trimmed) +
                        " is not read: every axis must have as many nodes.");
      }
      load.SetGridSize(static_cast<std::int64_t>(std::clamp(numbers[0], -1.0, 1e9)), 2);
      load.Given.assign(static_cast<std::size_t>(load.Size) * load.Size * load.Size, false);
      lut.ReserveGrid(load.Size);
      break;
  }
}

void TImageworks3DFormat::ParseNodeLine(TSpi3DLoad& load, std::string_view trimmed,
                                        TLUT& lut) const {
  std::string_view rest = trimmed;
  std::int32_t index[3] = {};
  for (std::int32_t& i : index) {
    rest = TrimLeft(rest);
    if (!TryStrToInt(NextToken(rest), i)) return;
  }
  TRGB values;
  if (!ParseFloatTriple(rest, values.R, values.G, values.B)) return;
  const std::int32_t n = load.Size;
  if (std::min({index[0], index[1], index[2]}) < 0 ||
      std::max({index[0], index[1], index[2]}) >= n) {
    throw ELUTError("The node " + std::to_string(index[0]) + " " + std::to_string(index[1]) + " " +
                    std::to_string(index[2]) + " lies outside the grid of " + std::to_string(n) +
                    " nodes per axis.");
  }
  const std::size_t position =
      (static_cast<std::size_t>(index[0]) * n + static_cast<std::size_t>(index[1])) * n +
      static_cast<std::size_t>(index[2]);
  lut.SetNode(index[0], index[1], index[2], values);
  if (load.Given[position]) return;
  load.Given[position] = true;
  if (++load.EntryIndex == n * n * n) load.Complete = true;
}

void TImageworks3DFormat::Write(const std::string& path, const TLUT& lut, int,
                                TWriteMode mode) const {
  const std::string size = std::to_string(GridSizeToWrite(lut));
  const TValueWriter writer = TValueWriter::Fixed(kDecimals);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("SPILUT 1.0");
  text.Add("3 3");
  text.Add(size + " " + size + " " + size);
  AddGridLinesBy(text, lut, noBlueFastest, 3 * 12 + 3 * (writer.MaxLength() + 1),
                 [&](char* out, int r, int g, int b, const double* rgb) {
                   for (const int index : {r, g, b}) {
                     out = PutIndex(out, index);
                     *out++ = ' ';
                   }
                   for (int channel = 0; channel < 3; ++channel) {
                     if (channel > 0) *out++ = ' ';
                     out = writer.Write(out, rgb[channel]);
                   }
                   return out;
                 });
  text.Save(path, mode);
}

}  // namespace vorn
