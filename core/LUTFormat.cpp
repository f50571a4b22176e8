#include "core/LUTFormat.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/TextTools.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr std::size_t kHeaderBytes = 4096;

struct Registry {
  std::vector<std::unique_ptr<TLUTFormat>> Formats;
  std::vector<std::unique_ptr<TLutOutputProfile>> Profiles;
};

// Filled once at start-up by the program (RegisterBuiltInFormats of formats/) and never
// changed afterwards.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// Splits a keyword list the way a comma-separated string list is split: items end at a
// comma or at blanks; a double-quoted item may hold both ("" stands for one quote).
std::vector<std::string> SplitKeywordList(std::string_view list) {
  std::vector<std::string> items;
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < list.size() && static_cast<unsigned char>(list[i]) <= ' ') ++i;
  };
  skipBlanks();
  while (i < list.size()) {
    std::string item;
    if (list[i] == '"') {
      ++i;
      while (i < list.size()) {
        if (list[i] == '"') {
          if (i + 1 < list.size() && list[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += list[i++];
      }
    } else {
      while (i < list.size() && list[i] != ',' && static_cast<unsigned char>(list[i]) > ' ') {
        item += list[i++];
      }
    }
    if (!item.empty()) items.push_back(UpperCase(item));
    skipBlanks();
    if (i < list.size() && list[i] == ',') {
      ++i;
      skipBlanks();
    }
  }
  return items;
}

std::string TableTooLargeMessage(std::int64_t size) {
  return "The 1D size " + std::to_string(size) +
         " is too large: a 1D table holds at most 100001 entries.";
}

std::string TableTooSmallMessage(std::int64_t size, std::int64_t minimum) {
  return "The 1D size " + std::to_string(size) + " is not valid: a 1D LUT needs at least " +
         std::to_string(minimum) + (minimum == 1 ? " entry." : " entries.");
}

}  // namespace

void TGenericLutFormat::PrepareText(TTextFile&) {}

void TGenericLutFormat::ParseLine(std::string_view, TLUT&) {}

void TGenericLutFormat::BeginLoad() {
  RIndex = GIndex = BIndex = EntryIndex = 0;
  Size = Scale = -1;
  ShaperSize = 0;
  Complete = false;
}

void TGenericLutFormat::Load(const std::string& path, TLUT& lut) {
  BeginLoad();
  TTextFile text;
  text.Load(path);
  TextFile = &text;
  struct ResetOnExit {
    TTextFile*& Field;
    ~ResetOnExit() { Field = nullptr; }
  } reset{TextFile};
  PrepareText(text);
  StartValueWatch();
  int number = 0;
  ForEachLine(text, [&](std::string_view line) {
    WatchLineBefore();
    ParseLine(line, lut);
    WatchLineAfter(line, ++number);
  });
  FinishValueWatch();
  FinishLoad(lut);
}

void TGenericLutFormat::FinishLoad(TLUT& lut) {
  if (Is3D) {
    lut.Kind = lk3D;
    lut.Size3D = Size;
    if (ShaperSize > 0 && Size != -1) {
      lut.Kind = lk1DAnd3D;
      lut.Size1D = ShaperSize;
    }
  } else {
    lut.Kind = lk1D;
    lut.Size1D = Size;
  }
  if (!Complete) throw ELUTError(kIncompleteFile);
}

void TGenericLutFormat::StartValueWatch() {
  Watch_ = {};
}

void TGenericLutFormat::WatchLineBefore() {
  Watch_.StoredBefore = Watch_.Stored;
  Watch_.R = RIndex;
  Watch_.G = GIndex;
  Watch_.B = BIndex;
  Watch_.Entry = EntryIndex;
  Watch_.Size = Size;
  Watch_.Understood = false;
}

void TGenericLutFormat::WatchLineAfter(std::string_view line, int lineNumber) {
  // Formats that store values their own way move the counters; formats without a size
  // line count their entries in Size.
  const bool stored = Watch_.Stored != Watch_.StoredBefore || RIndex != Watch_.R ||
                      GIndex != Watch_.G || BIndex != Watch_.B || EntryIndex != Watch_.Entry ||
                      (Watch_.Size >= 0 && Size == Watch_.Size + 1);
  TSkippedValueLines& pending = Watch_.Pending;
  if (stored) {
    if (Watch_.Skipped.FirstLine == 0) Watch_.Skipped.FirstLine = pending.FirstLine;
    Watch_.Skipped.Count += pending.Count;
    pending = {};
    Watch_.Started = true;
  } else if (Watch_.Started && !Watch_.Understood && Size == Watch_.Size &&
             LooksLikeValueLine(line)) {
    if (pending.Count++ == 0) pending.FirstLine = lineNumber;
  }
}

void TGenericLutFormat::FinishValueWatch() {
  SkippedValueLines = Watch_.Skipped;
}

bool TGenericLutFormat::ReadTableLine(std::string_view line, TLUT& lut, const TValueLayout& layout,
                                      double divisor) {
  if (Complete) return false;
  TRGB values;
  return ParseValues(line, layout, divisor, values) && StoreEntry(lut, values);
}

bool TGenericLutFormat::StoreEntry(TLUT& lut, const TRGB& values) {
  if (Size >= 0 && EntryIndex >= Size) return false;
  if (EntryIndex >= TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(EntryIndex + 1));
  lut.SetEntry(EntryIndex++, values);
  ++Watch_.Stored;
  if (EntryIndex == Size) Complete = true;
  return true;
}

void TGenericLutFormat::AppendEntry(TLUT& lut, const TRGB& values) {
  if (Size < 0) Size = 0;
  if (Size >= TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(Size + 1));
  lut.SetEntry(Size++, values);
}

std::int32_t TGenericLutFormat::CheckedGridSize(std::int64_t size, std::int64_t minimum) {
  if (size > kGridSizeLimit) throw Exception(kGridSizeLimitMessage);
  if (size < minimum) {
    throw ELUTError("The grid size " + std::to_string(size) +
                    " is not valid: a 3D LUT needs at least " + std::to_string(minimum) +
                    (minimum == 1 ? " node" : " nodes") + " per axis.");
  }
  return static_cast<std::int32_t>(size);
}

std::int32_t TGenericLutFormat::CheckedTableSize(std::int64_t size, std::int64_t minimum) {
  if (size > TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(size));
  if (size < minimum) throw ELUTError(TableTooSmallMessage(size, minimum));
  return static_cast<std::int32_t>(size);
}

void TGenericLutFormat::SetGridSize(std::int64_t size, std::int64_t minimum) {
  Size = CheckedGridSize(size, minimum);
}

void TGenericLutFormat::SetTableSize(std::int64_t size, std::int64_t minimum) {
  Size = CheckedTableSize(size, minimum);
}

void TGenericLutFormat::SetShaperSize(std::int64_t size, std::int64_t minimum) {
  if (size > TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(size));
  if (size < minimum) throw ELUTError(TableTooSmallMessage(size, minimum));
  ShaperSize = static_cast<std::int32_t>(size < 0 ? 0 : size);
}

void TGenericLutFormat::SetGridSizeFromValueLines() {
  const std::int64_t count = TextFile ? CountValueLines(*TextFile) : 0;
  if (count == 0) {
    Size = 0;
  } else {
    SetGridSizeFromNodeCount(count);
  }
}

void TGenericLutFormat::SetGridSizeFromNodeCount(std::int64_t count) {
  SetGridSize(static_cast<std::int64_t>(std::llround(std::cbrt(static_cast<double>(count)))));
}

void TGenericLutFormat::SetLargestCode(std::int64_t code) {
  if (code < 1) {
    throw ELUTError("The largest code " + std::to_string(code) +
                    " is not valid: integer codes need a largest code of at least 1.");
  }
  if (code > std::numeric_limits<std::int32_t>::max()) {
    throw ELUTError("The largest code " + std::to_string(code) +
                    " is too large: codes are read as 32-bit integers.");
  }
  Scale = static_cast<std::int32_t>(code);
}

bool TGenericLutFormat::HasHeaderKeywords(const std::string& path, std::string_view required,
                                          std::string_view excluded) {
  TSharedFileHead* shared = TSharedFileHead::For(path);
  const std::string own = shared ? std::string() : UpperCase(ReadFileHead(path, kHeaderBytes));
  const std::string& header = shared ? shared->UpperHead() : own;
  for (const std::string& item : SplitKeywordList(excluded)) {
    if (header.find(item) != std::string::npos) return false;
  }
  for (const std::string& item : SplitKeywordList(required)) {
    if (header.find(item) == std::string::npos) return false;
  }
  return true;
}

std::int64_t CountValueLines(const TTextFile& text) {
  std::int64_t count = 0;
  double first = 0.0;
  double second = 0.0;
  double third = 0.0;
  for (std::size_t i = 0; i < text.Count(); ++i) {
    if (ParseFloatTriple(text[i], first, second, third)) ++count;
  }
  return count;
}

std::vector<std::unique_ptr<TLUTFormat>>& LutFormats() {
  return TheRegistry().Formats;
}

std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles() {
  return TheRegistry().Profiles;
}

int RegisterFormat(std::unique_ptr<TLUTFormat> format) {
  auto& formats = TheRegistry().Formats;
  formats.push_back(std::move(format));
  return static_cast<int>(formats.size()) - 1;
}

TLutOutputProfile* RegisterOutputProfile(std::string name, std::string extension, int formatIndex,
                                         int defaultSize, int defaultBits, bool sizeSelectable,
                                         bool bitsSelectable) {
  auto profile = std::make_unique<TLutOutputProfile>(
      TLutOutputProfile{std::move(name), std::move(extension), formatIndex, defaultSize,
                        defaultBits, sizeSelectable, bitsSelectable});
  TLutOutputProfile* result = profile.get();
  TheRegistry().Profiles.push_back(std::move(profile));
  return result;
}

TLUTFormat* GetFormat(int index) {
  auto& formats = LutFormats();
  if (index < 0 || index >= static_cast<int>(formats.size())) return nullptr;
  return formats[static_cast<std::size_t>(index)].get();
}

int IndexOfFormat(std::string_view name) {
  auto& formats = LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (formats[i]->Name == name) return static_cast<int>(i);
  }
  return -1;
}

TLutOutputProfile& GetOutputProfile(int index) {
  return *OutputProfiles().at(static_cast<std::size_t>(index));
}

int DetectFormat(const std::string& path) {
  auto& formats = LutFormats();
  TSharedFileHead head(path);  // one read of the first 4096 bytes for every format asked
  try {
    for (std::size_t i = 0; i < formats.size(); ++i) {
      if (formats[i]->IsFormat(path)) return static_cast<int>(i);
    }
  } catch (Exception& error) {
    error.NoteFile(path);
    throw;
  }
  return -1;
}

namespace {

// Holds a format's InputBits at the per-file choice for one load.
class TInputBitsForLoad {
 public:
  TInputBitsForLoad(TLUTFormat& format, int bits) : Format_(format), Saved_(format.InputBits) {
    Format_.InputBits = bits;
  }
  ~TInputBitsForLoad() { Format_.InputBits = Saved_; }
  TInputBitsForLoad(const TInputBitsForLoad&) = delete;
  TInputBitsForLoad& operator=(const TInputBitsForLoad&) = delete;

 private:
  TLUTFormat& Format_;
  int Saved_;
};

TLoadReport LoadWith(TLUTFormat& format, const std::string& path, TLUT& lut, int inputBits) {
  const TInputBitsForLoad bits(format, inputBits);
  format.SkippedValueLines = {};
  try {
    format.Load(path, lut);
  } catch (Exception& error) {
    error.NoteFile(path);
    throw;
  }
  TLoadReport report;
  if (format.SkippedValueLines.Count > 0) {
    report.Warnings.push_back(SkippedValueLinesWarning(path, format.SkippedValueLines));
  }
  return report;
}

// A file too large to be a LUT is refused before anything reads it whole.
void CheckLutFileSize(const std::string& path) {
  const std::uint64_t size = FileSizeOf(path);
  if (size <= kMaxLutFileBytes) return;
  ELUTError error("The file is too large to be a LUT: it has " + std::to_string(size) +
                  " bytes, and no LUT file of any format needs more than " +
                  std::to_string(kMaxLutFileBytes) + " bytes (128 MiB).");
  error.NoteFile(path);
  throw error;
}

}  // namespace

TLoadReport LoadLut(const std::string& path, TLUT& lut, int formatIndex, int inputBits) {
  lut.Comments.clear();
  CheckLutFileSize(path);
  if (formatIndex != -1) {
    TLUTFormat* format = GetFormat(formatIndex);
    if (!format)
      throw Exception("No LUT format has the number " + std::to_string(formatIndex) + ".");
    TLoadReport report = LoadWith(*format, path, lut, inputBits);
    lut.FormatIndex = formatIndex;
    return report;
  }
  lut.FormatIndex = -1;
  int detected = DetectFormat(path);
  if (detected < 0) return {};
  TLoadReport report =
      LoadWith(*LutFormats()[static_cast<std::size_t>(detected)], path, lut, inputBits);
  lut.FormatIndex = detected;
  return report;
}

TLoadWarning SkippedValueLinesWarning(const std::string& file, const TSkippedValueLines& skipped) {
  const std::string first = std::to_string(skipped.FirstLine);
  std::string message =
      skipped.Count == 1
          ? "1 line inside the values looks like values but could not be read and was "
            "skipped (line " +
                first + "); every value after it moved one node or entry earlier."
          : std::to_string(skipped.Count) +
                " lines inside the values look like values but could not be read and were "
                "skipped (the first is line " +
                first + "); the values after them moved to earlier nodes or entries.";
  return {file, skipped.FirstLine, std::move(message)};
}

void ReportWarnings(const TLoadReport& report, const TWarningHandler& handler) {
  if (!handler) return;
  for (const TLoadWarning& warning : report.Warnings) handler(warning);
}

void RaiseWarning(const TLoadWarning& warning) {
  ELUTError error(warning.Message);
  if (!warning.File.empty()) error.NoteFile(warning.File);
  if (warning.Line > 0) error.NoteLine(warning.Line);
  throw error;
}

void SaveLut(const std::string& path, const TLUT& lut, const TLutOutputProfile& profile, int bits,
             const TReplaceQuestion& mayReplace) {
  if (bits == -1) bits = profile.DefaultBits;
  TLUTFormat* format = GetFormat(profile.FormatIndex);
  if (!format) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");
  format->SaveAsking(path, lut, bits, mayReplace);
}

}  // namespace vorn
