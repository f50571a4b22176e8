#include "core/TextFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/WorkerPool.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vorn {

namespace {

constexpr std::size_t kMaxTextBytes = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void RaiseTooLarge() {
  throw Exception("The text is too large: it exceeds 4 GiB.");
}

// memchr that may be given an empty (and so possibly null) range.
const char* Find(const char* data, std::size_t size, char c) {
  return size == 0 ? nullptr : static_cast<const char*>(std::memchr(data, c, size));
}

// The first c at or after start; from and at remember the last search, which answers
// every start between them.
std::size_t FindFrom(const TByteBuffer& buffer, char c, std::size_t start, std::size_t& from,
                     std::size_t& at) {
  if (from <= start && start <= at) return at;
  const char* found = Find(buffer.Data() + start, buffer.Size() - start, c);
  from = start;
  at = found ? static_cast<std::size_t>(found - buffer.Data()) : buffer.Size();
  return at;
}

// The first LF of [data, data + size), or null: memchr without its call, for the short
// distances between the breaks of a text's lines.
inline const char* FindLF(const char* data, std::size_t size) {
  std::size_t at = 0;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  for (; at + 16 <= size; at += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    if (const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, lf)); found != 0) {
      return data + at + std::countr_zero(static_cast<unsigned>(found));
    }
  }
#endif
  return Find(data + at, size - at, '\n');
}

bool HasBreak(std::string_view line) {
  return Find(line.data(), line.size(), '\n') != nullptr ||
         Find(line.data(), line.size(), '\r') != nullptr;
}

}  // namespace

TTextFile::TTextFile() = default;
TTextFile::~TTextFile() = default;
TTextFile::TTextFile(TTextFile&&) noexcept = default;
TTextFile& TTextFile::operator=(TTextFile&&) noexcept = default;

void TTextFile::Load(const std::string& path) {
  Clear();
  ReadWholeFileInto(path, Buffer_);
  Split();
}

void TTextFile::SetText(std::string_view text) {
  Clear();
  Buffer_.Append(text.data(), text.size());
  Split();
}

// Indexes the lines of Buffer_: a line ends at CR, LF or CR LF; a NUL byte is a byte of
// its line like any other.
void TTextFile::Split() {
  if (Buffer_.Size() > kMaxTextBytes) {
    Clear();
    RaiseTooLarge();
  }
  const std::size_t size = Buffer_.Size();
  HasCR_ = Find(Buffer_.Data(), size, '\r') != nullptr;
  const char last = size > 0 ? Buffer_.Data()[size - 1] : '\n';
  Unterminated_ = last != '\n' && last != '\r';
  IndexBuilt_ = false;
  Cursor_ = {};
  Clean_ = size == 0 || (!HasCR_ && !Unterminated_);
  CleanBreak_.assign(1, '\n');
}

void TTextFile::BuildIndex() const {
  Count_ = 0;
  Starts_.clear();
  const std::size_t size = Buffer_.Size();
  std::size_t start = 0;
  while (start < size) {
    IndexLine(start);
    const std::size_t end = BreakAt(start);
    if (end >= size) break;
    start = NextStart(end);
  }
  IndexBuilt_ = true;
}

std::size_t TTextFile::BreakAt(std::size_t start) const {
  if (!HasCR_) {
    const char* lf = Find(Buffer_.Data() + start, Buffer_.Size() - start, '\n');
    return lf ? static_cast<std::size_t>(lf - Buffer_.Data()) : Buffer_.Size();
  }
  const std::size_t lf = FindFrom(Buffer_, '\n', start, Cursor_.LFFrom, Cursor_.LF);
  const std::size_t cr = FindFrom(Buffer_, '\r', start, Cursor_.CRFrom, Cursor_.CR);
  return lf < cr ? lf : cr;
}

std::size_t TTextFile::NextStart(std::size_t end) const {
  const char* data = Buffer_.Data();
  const bool pair = data[end] == '\r' && end + 1 < Buffer_.Size() && data[end + 1] == '\n';
  return end + (pair ? 2 : 1);
}

std::string_view TTextFile::IndexedLine(std::size_t i) const {
  TCursor& cursor = Cursor_;
  if (cursor.Line != i) {
    std::size_t line = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    if (cursor.Line < i && i - cursor.Line < kStride) {
      line = cursor.Line;
      end = cursor.End;
    } else {
      line = i - i % kStride;
      start = Starts_[i / kStride];
      end = BreakAt(start);
    }
    while (line < i) {
      start = NextStart(end);
      end = BreakAt(start);
      ++line;
    }
    cursor.Line = i;
    cursor.Start = start;
    cursor.End = end;
  }
  return std::string_view(Buffer_.Data() + cursor.Start, cursor.End - cursor.Start);
}

bool TTextFile::BreakIsPlain() const {
  return LineBreak == "\n" || LineBreak == "\r\n" || LineBreak == "\r";
}

void TTextFile::MakeDense() {
  if (Dense_) return;
  EnsureIndex();
  Lines_.reserve(Count_);
  for (std::size_t i = 0; i < Count_; ++i) {
    const std::string_view line = IndexedLine(i);
    Lines_.push_back({static_cast<std::uint32_t>(line.data() - Buffer_.Data()),
                      static_cast<std::uint32_t>(line.size())});
  }
  Dense_ = true;
  Starts_.clear();
}

// Before a line is appended: the last loaded line gets its break, and lines the index
// could not find again (breaks inside the line, an unusual LineBreak, an empty line whose
// LF would pair with the CR before it) make the text dense.
void TTextFile::PrepareAdd(std::string_view line, bool known) {
  EnsureIndex();
  if (Buffer_.Size() + line.size() + LineBreak.size() + 2 > kMaxTextBytes) RaiseTooLarge();
  if (Count_ == 0 && Lines_.empty() && Buffer_.Size() == 0 && Written_.Lines == 0) {
    Clean_ = true;
    CleanBreak_ = LineBreak;
  }
  if (Written_.Lines > 0 && CleanBreak_ != LineBreak) {
    throw Exception("The line break of a text cannot change once lines were written out.");
  }
  if (Clean_ && CleanBreak_ != LineBreak) Clean_ = false;
  if (Unterminated_) {
    Buffer_.Append(LineBreak.data(), LineBreak.size());
    Unterminated_ = false;
  }
  if (LineBreak != CheckedBreak_) {
    if (!BreakIsPlain()) MakeDense();
    if (LineBreak.find('\r') != std::string::npos) HasCR_ = true;
    CheckedBreak_ = LineBreak;
  }
  if (!Dense_ && known && HasBreak(line)) MakeDense();
  Cursor_.Line = static_cast<std::size_t>(-1);
  ForgetBreakSearches();
}

void TTextFile::FinishAdd(std::size_t offset, std::size_t length) {
  const bool pairsWithCR = length == 0 && offset > 0 && Buffer_.Data()[offset - 1] == '\r' &&
                           !LineBreak.empty() && LineBreak[0] == '\n';
  if (!Dense_ && pairsWithCR) MakeDense();
  if (Dense_) {
    Lines_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
  } else {
    IndexLine(offset);
  }
  if (!LineBreak.empty()) {
    std::memcpy(Buffer_.Data() + offset + length, LineBreak.data(), LineBreak.size());
  }
  Buffer_.Resize(offset + length + LineBreak.size());
  if (Buffer_.Size() >= Written_.FlushAt) Flush();
}

void TTextFile::Add(std::string_view line) {
  PrepareAdd(line, true);
  const std::size_t offset = Buffer_.Size();
  Buffer_.Reserve(offset + line.size() + LineBreak.size());
  if (!line.empty()) std::memcpy(Buffer_.Data() + offset, line.data(), line.size());
  FinishAdd(offset, line.size());
}

char* TTextFile::AddLineStartChecked(std::size_t maxLength) {
  PrepareAdd({}, false);
  Buffer_.Reserve(Buffer_.Size() + maxLength + LineBreak.size());
  return Buffer_.Data() + Buffer_.Size();
}

void TTextFile::Clear() {
  Buffer_.Clear();
  IndexBuilt_ = true;
  Count_ = 0;
  Starts_.clear();
  HasCR_ = false;
  Unterminated_ = false;
  Clean_ = true;
  CleanBreak_ = LineBreak;
  Cursor_ = {};
  Dense_ = false;
  Lines_.clear();
  CheckedBreak_.clear();
  Written_ = {};
}

void TTextFile::Reserve(std::size_t lines, std::size_t bytes) {
  if (Written_.FlushBytes > 0) {
    // A streamed text holds one piece at a time.
    bytes = std::min(bytes, Written_.FlushBytes + kStreamSlackBytes);
    lines = std::min(lines, Written_.FlushBytes);
  }
  Buffer_.Reserve(bytes);
  if (Dense_) {
    Lines_.reserve(lines);
  } else {
    Starts_.reserve(lines / kStride + 1);
  }
}

std::string TTextFile::Text() const {
  if (Clean_ && CleanBreak_ == LineBreak) return std::string(Buffer_.Data(), Buffer_.Size());
  std::string text;
  text.reserve(Buffer_.Size() + Count() * LineBreak.size());
  ForEach([&](std::string_view line) {
    text.append(line);
    text.append(LineBreak);
  });
  return text;
}

void TTextFile::Save(const std::string& path, TWriteMode mode) {
  const bool asItIs = Clean_ && CleanBreak_ == LineBreak;
  if (!Written_.File) {
    WriteWholeFile(path, asItIs ? std::string_view(Buffer_.Data(), Buffer_.Size()) : Text(), mode);
    return;
  }
  if (path != Written_.Path || mode != Written_.Mode) {
    throw Exception("A streamed text is saved only to the file it streams to.");
  }
  // Lines written out leave the text clean (PrepareAdd keeps the break).
  Written_.File->Write(std::string_view(Buffer_.Data(), Buffer_.Size()));
  Written_.File->Commit();
}

void TTextFile::StreamTo(const std::string& path, TWriteMode mode, std::size_t flushBytes) {
  Written_.Path = path;
  Written_.Mode = mode;
  Written_.FlushBytes = std::max<std::size_t>(flushBytes, 1);
  Written_.FlushAt = Written_.FlushBytes;
}

void TTextFile::Flush() {
  if (Dense_ || !Clean_ || CleanBreak_ != LineBreak || Unterminated_) {
    Written_.FlushAt = static_cast<std::size_t>(-1);
    return;
  }
  if (!Written_.File)
    Written_.File = std::make_unique<TFileReplacement>(Written_.Path, Written_.Mode);
  Written_.File->Write(std::string_view(Buffer_.Data(), Buffer_.Size()));
  EnsureIndex();
  Written_.Lines += Count_;
  Buffer_.Clear();
  Count_ = 0;
  Starts_.clear();
  Cursor_ = {};
}

// ---- Runs of lines printed in blocks ---------------------------------------------------------

namespace {

// The blocks of a run of lines, printed by two threads, each taking the next block not yet
// taken, while the thread that made this adds them to the text in order. At most kSlots
// blocks are printed and not yet added.
class TBlockPrinting {
 public:
  using TPrintedLines = TTextFile::TPrintedLines;

  TBlockPrinting(std::size_t count, std::size_t blockLines, const TTextFile::TBlockPrint& print)
      : Count_(count), BlockLines_(blockLines), Print_(print) {
    // Without a second thread the adding thread prints every block.
    Helper_ = HelperThreadIfAny([this](std::stop_token stop) { Help(stop); });
  }
  TBlockPrinting(const TBlockPrinting&) = delete;
  TBlockPrinting& operator=(const TBlockPrinting&) = delete;

  std::size_t Blocks() const { return (Count_ + BlockLines_ - 1) / BlockLines_; }

  // Block b's lines, for b taken in order from 0, printing blocks while it is not ready;
  // valid until Release(b). Passes on the exception its printing raised.
  const TPrintedLines& Take(std::size_t b) {
    TSlot& slot = Slots_[b % kSlots];
    std::unique_lock lock(Mutex_);
    while (!(slot.Block == b && slot.Ready)) {
      if (!CanClaim()) {
        Changed_.wait(lock, [&] { return slot.Block == b && slot.Ready; });
        break;
      }
      ClaimAndPrint(lock);
    }
    if (slot.Error) std::rethrow_exception(slot.Error);
    return slot.Lines;
  }
  void Release(std::size_t b) {
    {
      std::lock_guard lock(Mutex_);
      TSlot& slot = Slots_[b % kSlots];
      slot.Block = kNoBlock;
      slot.Ready = false;
      slot.Error = nullptr;
    }
    Changed_.notify_all();
  }

 private:
  static constexpr std::size_t kSlots = 4;
  static constexpr std::size_t kNoBlock = static_cast<std::size_t>(-1);
  struct TSlot {
    TPrintedLines Lines;
    std::size_t Block = kNoBlock;
    bool Ready = false;
    std::exception_ptr Error;
  };

  // Under the lock: a block is left to take and its slot is free.
  bool CanClaim() const {
    return NextClaim_ < Blocks() && Slots_[NextClaim_ % kSlots].Block == kNoBlock;
  }

  // Takes the next block and prints it into its slot with the lock released; its exception
  // is kept for the thread that adds the block. Returns whether the printing raised.
  bool ClaimAndPrint(std::unique_lock<std::mutex>& lock) {
    const std::size_t b = NextClaim_++;
    TSlot& slot = Slots_[b % kSlots];
    slot.Block = b;
    lock.unlock();
    std::exception_ptr error;
    try {
      const std::size_t first = b * BlockLines_;
      Print_(slot.Lines, first, std::min(Count_, first + BlockLines_));
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    slot.Error = error;
    slot.Ready = true;
    Changed_.notify_all();
    return error != nullptr;
  }

  void Help(std::stop_token stop) {
    std::unique_lock lock(Mutex_);
    for (;;) {
      if (!Changed_.wait(lock, stop, [&] { return NextClaim_ >= Blocks() || CanClaim(); })) return;
      if (NextClaim_ >= Blocks() || ClaimAndPrint(lock)) return;
    }
  }

  const std::size_t Count_;
  const std::size_t BlockLines_;
  const TTextFile::TBlockPrint& Print_;
  std::mutex Mutex_;
  std::condition_variable_any Changed_;
  std::size_t NextClaim_ = 0;  // the first block no thread has taken
  std::array<TSlot, kSlots> Slots_;
  std::jthread Helper_;  // last: stopped and joined before what it uses goes
};

}  // namespace

bool TTextFile::AnotherCore() {
  return MaySpreadWork();
}

void TTextFile::AddPrintedBlocks(std::size_t count, const TBlockPrint& printBlock) {
  // A streamed text sends the lines it holds out first, so that the blocks can go straight
  // to the file after them.
  if (Written_.FlushAt != static_cast<std::size_t>(-1) && Buffer_.Size() > 0) Flush();
  TBlockPrinting blocks(count, kBlockLines, printBlock);
  for (std::size_t b = 0; b < blocks.Blocks(); ++b) {
    AddPrinted(blocks.Take(b));
    blocks.Release(b);
  }
}

void TTextFile::AddPrinted(const TPrintedLines& lines) {
  const std::size_t count = lines.Count_;
  const std::size_t bytes = lines.Bytes_.Size();
  // An empty line may pair with a CR before it: Add looks after that, as after any break.
  if (!PlainLF() || lines.AnyEmpty_) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t start = lines.Starts_[i];
      const std::size_t end = i + 1 < count ? lines.Starts_[i + 1] : bytes;
      Add(std::string_view(lines.Bytes_.Data() + start, end - start - 1));
    }
    return;
  }
  const std::size_t offset = Buffer_.Size();
  if (offset == 0 && Written_.FlushAt != static_cast<std::size_t>(-1) && Written_.File) {
    Written_.File->Write(std::string_view(lines.Bytes_.Data(), bytes));
    Written_.Lines += count;
    return;
  }
  if (offset + bytes > kMaxTextBytes) RaiseTooLarge();
  Buffer_.Reserve(offset + bytes);
  if (bytes > 0) std::memcpy(Buffer_.Data() + offset, lines.Bytes_.Data(), bytes);
  for (std::size_t i = 0; i < count; ++i) IndexLine(offset + lines.Starts_[i]);
  Buffer_.Resize(offset + bytes);
  if (HasCR_) ForgetBreakSearches();
  if (Buffer_.Size() >= Written_.FlushAt) Flush();
}

// ---- TTextFileReader -------------------------------------------------------------------------

TTextFileReader::TTextFileReader(const std::string& path, std::size_t chunkBytes)
    : File_(std::make_unique<TFileReader>(path)),
      ChunkBytes_(std::max<std::size_t>(chunkBytes, 1)) {}

TTextFileReader::~TTextFileReader() = default;

bool TTextFileReader::Refill() {
  if (Ended_) return false;
  const std::size_t kept = Buffer_.Size() - Start_;
  if (kept > 0 && Start_ > 0) std::memmove(Buffer_.Data(), Buffer_.Data() + Start_, kept);
  Start_ = 0;
  Buffer_.Resize(kept + ChunkBytes_);
  char* fresh = Buffer_.Data() + kept;
  std::size_t got = File_->Read(fresh, ChunkBytes_);
  Ended_ = got < ChunkBytes_;
  Buffer_.Resize(kept + got);
  Total_ += got;
  if (Total_ > kMaxTextBytes) RaiseTooLarge();
  // Kept bytes that held a CR may still: the flag only chooses the search.
  HasCR_ = (kept > 0 && HasCR_) || Find(fresh, got, '\r') != nullptr;
  return got > 0;
}

std::size_t TTextFileReader::BreakAt(std::size_t start) const {
  const char* data = Buffer_.Data();
  const std::size_t size = Buffer_.Size();
  if (!HasCR_) {
    const char* lf = Find(data + start, size - start, '\n');
    return lf ? static_cast<std::size_t>(lf - data) : size;
  }
  std::size_t at = start;
  while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
  return at;
}

bool TTextFileReader::Next(std::string_view& line) {
  std::size_t from = Start_;  // the bytes from Start_ to here hold no break
  for (;;) {
    const std::size_t end = BreakAt(from);
    if (end < Buffer_.Size()) {
      if (Buffer_.Data()[end] == '\r' && end + 1 == Buffer_.Size() && !Ended_) {
        // The LF that would pair with this CR is in the next piece.
        const std::size_t offset = end - Start_;
        Refill();
        from = Start_ + offset;
        continue;
      }
      const char* data = Buffer_.Data();
      line = std::string_view(data + Start_, end - Start_);
      const bool pair = data[end] == '\r' && end + 1 < Buffer_.Size() && data[end + 1] == '\n';
      Start_ = end + (pair ? 2 : 1);
      return true;
    }
    const std::size_t searched = Buffer_.Size() - Start_;
    if (!Refill()) break;
    from = Start_ + searched;
  }
  if (Start_ == Buffer_.Size()) return false;
  line = std::string_view(Buffer_.Data() + Start_, Buffer_.Size() - Start_);
  Start_ = Buffer_.Size();
  return true;
}

bool TTextFileReader::NextLines(TByteBuffer& bytes, std::vector<TLine>& lines, std::size_t maxLines,
                                std::size_t maxBytes) {
  auto note = [&](std::size_t offset, std::size_t length) {
    lines.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
  };
  // A line taken alone: noted and copied, an LF after it.
  auto copy = [&](std::string_view line) {
    note(bytes.Size(), line.size());
    bytes.Append(line.data(), line.size());
    bytes.Append("\n", 1);
  };
  while (lines.size() < maxLines && bytes.Size() < maxBytes) {
    if (HasCR_) {
      // Breaks of every kind: the rare case, line by line.
      std::string_view line;
      if (!Next(line)) return false;
      copy(line);
      continue;
    }
    // LF breaks only: the whole lines of the piece held, copied together with their breaks.
    const char* data = Buffer_.Data();
    const std::size_t size = Buffer_.Size();
    const std::size_t base = bytes.Size() - Start_;  // bytes offset = base + piece offset
    std::size_t start = Start_;
    while (lines.size() < maxLines && base + start < maxBytes) {
      const char* lf = FindLF(data + start, size - start);
      if (lf == nullptr) break;
      const auto end = static_cast<std::size_t>(lf - data);
      note(base + start, end - start);
      start = end + 1;
    }
    if (start > Start_) {
      bytes.Append(data + Start_, start - Start_);
      Start_ = start;
      continue;
    }
    // No whole line is held: read on, or take the last line, which has no break.
    if (Refill()) continue;
    if (Start_ == Buffer_.Size()) return false;
    copy(std::string_view(Buffer_.Data() + Start_, Buffer_.Size() - Start_));
    Start_ = Buffer_.Size();
    return false;
  }
  return true;
}

}  // namespace vorn
