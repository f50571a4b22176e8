#pragma once
// Reading line-based LUT files: the layout of value lines, the state of one load (counters,
// sizes, the text, the chosen bit depth, the watch over skipped value lines) with the calls
// that store values and check sizes, and TGenericLutFormat, which reads a file line by line
// into a new state for every load. Included through formats/FormatToolkit.h.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "core/LutLimits.h"
#include "core/TextFile.h"
#include "core/TextTools.h"

namespace vorn {

// How value lines walk the grid: the red input index varies fastest (cube files) or the
// blue one does (3dl files and most integer-coded formats).
enum TNodeOrder : std::uint8_t { noRedFastest, noBlueFastest };
// The order of the three numbers on a value line.
enum TChannelOrder : std::uint8_t { coRGB, coBGR };

// The layout of value lines, for reading and writing. Formats name theirs with designated
// initialisers: TValueLayout{.Order = noBlueFastest, .IntegerCodes = true}.
struct TValueLayout {
  TNodeOrder Order = noRedFastest;
  TChannelOrder Channels = coRGB;
  // Integer codes (ParseIntTriple) instead of real numbers (ParseFloatTriple); read only,
  // writers choose their coding with a TValueWriter.
  bool IntegerCodes = false;
  // A leading column: skipped when read (a node index or a label), the line's number from 0
  // when written.
  bool IndexColumn = false;
  // Between the written numbers.
  char Separator = ' ';
};

// Three values of a value line in R, G, B order, each divided by divisor (real numbers
// too); false when the line does not hold exactly three numbers of the layout's kind.
bool ParseValues(std::string_view line, const TValueLayout& layout, double divisor, TRGB& values);

// The three reals of a line's trimmed text (Data, Size), parsed by ParseFloatTriple ahead of
// the line's turn (TGenericLutFormat::ParsesRealTriplesAhead); Parsed is what it returned.
struct TParsedTriple {
  const char* Data = nullptr;
  std::size_t Size = 0;
  bool Parsed = false;
  double Values[3] = {};
};

// The state of one load: every load gets its own, so loads never share anything but the
// format, which only describes. The counters advance and Complete is set by the store
// calls; sizes read from a file go through the size setters, which refuse what the record
// cannot hold with the system's wording. A format whose parsing needs more than this
// derives its own state and creates it in TGenericLutFormat::NewLoadState.
class TLoadState {
 public:
  explicit TLoadState(std::int32_t inputBits = -1) : InputBits(inputBits) {}
  virtual ~TLoadState() = default;
  TLoadState(const TLoadState&) = delete;
  TLoadState& operator=(const TLoadState&) = delete;

  std::int32_t RIndex = 0;
  std::int32_t GIndex = 0;
  std::int32_t BIndex = 0;
  std::int32_t EntryIndex = 0;
  std::int32_t Size = -1;
  std::int32_t Scale = -1;
  bool Complete = false;
  // Entries of a 1D shaper table that come before the grid values; 0 without one. A 3D
  // format whose file declared one loads as 1D & 3D with this many entries.
  std::int32_t ShaperSize = 0;
  // The file's lines while the generic Load runs; null otherwise.
  const TTextFile* TextFile = nullptr;
  // What was parsed ahead of the line being parsed, or null (ParseValues(load, ...)).
  const TParsedTriple* Ahead = nullptr;
  // The bit depth the user chose for this file (-1 = what the file or the format implies),
  // for integer-coded files that do not declare their depth.
  const std::int32_t InputBits;

  // Parses the line and stores it in the next grid node (ReadGridLine) or table entry
  // (ReadTableLine). False when the line does not parse, no size is known yet or every
  // node or entry is already stored.
  bool ReadGridLine(std::string_view line, TLUT& lut, const TValueLayout& layout,
                    double divisor = 1.0);
  bool ReadTableLine(std::string_view line, TLUT& lut, const TValueLayout& layout,
                     double divisor = 1.0);
  // Stores values in node [RIndex][GIndex][BIndex] and advances the counters in the given
  // order; Complete becomes true with the last node. False, storing nothing, when the
  // size is unknown or the grid is complete.
  bool StoreNode(TLUT& lut, TNodeOrder order, const TRGB& values);
  // Stores values in entry EntryIndex and advances it. With a known Size, Complete becomes
  // true with the last entry and nothing is stored after it; with Size -1 (a table whose
  // length is the number of its lines) a line beyond the capacity is refused.
  bool StoreEntry(TLUT& lut, const TRGB& values);
  // Stores values in entry Size of a table whose length is the number of entries read, Size
  // being that count (-1 counts as 0), and advances Size; an entry beyond the capacity is
  // refused.
  void AppendEntry(TLUT& lut, const TRGB& values);
  // Stores values in the next entry of the shaper table while it has fewer than ShaperSize
  // entries, in the next grid node (StoreNode) after that.
  bool StoreShaperOrNode(TLUT& lut, TNodeOrder order, const TRGB& values);

  // Sizes read from a file: a grid of more than 100 nodes per axis is refused with the
  // system's message for that limit, a table beyond the capacity of the record with its
  // own; sizes below the minimum are refused as not valid.
  void SetGridSize(std::int64_t size, std::int64_t minimum = 1);
  void SetTableSize(std::int64_t size, std::int64_t minimum = 1);
  // The number of shaper entries before the grid, refused like a table size (a size below
  // minimum too; without a minimum, a negative size means no shaper).
  void SetShaperSize(std::int64_t size, std::int64_t minimum = 0);
  // The size of a grid whose file states none: the rounded cube root of the number of lines
  // of TextFile that hold three real numbers, through SetGridSize; 0 (no grid, so the file
  // ends incomplete) when no line does.
  void SetGridSizeFromValueLines();
  // The size of a grid stored as count lines (the rounded cube root), through SetGridSize.
  void SetGridSizeFromNodeCount(std::int64_t count);
  // Scale as the largest code a file declares, the divisor of its integer codes: below 1
  // (no code range to divide by) or beyond the 32-bit codes it is refused.
  void SetLargestCode(std::int64_t code);

  // Tells the watch that the line being parsed, which looks like values but stores none,
  // is understood (a numeric header line amid the values): it is not counted as skipped.
  void LineUnderstood() { Watch_.Understood = true; }
  // The watch over skipped value lines that the generic Load keeps around every ParseLine;
  // a format with a Load of its own may keep it around the value lines it reads: call
  // StartValueWatch once, WatchLineBefore and WatchLineAfter around each line, and
  // FinishValueWatch at the end (it tells the context).
  void StartValueWatch();
  void WatchLineBefore();
  void WatchLineAfter(std::string_view line, int lineNumber);
  void FinishValueWatch(TLoadContext& context) const;
  // The watch around read(line) for each line of text until the record is complete, for
  // values held in a text of their own (an XML element's); firstLine is the number of the
  // text's first line in the file.
  template <class Read>
  void ReadWatchedLines(const TTextFile& text, int firstLine, TLoadContext& context, Read&& read);

  // After the last line: the record's kind and size from the state (a 3D format with a
  // shaper gives 1D & 3D), then "Incomplete file." when the reader did not reach its last
  // value.
  void FinishRecord(TLUT& lut, bool is3D) const;
  // The values (shaper entries and nodes, or entries) the store calls stored so far, and
  // "Incomplete file." with that count and the count the sizes declare.
  std::int64_t StoredValues() const { return static_cast<std::int64_t>(Watch_.Stored); }
  std::string IncompleteMessage(bool is3D) const;

 private:
  // WatchLineAfter for every line but the usual one, which stored a value with nothing
  // skipped pending.
  void WatchOtherLine(std::string_view line, int lineNumber);

  struct TValueWatch {
    // Values the store calls stored, and their count before the line.
    std::uint64_t Stored = 0;
    std::uint64_t StoredBefore = 0;
    // The counters before the line, for formats that store values their own way.
    std::int32_t R = 0, G = 0, B = 0, Entry = 0, Size = -1;
    bool Understood = false;
    bool Started = false;  // a value has been stored
    TSkippedValueLines Skipped;
    TSkippedValueLines Pending;  // since the last stored value
  } Watch_;
};

// For a trimmed line whose first character is "#": its text kept as a comment of the record,
// and true. False, nothing kept, for any other line.
bool KeepCommentLine(std::string_view trimmed, TLUT& lut);

// The checks of TLoadState::SetGridSize and SetTableSize alone, for readers that keep a
// size of their own: the size when the record can hold it, refused otherwise.
std::int32_t CheckedGridSize(std::int64_t size, std::int64_t minimum = 1);
std::int32_t CheckedTableSize(std::int64_t size, std::int64_t minimum = 1);

// Line-based text formats: Load reads the file, makes a new state (NewLoadState), calls
// PrepareText, then ParseLine for every line that is not blank, and FinishLoad. A format
// whose NeedsWholeText is false is read in pieces instead, line by line, without
// PrepareText or the state's TextFile. Lines that look
// like values but stored nothing between the first and the last stored value are counted as
// skipped: every format on the toolkit reports them without code of its own. An error raised on a
// line notes the line's number.
class TGenericLutFormat : public TLUTFormat {
 public:
  using TLUTFormat::TLUTFormat;

  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
  // Load with the text read whole (chunkBytes 0) or in pieces of chunkBytes, whatever
  // NeedsWholeText says; both give the same record, warnings and errors.
  void LoadLines(const std::string& path, TLUT& lut, TLoadContext& context,
                 std::size_t chunkBytes) const;

 protected:
  // True (the default) for a format that looks at the whole text before its lines
  // (PrepareText, TLoadState::TextFile, SetGridSizeFromValueLines); a format that parses one
  // line at a time says false, and its files are never held whole.
  virtual bool NeedsWholeText() const { return true; }
  // A plain TLoadState by default.
  virtual std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                                   std::int32_t inputBits) const;
  // True for a format that reads its value lines through ParseValues(load, ...) with layouts
  // of real numbers: the lines of a large file are then parsed on a second core ahead of
  // ParseLine, which finds them parsed. Only for formats that read line by line.
  virtual bool ParsesRealTriplesAhead() const { return false; }
  // Called only when NeedsWholeText is true.
  virtual void PrepareText(TLoadState& load, const TTextFile& text) const;
  // Never called with a blank line.
  virtual void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const;
  // After the last line: TLoadState::FinishRecord by default. Formats whose files decide
  // their kind and completeness themselves override it.
  virtual void FinishLoad(TLoadState& load, TLUT& lut) const;
};

template <class Read>
void TLoadState::ReadWatchedLines(const TTextFile& text, int firstLine, TLoadContext& context,
                                  Read&& read) {
  StartValueWatch();
  for (std::size_t i = 0; i < text.Count() && !Complete; ++i) {
    WatchLineBefore();
    read(text[i]);
    WatchLineAfter(text[i], firstLine + static_cast<int>(i));
  }
  FinishValueWatch(context);
}

// The value-line walk is the hot path of every text format: kept inline.

// The three numbers of a line in R, G, B order, each divided by divisor.
inline TRGB ValuesInOrder(double first, double second, double third, const TValueLayout& layout,
                          double divisor) {
  if (layout.Channels == coBGR) std::swap(first, third);
  // Dividing by 1 changes no value, NaN and the sign of zero included: most files skip it.
  if (divisor == 1.0) return {first, second, third};
  return {first / divisor, second / divisor, third / divisor};
}

inline bool ParseValues(std::string_view line, const TValueLayout& layout, double divisor,
                        TRGB& values) {
  double first = 0.0;
  double second = 0.0;
  double third = 0.0;
  if (layout.IntegerCodes) {
    if (!ParseIntTriple(line, 1, layout.IndexColumn, first, second, third)) return false;
  } else {
    if (layout.IndexColumn) {
      line = TrimLeft(line);
      NextToken(line);
    }
    if (!ParseFloatTriple(line, first, second, third)) return false;
  }
  values = ValuesInOrder(first, second, third, layout, divisor);
  return true;
}

// ParseValues, with the reals parsed ahead for this very text when the load has them.
inline bool ParseValues(const TLoadState& load, std::string_view line, const TValueLayout& layout,
                        double divisor, TRGB& values) {
  const TParsedTriple* ahead = load.Ahead;
  if (ahead == nullptr || layout.IntegerCodes || layout.IndexColumn || line.data() != ahead->Data ||
      line.size() != ahead->Size) {
    return ParseValues(line, layout, divisor, values);
  }
  if (!ahead->Parsed) return false;
  values = ValuesInOrder(ahead->Values[0], ahead->Values[1], ahead->Values[2], layout, divisor);
  return true;
}

inline void TLoadState::WatchLineAfter(std::string_view line, int lineNumber) {
  if (Watch_.Stored != Watch_.StoredBefore && Watch_.Started && Watch_.Pending.Count == 0) return;
  WatchOtherLine(line, lineNumber);
}

inline bool TLoadState::ReadGridLine(std::string_view line, TLUT& lut, const TValueLayout& layout,
                                     double divisor) {
  if (Complete || Size < 1) return false;
  TRGB values;
  return ParseValues(*this, line, layout, divisor, values) && StoreNode(lut, layout.Order, values);
}

inline bool TLoadState::StoreNode(TLUT& lut, TNodeOrder order, const TRGB& values) {
  // A size set around SetGridSize still never leads outside the grid.
  if (Complete || Size < 1 || Size > TLUT::MaxGridNodes) return false;
  // The first node lays the grid out for its size at once instead of growing it.
  if ((RIndex | GIndex | BIndex) == 0) lut.ReserveGrid(Size);
  lut.SetNode(RIndex, GIndex, BIndex, values);
  ++Watch_.Stored;
  std::int32_t& fastest = order == noRedFastest ? RIndex : BIndex;
  std::int32_t& slowest = order == noRedFastest ? BIndex : RIndex;
  if (++fastest < Size) return true;
  fastest = 0;
  if (++GIndex < Size) return true;
  GIndex = 0;
  // At or past the size: a size that shrank while the grid was read (a second size line)
  // ends the grid here instead of walking past it.
  if (++slowest >= Size) Complete = true;
  return true;
}

inline bool TLoadState::StoreShaperOrNode(TLUT& lut, TNodeOrder order, const TRGB& values) {
  if (EntryIndex < ShaperSize && EntryIndex < TLUT::MaxTableEntries) {
    lut.SetEntry(EntryIndex++, values);
    ++Watch_.Stored;
    return true;
  }
  return StoreNode(lut, order, values);
}

// Calls parse for every line of text in order; an error raised on a line notes the line's
// number (1-based) before it passes on.
template <class Parse>
void ForEachLine(const TTextFile& text, Parse&& parse) {
  std::size_t i = 0;
  try {
    text.ForEach([&](std::string_view line) {
      parse(line);
      ++i;
    });
  } catch (Exception& error) {
    error.NoteLine(static_cast<int>(i + 1));
    throw;
  }
}

// As ForEachLine, for the lines of a file read in pieces (TTextFileReader or
// TLinesParsedAhead).
template <class Reader, class Parse>
void ForEachLineOf(Reader& reader, Parse&& parse) {
  std::size_t i = 0;
  std::string_view line;
  try {
    while (reader.Next(line)) {
      parse(line);
      ++i;
    }
  } catch (Exception& error) {
    error.NoteLine(static_cast<int>(i + 1));
    throw;
  }
}

// The real numbers of a line split at blanks, into values (cleared first). Stops at the
// first piece that is not a number, which it returns (empty when every piece is one), and
// after maxCount + 1 numbers, so that a line holding more than maxCount is told by the count
// without storing it all.
std::string_view ParseRealList(std::string_view line, std::vector<double>& values,
                               std::size_t maxCount);

// The number of lines that hold exactly three real numbers (ParseFloatTriple).
std::int64_t CountValueLines(const TTextFile& text);

}  // namespace vorn
