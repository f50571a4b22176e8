#include "formats/TextReading.h"

#include <array>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/Convert.h"
#include "platform/WorkerPool.h"

namespace vorn {

namespace {

std::string TableTooLargeMessage(std::int64_t size) {
  return "The 1D size " + std::to_string(size) +
         " is too large: a 1D table holds at most 100001 entries.";
}

std::string TableTooSmallMessage(std::int64_t size, std::int64_t minimum) {
  return "The 1D size " + std::to_string(size) + " is not valid: a 1D LUT needs at least " +
         std::to_string(minimum) + (minimum == 1 ? " entry." : " entries.");
}

// The lines of a file read in pieces, in batches: a second thread reads each batch ahead
// and then, unless its turn has come, parses it (ParseFloatTriple of each line's trimmed
// text). The thread that takes the lines in order takes a batch whose parsing has not begun
// unparsed, and its lines are parsed where they are read, so that the two share the work.
// A file of one batch or less starts no thread. An error of the reader is raised where its
// line would have come.
class TLinesParsedAhead {
 public:
  explicit TLinesParsedAhead(TTextFileReader& reader) : Reader_(reader) {
    Fill(Slots_[0], 0);
    if (Slots_[0].Last) return;
    // Without a second thread the batches are read in their turn.
    Helper_ = HelperThreadIfAny([this](std::stop_token stop) { Help(stop); });
  }
  TLinesParsedAhead(const TLinesParsedAhead&) = delete;
  TLinesParsedAhead& operator=(const TLinesParsedAhead&) = delete;

  // The next line, valid until the next call; false after the last one.
  bool Next(std::string_view& line) {
    while (Current_ == nullptr || Line_ == Current_->Lines.size()) {
      if (!NextBatch()) return false;
    }
    const TBatch& batch = *Current_;
    const TTextFileReader::TLine at = batch.Lines[Line_];
    line = std::string_view(batch.Bytes.Data() + at.Offset, at.Length);
    Parsed_ = CurrentParsed_ ? &batch.Parsed[Line_] : nullptr;
    ++Line_;
    return true;
  }
  // What was parsed ahead of the line Next gave last, or null.
  const TParsedTriple* Parsed() const { return Parsed_; }

 private:
  static constexpr std::size_t kSlots = 4;
  static constexpr std::size_t kBatchLines = 4096;
  static constexpr std::size_t kBatchBytes = std::size_t{128} << 10;
  enum class TState { Free, Filled, Parsing, Parsed, Taken };
  struct TBatch {
    TByteBuffer Bytes;
    std::vector<TTextFileReader::TLine> Lines;
    std::vector<TParsedTriple> Parsed;
    std::exception_ptr ReadError;  // raised after the lines
    bool Last = false;             // no batch follows
    std::size_t Number = 0;
    TState State = TState::Free;
  };

  // Reads batch number into a slot that is free: no other thread looks at it meanwhile.
  void Fill(TBatch& batch, std::size_t number) {
    batch.Bytes.Clear();
    batch.Lines.clear();
    batch.ReadError = nullptr;
    bool last = false;
    try {
      last = !Reader_.NextLines(batch.Bytes, batch.Lines, kBatchLines, kBatchBytes);
    } catch (...) {
      batch.ReadError = std::current_exception();
      last = true;
    }
    batch.Last = last;
    {
      std::lock_guard lock(Mutex_);
      batch.Number = number;
      batch.State = TState::Filled;
    }
    Changed_.notify_all();
  }

  // Moves to the next batch: raises the reader's error after the current one's lines.
  bool NextBatch() {
    std::size_t number = 0;
    if (Current_ != nullptr) {
      if (Current_->ReadError) std::rethrow_exception(Current_->ReadError);
      if (Current_->Last) return false;
      number = Current_->Number + 1;
      {
        std::lock_guard lock(Mutex_);
        Current_->State = TState::Free;
      }
      Changed_.notify_all();
      if (!Helper_.joinable()) Fill(Slots_[number % kSlots], number);
    }
    Current_ = &Slots_[number % kSlots];
    Line_ = 0;
    std::unique_lock lock(Mutex_);
    Changed_.wait(lock,
                  [&] { return Current_->Number == number && Current_->State != TState::Free; });
    if (Current_->State == TState::Filled) Current_->State = TState::Taken;
    Changed_.wait(lock, [&] { return Current_->State != TState::Parsing; });
    CurrentParsed_ = Current_->State == TState::Parsed;
    return true;
  }

  // Reads ahead into every free slot first, so that the reading thread never waits for
  // lines while this one parses; then parses a batch that thread has not taken.
  void Help(std::stop_token stop) {
    std::size_t next = 1;  // the batch to read next
    bool ended = false;    // the batch with the last line was read
    for (;;) {
      TBatch* toParse = nullptr;
      {
        std::unique_lock lock(Mutex_);
        auto canRead = [&] { return !ended && Slots_[next % kSlots].State == TState::Free; };
        if (!Changed_.wait(lock, stop, [&] {
              toParse = FurthestFilled();
              return canRead() || toParse != nullptr || ended;
            })) {
          return;
        }
        if (canRead()) {
          lock.unlock();
          TBatch& batch = Slots_[next % kSlots];
          Fill(batch, next++);
          ended = batch.Last;  // read before the batch can be taken, freed and filled again
          continue;
        }
        if (toParse == nullptr) return;  // every batch read, none left to parse
        toParse->State = TState::Parsing;
      }
      ParseBatch(*toParse);
      {
        std::lock_guard lock(Mutex_);
        toParse->State = TState::Parsed;
      }
      Changed_.notify_all();
    }
  }

  // Under the lock: the filled batch furthest ahead of the reading thread, or null; the
  // nearest ones are left for that thread, which would otherwise wait for them.
  TBatch* FurthestFilled() {
    TBatch* first = nullptr;
    for (TBatch& batch : Slots_) {
      if (batch.State == TState::Filled && (first == nullptr || batch.Number > first->Number)) {
        first = &batch;
      }
    }
    return first;
  }

  static void ParseBatch(TBatch& batch) {
    batch.Parsed.resize(batch.Lines.size());
    for (std::size_t i = 0; i < batch.Lines.size(); ++i) {
      const TTextFileReader::TLine at = batch.Lines[i];
      const std::string_view trimmed =
          Trim(std::string_view(batch.Bytes.Data() + at.Offset, at.Length));
      TParsedTriple& parsed = batch.Parsed[i];
      parsed.Data = trimmed.data();
      parsed.Size = trimmed.size();
      parsed.Parsed =
          ParseFloatTriple(trimmed, parsed.Values[0], parsed.Values[1], parsed.Values[2]);
    }
  }

  TTextFileReader& Reader_;  // the helper's alone once it runs
  std::mutex Mutex_;
  std::condition_variable_any Changed_;
  std::array<TBatch, kSlots> Slots_;
  TBatch* Current_ = nullptr;
  bool CurrentParsed_ = false;
  std::size_t Line_ = 0;
  const TParsedTriple* Parsed_ = nullptr;
  std::jthread Helper_;  // last: stopped and joined before what it uses goes
};

}  // namespace

std::unique_ptr<TLoadState> TGenericLutFormat::NewLoadState(const std::string&,
                                                            std::int32_t inputBits) const {
  return std::make_unique<TLoadState>(inputBits);
}

void TGenericLutFormat::PrepareText(TLoadState&, const TTextFile&) const {}

void TGenericLutFormat::ParseLine(TLoadState&, std::string_view, TLUT&) const {}

void TGenericLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  LoadLines(path, lut, context, NeedsWholeText() ? 0 : TTextFileReader::kChunkBytes);
}

void TGenericLutFormat::LoadLines(const std::string& path, TLUT& lut, TLoadContext& context,
                                  std::size_t chunkBytes) const {
  // The file is opened (or refused) before the state is made, whichever way it is read.
  TTextFile text;
  std::unique_ptr<TTextFileReader> reader;
  if (chunkBytes > 0) {
    reader = std::make_unique<TTextFileReader>(path, chunkBytes);
  } else {
    text.Load(path);
  }
  const std::unique_ptr<TLoadState> load = NewLoadState(path, context.InputBits);
  int number = 0;
  auto parse = [&](std::string_view line) {
    ++number;
    // No format reads anything from a blank line; a line parsed ahead tells by its size.
    const bool blank = load->Ahead ? load->Ahead->Size == 0 : Trim(line).empty();
    if (blank) return;
    load->WatchLineBefore();
    ParseLine(*load, line, lut);
    load->WatchLineAfter(line, number);
  };
  if (reader && ParsesRealTriplesAhead() && MaySpreadWork()) {
    load->StartValueWatch();
    TLinesParsedAhead lines(*reader);
    ForEachLineOf(lines, [&](std::string_view line) {
      load->Ahead = lines.Parsed();
      parse(line);
    });
    load->Ahead = nullptr;
  } else if (reader) {
    load->StartValueWatch();
    ForEachLineOf(*reader, parse);
  } else {
    load->TextFile = &text;
    PrepareText(*load, text);
    load->StartValueWatch();
    ForEachLine(text, parse);
  }
  load->FinishValueWatch(context);
  FinishLoad(*load, lut);
}

void TGenericLutFormat::FinishLoad(TLoadState& load, TLUT& lut) const {
  load.FinishRecord(lut, Is3D);
}

void TLoadState::FinishRecord(TLUT& lut, bool is3D) const {
  if (is3D) {
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
  if (!Complete) throw ELUTError(IncompleteMessage(is3D));
}

std::string TLoadState::IncompleteMessage(bool is3D) const {
  // Formats that store entries their own way move EntryIndex without the store calls.
  const std::int64_t read = std::max<std::int64_t>(StoredValues(), EntryIndex);
  if (Size < 0) return IncompleteFileMessage(read, -1);
  const std::int64_t declared =
      is3D ? ShaperSize + std::int64_t{Size} * Size * Size : std::int64_t{Size};
  return IncompleteFileMessage(read, declared);
}

void TLoadState::StartValueWatch() {
  Watch_ = {};
}

void TLoadState::WatchLineBefore() {
  Watch_.StoredBefore = Watch_.Stored;
  Watch_.R = RIndex;
  Watch_.G = GIndex;
  Watch_.B = BIndex;
  Watch_.Entry = EntryIndex;
  Watch_.Size = Size;
  Watch_.Understood = false;
}

void TLoadState::WatchOtherLine(std::string_view line, int lineNumber) {
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

void TLoadState::FinishValueWatch(TLoadContext& context) const {
  context.SkippedValueLines = Watch_.Skipped;
}

bool TLoadState::ReadTableLine(std::string_view line, TLUT& lut, const TValueLayout& layout,
                               double divisor) {
  if (Complete) return false;
  TRGB values;
  return ParseValues(*this, line, layout, divisor, values) && StoreEntry(lut, values);
}

bool TLoadState::StoreEntry(TLUT& lut, const TRGB& values) {
  if (Size >= 0 && EntryIndex >= Size) return false;
  if (EntryIndex >= TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(EntryIndex + 1));
  lut.SetEntry(EntryIndex++, values);
  ++Watch_.Stored;
  if (EntryIndex == Size) Complete = true;
  return true;
}

void TLoadState::AppendEntry(TLUT& lut, const TRGB& values) {
  if (Size < 0) Size = 0;
  if (Size >= TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(Size + 1));
  lut.SetEntry(Size++, values);
}

std::int32_t CheckedGridSize(std::int64_t size, std::int64_t minimum) {
  if (size > kGridSizeLimit) throw Exception(kGridSizeLimitMessage);
  if (size < minimum) {
    throw ELUTError("The grid size " + std::to_string(size) +
                    " is not valid: a 3D LUT needs at least " + std::to_string(minimum) +
                    (minimum == 1 ? " node" : " nodes") + " per axis.");
  }
  return static_cast<std::int32_t>(size);
}

std::int32_t CheckedTableSize(std::int64_t size, std::int64_t minimum) {
  if (size > TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(size));
  if (size < minimum) throw ELUTError(TableTooSmallMessage(size, minimum));
  return static_cast<std::int32_t>(size);
}

void TLoadState::SetGridSize(std::int64_t size, std::int64_t minimum) {
  Size = CheckedGridSize(size, minimum);
}

void TLoadState::SetTableSize(std::int64_t size, std::int64_t minimum) {
  Size = CheckedTableSize(size, minimum);
}

void TLoadState::SetShaperSize(std::int64_t size, std::int64_t minimum) {
  if (size > TLUT::MaxTableEntries) throw ELUTError(TableTooLargeMessage(size));
  if (size < minimum) throw ELUTError(TableTooSmallMessage(size, minimum));
  ShaperSize = static_cast<std::int32_t>(size < 0 ? 0 : size);
}

void TLoadState::SetGridSizeFromValueLines() {
  const std::int64_t count = TextFile ? CountValueLines(*TextFile) : 0;
  if (count == 0) {
    Size = 0;
  } else {
    SetGridSizeFromNodeCount(count);
  }
}

void TLoadState::SetGridSizeFromNodeCount(std::int64_t count) {
  SetGridSize(static_cast<std::int64_t>(std::llround(std::cbrt(static_cast<double>(count)))));
}

void TLoadState::SetLargestCode(std::int64_t code) {
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

bool KeepCommentLine(std::string_view trimmed, TLUT& lut) {
  if (trimmed.empty() || trimmed[0] != '#') return false;
  lut.Comments.emplace_back(Trim(trimmed.substr(1)));
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

std::string_view ParseRealList(std::string_view line, std::vector<double>& values,
                               std::size_t maxCount) {
  values.clear();
  for (std::string_view rest = Trim(line); !rest.empty() && values.size() <= maxCount;
       rest = TrimLeft(rest)) {
    const std::string_view piece = NextToken(rest);
    double value = 0.0;
    if (!TryStrToFloat(piece, value)) return piece;
    values.push_back(value);
  }
  return {};
}

}  // namespace vorn
