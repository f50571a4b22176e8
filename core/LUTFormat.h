#pragma once
// File formats and the registry. Every format is one shared object; its position in
// LutFormats() is its number everywhere and its detection priority. OutputProfiles()
// lists the choices the user sees as output formats.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/LUT.h"
#include "core/TextFile.h"
#include "core/TextTools.h"
#include "platform/Exception.h"

namespace vorn {

// A malformed LUT file.
class ELUTError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr const char* kIncompleteFile = "Incomplete file.";

// Asked before a writer replaces an existing file that it writes beside the one it was given
// (the companion cube of a Premiere look), with that file's path: true lets it replace the
// file, false ends the save with nothing written.
using TReplaceQuestion = std::function<bool(const std::string& path)>;

// The largest file a LUT of any format can need, 128 MiB: a grid of 101 nodes per axis
// (the capacity of TLUT) is 1,030,301 value lines, and at 130 bytes a line leaves room for
// an index column, three reals of 17 significant digits with signs and exponents, column
// padding and CR LF. Tables (100,001 entries), XML, binary and picture formats need far
// less. LoadLut refuses a larger file before it reads it.
inline constexpr std::uint64_t kMaxLutFileBytes = std::uint64_t{128} << 20;

// Lines a load skipped although they look like values (LooksLikeValueLine), found inside
// the values: after the first stored value and before the last. Each shifted every later
// value to an earlier node or entry.
struct TSkippedValueLines {
  int Count = 0;
  int FirstLine = 0;  // 1-based; 0 without any
};

// Something a load noticed that the user should know, though the LUT loaded.
struct TLoadWarning {
  std::string File;
  int Line = 0;  // 1-based; 0 when not tied to a line
  std::string Message;
};

struct TLoadReport {
  std::vector<TLoadWarning> Warnings;
};

// Told each warning of a load right after it, before anything is written; it may raise to
// end the work there (vorn-lut --strict). Empty: warnings are not reported.
using TWarningHandler = std::function<void(const TLoadWarning& warning)>;
void ReportWarnings(const TLoadReport& report, const TWarningHandler& handler);

// The warning for skipped value lines ("3 lines inside the values look like values...").
TLoadWarning SkippedValueLinesWarning(const std::string& file, const TSkippedValueLines& skipped);
// The warning as an error (ELUTError with the warning's message, file and line), for loads
// that must not go on past one (vorn-lut --strict).
[[noreturn]] void RaiseWarning(const TLoadWarning& warning);

class TLUTFormat {
 public:
  TLUTFormat(std::string name, bool is3D) : Name(std::move(name)), Is3D(is3D) {}
  virtual ~TLUTFormat() = default;
  TLUTFormat(const TLUTFormat&) = delete;
  TLUTFormat& operator=(const TLUTFormat&) = delete;

  std::string Name;
  bool Is3D;
  // Bits-per-value override for integer-coded files that do not declare their depth;
  // -1 = what the file or the format implies.
  std::int32_t InputBits = -1;

  // What the last load skipped although it looked like values; LoadLut clears it before
  // each load and reports it afterwards.
  TSkippedValueLines SkippedValueLines;

  virtual bool IsFormat(const std::string& path) = 0;
  // False for formats that only write: their IsFormat never claims a file.
  virtual bool CanRead() const { return true; }
  virtual void Load(const std::string& path, TLUT& lut) = 0;
  virtual void Save(const std::string& path, const TLUT& lut, int bits) = 0;
  // Save for the callers that can answer mayReplace. Writers of a single file ignore it; a
  // writer that also writes a companion file asks it before replacing an existing one and,
  // without a question, refuses to replace it.
  virtual void SaveAsking(const std::string& path, const TLUT& lut, int bits,
                          const TReplaceQuestion& /*mayReplace*/) {
    Save(path, lut, bits);
  }
  // True for a writer that also writes a companion file beside its destination, and so may
  // ask SaveAsking's question: a batch converts to it one file at a time.
  virtual bool WritesCompanion() const { return false; }
};

// How value lines walk the grid: the red input index varies fastest (cube files) or the
// blue one does (3dl files and most integer-coded formats).
enum TNodeOrder : std::uint8_t { noRedFastest, noBlueFastest };
// The order of the three numbers on a value line.
enum TChannelOrder : std::uint8_t { coRGB, coBGR };

// The layout of one value line.
struct TValueLayout {
  TNodeOrder Order = noRedFastest;
  TChannelOrder Channels = coRGB;
  // Integer codes (ParseIntTriple) instead of real numbers (ParseFloatTriple).
  bool IntegerCodes = false;
  // A leading column (a node index or a label) that is skipped.
  bool IndexColumn = false;
};

// Line-based text formats: Load reads the file into TextFile, calls PrepareText, then
// ParseLine for every line, sets Kind and the size, and raises "Incomplete file." when
// the reader did not reach its last value. Lines that look like values but stored nothing
// between the first and the last stored value are counted into SkippedValueLines: every
// format on the toolkit reports them without code of its own.
//
// The protected part is the reading toolkit the formats are written on: parsing a value
// line by its layout, storing values into the next grid node or table entry while the
// counters advance and Complete is set after the last one, and size setters that refuse
// what the record cannot hold.
class TGenericLutFormat : public TLUTFormat {
 public:
  using TLUTFormat::TLUTFormat;

  void Load(const std::string& path, TLUT& lut) override;
  virtual void PrepareText(TTextFile& textFile);
  virtual void ParseLine(std::string_view line, TLUT& lut);

  // True when every item of the required list and no item of the excluded list occurs
  // in the first 4096 bytes of the file (ASCII case ignored). Lists are comma- or
  // blank-separated; a double-quoted item may hold both.
  static bool HasHeaderKeywords(const std::string& path, std::string_view required,
                                std::string_view excluded);

 protected:
  // The parse state of a new load: counters at 0, no size, scale or shaper, not complete.
  // Load starts with it; formats with a reading loop of their own call it first.
  void BeginLoad();
  // After the last line: the record's kind and size from the parse state (a 3D format with
  // a shaper gives 1D & 3D), then "Incomplete file." when the reader did not reach its last
  // value. Formats whose files decide their kind and completeness themselves override it.
  virtual void FinishLoad(TLUT& lut);

  // Three values of a value line in R, G, B order, each divided by divisor (real numbers
  // too); false when the line does not hold exactly three numbers of the layout's kind.
  static bool ParseValues(std::string_view line, const TValueLayout& layout, double divisor,
                          TRGB& values);
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
  // Tells the toolkit that the line being parsed, which looks like values but stores none,
  // is understood (a numeric header line amid the values): it is not counted as skipped.
  void LineUnderstood() { Watch_.Understood = true; }
  // The watch over skipped value lines that the generic Load keeps around every ParseLine;
  // a format with a Load of its own may keep it around the value lines it reads: call
  // StartValueWatch once, WatchLineBefore and WatchLineAfter around each line, and
  // FinishValueWatch at the end (it fills SkippedValueLines).
  void StartValueWatch();
  void WatchLineBefore();
  void WatchLineAfter(std::string_view line, int lineNumber);
  void FinishValueWatch();
  // The watch around read(line) for each line of text until the record is complete, for
  // values held in a text of their own (an XML element's); firstLine is the number of the
  // text's first line in the file.
  template <class Read>
  void ReadWatchedLines(const TTextFile& text, int firstLine, Read&& read);
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
  // The checks of SetGridSize and SetTableSize alone, for readers that keep a size in a
  // field of their own: the size when the record can hold it, refused otherwise.
  static std::int32_t CheckedGridSize(std::int64_t size, std::int64_t minimum = 1);
  static std::int32_t CheckedTableSize(std::int64_t size, std::int64_t minimum = 1);

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
  // The file's lines while Load runs; null otherwise.
  TTextFile* TextFile = nullptr;

 private:
  struct TValueWatch {
    // Values the toolkit's store functions stored, and their count before the line.
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

template <class Read>
void TGenericLutFormat::ReadWatchedLines(const TTextFile& text, int firstLine, Read&& read) {
  StartValueWatch();
  for (std::size_t i = 0; i < text.Count() && !Complete; ++i) {
    WatchLineBefore();
    read(text[i]);
    WatchLineAfter(text[i], firstLine + static_cast<int>(i));
  }
  FinishValueWatch();
}

// The value-line walk is the hot path of every text format: kept inline.

inline bool TGenericLutFormat::ParseValues(std::string_view line, const TValueLayout& layout,
                                           double divisor, TRGB& values) {
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
  if (layout.Channels == coBGR) std::swap(first, third);
  values = {first / divisor, second / divisor, third / divisor};
  return true;
}

inline bool TGenericLutFormat::ReadGridLine(std::string_view line, TLUT& lut,
                                            const TValueLayout& layout, double divisor) {
  if (Complete || Size < 1) return false;
  TRGB values;
  return ParseValues(line, layout, divisor, values) && StoreNode(lut, layout.Order, values);
}

inline bool TGenericLutFormat::StoreNode(TLUT& lut, TNodeOrder order, const TRGB& values) {
  // A size set around SetGridSize still never leads outside the grid.
  if (Complete || Size < 1 || Size > TLUT::MaxGridNodes) return false;
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

inline bool TGenericLutFormat::StoreShaperOrNode(TLUT& lut, TNodeOrder order, const TRGB& values) {
  if (EntryIndex < ShaperSize && EntryIndex < TLUT::MaxTableEntries) {
    lut.SetEntry(EntryIndex++, values);
    ++Watch_.Stored;
    return true;
  }
  return StoreNode(lut, order, values);
}

// The largest grid a reader accepts, and the system's message for a larger one.
inline constexpr int kGridSizeLimit = 100;
inline constexpr const char* kGridSizeLimitMessage =
    "The current version cannot process LUTs more than 100x100x100.\r\n"
    "In general, 64x64x64 is definitely enough for 3D LUTs.";

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

// The number of lines that hold exactly three real numbers (ParseFloatTriple).
std::int64_t CountValueLines(const TTextFile& text);

struct TLutOutputProfile {
  std::string Name;
  std::string Extension;  // without the dot
  std::int32_t FormatIndex = -1;
  std::int32_t DefaultSize = 0;
  std::int32_t DefaultBits = 0;
  bool SizeSelectable = false;
  bool BitsSelectable = false;
};

// The registry. The program fills it once at start-up (RegisterBuiltInFormats, in
// formats/Registration.h) before it looks at anything; it never changes afterwards.
std::vector<std::unique_ptr<TLUTFormat>>& LutFormats();
std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles();

// Clears the comments; loads with the given format, or detects it with -1. FormatIndex
// is set only after the load succeeded; a file no format claims leaves it at -1.
// inputBits is the bit depth the user chose for this file (-1 = automatic): the loading
// format's InputBits holds it for this load and gets its old value back afterwards. An
// error raised by the load notes the path as its file. The report holds the load's
// warnings (skipped value lines).
TLoadReport LoadLut(const std::string& path, TLUT& lut, int formatIndex = -1, int inputBits = -1);
// bits -1 takes the profile's DefaultBits. mayReplace answers a writer that would replace an
// existing companion file (TLUTFormat::SaveAsking).
void SaveLut(const std::string& path, const TLUT& lut, const TLutOutputProfile& profile, int bits,
             const TReplaceQuestion& mayReplace = {});
// Index of the first format that claims the file, or -1.
int DetectFormat(const std::string& path);
// The format object, or null for an index out of range.
TLUTFormat* GetFormat(int index);
// Position of the format with that name, or -1.
int IndexOfFormat(std::string_view name);
TLutOutputProfile& GetOutputProfile(int index);

// Used by the code that fills the registry; RegisterFormat returns the format's number.
int RegisterFormat(std::unique_ptr<TLUTFormat> format);
TLutOutputProfile* RegisterOutputProfile(std::string name, std::string extension, int formatIndex,
                                         int defaultSize, int defaultBits, bool sizeSelectable,
                                         bool bitsSelectable);

}  // namespace vorn
