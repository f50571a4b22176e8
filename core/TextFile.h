#pragma once
// The line container of every text format. Lines are 8-bit text held in one buffer;
// a line is read as a string_view that stays valid until the container changes.
// Reading splits at CR, LF or CR LF (a NUL byte is part of its line); writing puts
// LineBreak after every line, the last one included.
//
// The buffer holds the lines with their breaks, and beside it only the start of every
// 32nd line: the others are found as they are read (in order, each costs one search for
// its break). A file of millions of empty lines costs little more memory than its size,
// and a writer's lines go straight into the buffer.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/Memory.h"

namespace vorn {

class TFileReplacement;
class TFileReader;

class TTextFile {
 public:
  std::string LineBreak = "\n";

  // Replaces the lines with the lines of the file.
  void Load(const std::string& path);
  // Replaces the lines with the lines of the text.
  void SetText(std::string_view text);
  // Writes every line followed by LineBreak; the file is replaced only by the complete
  // text (WriteWholeFile, or TFileReplacement for a text given StreamTo). mode says whether
  // an existing file may be replaced; a streamed text is saved with the mode it streams with.
  void Save(const std::string& path, TWriteMode mode = TWriteMode::Replace);
  // The text Save writes (of a streamed text, the lines not yet written out).
  std::string Text() const;

  // For writers of large files: from here on, whenever the text holds flushBytes or more,
  // it goes to a temporary file beside path (TFileReplacement) and leaves memory. Save(path)
  // completes the file; without it the file stays as it was. Count() goes on counting every
  // line, while only the lines not yet written out can be read; LineBreak may not change
  // once some were. A text below flushBytes is saved as any other.
  void StreamTo(const std::string& path, std::size_t flushBytes = kStreamFlushBytes) {
    StreamTo(path, TWriteMode::Replace, flushBytes);
  }
  void StreamTo(const std::string& path, TWriteMode mode,
                std::size_t flushBytes = kStreamFlushBytes);
  static constexpr std::size_t kStreamFlushBytes = std::size_t{256} << 10;

  TTextFile();
  ~TTextFile();
  TTextFile(TTextFile&&) noexcept;
  TTextFile& operator=(TTextFile&&) noexcept;

  std::size_t Count() const {
    if (Dense_) return Written_.Lines + Lines_.size();
    EnsureIndex();
    return Written_.Lines + Count_;
  }
  // The bytes the lines take, their breaks included (what Reserve counts).
  std::size_t Bytes() const { return Buffer_.Size(); }
  std::string_view operator[](std::size_t i) const {
    i -= Written_.Lines;
    if (Dense_) return {Buffer_.Data() + Lines_[i].Offset, Lines_[i].Length};
    EnsureIndex();
    return IndexedLine(i);
  }
  // Calls visit with every line in order: one pass, without the line index.
  template <class Visit>
  void ForEach(Visit&& visit) const;
  void Add(std::string_view line);
  // For writers that print a line in place: room for maxLength chars at the end of the
  // text, then AddLineEnd with the end of what was printed there (no CR or LF in it).
  char* AddLineStart(std::size_t maxLength) {
    if (!PlainLF()) return AddLineStartChecked(maxLength);
    Buffer_.Reserve(Buffer_.Size() + maxLength + 1);
    return Buffer_.Data() + Buffer_.Size();
  }
  void AddLineEnd(const char* end) {
    const std::size_t offset = Buffer_.Size();
    const auto length = static_cast<std::size_t>(end - (Buffer_.Data() + offset));
    if (!PlainLF() || (length == 0 && offset > 0)) return FinishAdd(offset, length);
    IndexLine(offset);
    Buffer_.Data()[offset + length] = '\n';
    Buffer_.Resize(offset + length + 1);
    if (HasCR_) ForgetBreakSearches();
    if (Buffer_.Size() >= Written_.FlushAt) Flush();
  }
  // For writers of runs of lines: count lines, line i printed in place by print(out, i)
  // with room for maxLength chars, returning the end of what it printed (no CR or LF in
  // it). The same as AddLineStart and AddLineEnd for each line, with the state of the text
  // checked once for the run instead of twice a line.
  template <class Print>
  void AddLines(std::size_t count, std::size_t maxLength, Print&& print);
  // For writers of long runs of lines that depend on nothing but their place in the run
  // (grid and table values): count lines of at most maxLength chars, none holding a CR or
  // LF. startAt(first) gives a printer of lines first, first + 1 and on: printer(out)
  // prints the next line at out and returns its end. When the run is long and the thread
  // may spread its work over another core, blocks of lines are printed there as well, and
  // added here in order; the text is the same either way. startAt and the printers it gives
  // may run on two threads at once, so they may only read what they share. When a printer
  // raises, the exception of the first line in order that raised is passed on and the text
  // is left incomplete.
  template <class StartAt>
  void AddLineRun(std::size_t count, std::size_t maxLength, StartAt&& startAt);
  // Lines printed apart from a text (AddLineRun's blocks), each followed by LF.
  class TPrintedLines {
   public:
    // Emptied, with room for the starts of lines lines.
    void Start(std::size_t lines) {
      Bytes_.Clear();
      Starts_.resize(lines);
      Count_ = 0;
      AnyEmpty_ = false;
    }
    // Room for the next line (of the number Start was given) of maxLength chars, then
    // Commit with the end of what was printed there.
    [[gnu::always_inline]] char* Room(std::size_t maxLength) {
      Bytes_.Reserve(Bytes_.Size() + maxLength + 1);
      return Bytes_.Data() + Bytes_.Size();
    }
    [[gnu::always_inline]] void Commit(char* end) {
      const std::size_t start = Bytes_.Size();
      const auto length = static_cast<std::size_t>(end - (Bytes_.Data() + start));
      Starts_[Count_++] = static_cast<std::uint32_t>(start);
      AnyEmpty_ = AnyEmpty_ || length == 0;
      *end = '\n';
      Bytes_.Resize(start + length + 1);
    }

   private:
    friend class TTextFile;
    TByteBuffer Bytes_;
    std::vector<std::uint32_t> Starts_;
    std::size_t Count_ = 0;
    bool AnyEmpty_ = false;
  };
  using TBlockPrint =
      std::function<void(TPrintedLines& lines, std::size_t first, std::size_t last)>;
  void Clear();
  // Room for the given number of lines and bytes, for writers that know their size.
  void Reserve(std::size_t lines, std::size_t bytes);

 private:
  // Lines with LF breaks added to an indexed text that ends with a break: the common case
  // of the writers, which needs no check of its own.
  bool PlainLF() const {
    return !Dense_ && IndexBuilt_ && !Unterminated_ && LineBreak.size() == 1 &&
           LineBreak[0] == '\n' && CleanBreak_.size() == 1 && CleanBreak_[0] == '\n' &&
           CheckedBreak_.size() == 1 && CheckedBreak_[0] == '\n';
  }
  char* AddLineStartChecked(std::size_t maxLength);
  void ForgetBreakSearches() {
    Cursor_.LFFrom = Cursor_.CRFrom = 1;
    Cursor_.LF = Cursor_.CR = 0;
  }
  void Split();
  // Loaded text is indexed when a line is first asked for by number.
  void EnsureIndex() const {
    if (!IndexBuilt_) BuildIndex();
  }
  void BuildIndex() const;
  std::string_view IndexedLine(std::size_t i) const;
  std::size_t BreakAt(std::size_t start) const;
  std::size_t NextStart(std::size_t end) const;
  // The line that starts at offset joins the index.
  void IndexLine(std::size_t offset) const {
    if (Count_ % kStride == 0) Starts_.push_back(static_cast<std::uint32_t>(offset));
    ++Count_;
  }
  // From here on every line has a span of its own: for lines that hold a CR or LF, or a
  // LineBreak that is none of LF, CR LF and CR.
  void MakeDense();
  bool BreakIsPlain() const;
  // Ready to append a line of length (or of unknown length, -1) after the text.
  void PrepareAdd(std::string_view line, bool known);
  void FinishAdd(std::size_t offset, std::size_t length);
  // AddLineRun's blocks: printBlock(lines, first, last) prints lines [first, last).
  void AddPrintedBlocks(std::size_t count, const TBlockPrint& printBlock);
  // Whether this thread may spread its work over a second core (MaySpreadWork).
  static bool AnotherCore();
  void AddPrinted(const TPrintedLines& lines);
  // Writes the text out to the stream and empties it, when it is exactly its lines and
  // their breaks (a text that is not stays in memory until Save).
  void Flush();

  static constexpr std::size_t kStride = 32;
  // The lines of one of AddLineRun's blocks, and the shortest run printed in blocks: below
  // it, starting a thread costs more than it saves.
  static constexpr std::size_t kBlockLines = 4096;
  static constexpr std::size_t kBlockRunLines = 4 * kBlockLines;
  // Room for the line that crosses a streamed text's flush size.
  static constexpr std::size_t kStreamSlackBytes = 4096;

  struct LineSpan {
    std::uint32_t Offset;
    std::uint32_t Length;
  };
  TByteBuffer Buffer_;
  // Every line followed by its break; the last loaded line may have none.
  mutable bool IndexBuilt_ = true;
  mutable std::size_t Count_ = 0;
  mutable std::vector<std::uint32_t> Starts_;  // the start of every kStride-th line
  bool HasCR_ = false;
  // The last loaded line has no break in the buffer yet.
  bool Unterminated_ = false;
  // True while the buffer is exactly every line followed by CleanBreak_: Save writes it
  // as it is.
  bool Clean_ = true;
  std::string CleanBreak_ = "\n";
  // Where the last line read is, and the next CR and LF after the positions they were
  // searched from.
  struct TCursor {
    std::size_t Line = static_cast<std::size_t>(-1);
    std::size_t Start = 0;
    std::size_t End = 0;
    std::size_t LFFrom = 1;
    std::size_t LF = 0;
    std::size_t CRFrom = 1;
    std::size_t CR = 0;
  };
  mutable TCursor Cursor_;

  bool Dense_ = false;
  std::vector<LineSpan> Lines_;
  // The LineBreak the last added line was checked for (a plain break, a CR in it).
  std::string CheckedBreak_;

  // A streamed text: where it goes, the lines already written out, the size that starts
  // the next write (never reached by a text that is not streamed).
  struct TWritten {
    std::string Path;
    TWriteMode Mode = TWriteMode::Replace;
    std::unique_ptr<TFileReplacement> File;
    std::size_t FlushBytes = 0;
    std::size_t FlushAt = static_cast<std::size_t>(-1);
    std::size_t Lines = 0;
  } Written_;
};

// Reads a file's lines one after the other, split as TTextFile splits them (CR, LF or
// CR LF; a NUL byte is part of its line; the last line may have no break), holding
// only a piece of chunkBytes and the line that crosses its end.
class TTextFileReader {
 public:
  explicit TTextFileReader(const std::string& path, std::size_t chunkBytes = kChunkBytes);
  ~TTextFileReader();
  TTextFileReader(const TTextFileReader&) = delete;
  TTextFileReader& operator=(const TTextFileReader&) = delete;

  // The next line, valid until the next call; false after the last one.
  bool Next(std::string_view& line);

  // A line copied out by NextLines: where it starts in the bytes and its length, its break
  // left out. A text holds at most 4 GiB.
  struct TLine {
    std::uint32_t Offset;
    std::uint32_t Length;
  };
  // The lines Next would give next, each copied to the end of bytes followed by an LF and
  // noted in lines, until lines holds maxLines or bytes maxBytes, or the text ends. True
  // when it stopped at a limit, false at the end of the text. Many short lines cost a small
  // part of what they cost through Next. A read error is raised after the lines before it.
  bool NextLines(TByteBuffer& bytes, std::vector<TLine>& lines, std::size_t maxLines,
                 std::size_t maxBytes);

  static constexpr std::size_t kChunkBytes = std::size_t{256} << 10;

 private:
  // Reads the next piece after the unread bytes; false at the end of the text.
  bool Refill();
  std::size_t BreakAt(std::size_t start) const;

  std::unique_ptr<TFileReader> File_;
  std::size_t ChunkBytes_;
  TByteBuffer Buffer_;
  std::size_t Start_ = 0;  // of the next line
  std::size_t Total_ = 0;  // bytes of text read so far
  bool HasCR_ = false;     // among the bytes held
  bool Ended_ = false;     // the file's end was reached
};

template <class Print>
void TTextFile::AddLines(std::size_t count, std::size_t maxLength, Print&& print) {
  std::size_t i = 0;
  while (i < count) {
    if (!PlainLF()) {
      AddLineEnd(print(AddLineStart(maxLength), i++));
      continue;
    }
    // Nothing in this loop changes what PlainLF looks at, but an empty line (FinishAdd).
    while (i < count) {
      Buffer_.Reserve(Buffer_.Size() + maxLength + 1);
      const std::size_t offset = Buffer_.Size();
      char* start = Buffer_.Data() + offset;
      const auto length = static_cast<std::size_t>(print(start, i++) - start);
      if (length == 0 && offset > 0) {
        FinishAdd(offset, length);
        break;
      }
      IndexLine(offset);
      start[length] = '\n';
      Buffer_.Resize(offset + length + 1);
      if (HasCR_) ForgetBreakSearches();
      if (Buffer_.Size() >= Written_.FlushAt) Flush();
    }
  }
}

template <class StartAt>
void TTextFile::AddLineRun(std::size_t count, std::size_t maxLength, StartAt&& startAt) {
  if (count < kBlockRunLines || !AnotherCore()) {
    auto printer = startAt(std::size_t{0});
    AddLines(count, maxLength, [&](char* out, std::size_t) { return printer(out); });
    return;
  }
  AddPrintedBlocks(count, [&](TPrintedLines& lines, std::size_t first, std::size_t last) {
    lines.Start(last - first);
    auto printer = startAt(first);
    for (std::size_t i = first; i < last; ++i) lines.Commit(printer(lines.Room(maxLength)));
  });
}

template <class Visit>
void TTextFile::ForEach(Visit&& visit) const {
  if (Dense_) {
    for (const LineSpan& line : Lines_)
      visit(std::string_view(Buffer_.Data() + line.Offset, line.Length));
    return;
  }
  const std::size_t size = Buffer_.Size();
  std::size_t start = 0;
  while (start < size) {
    const std::size_t end = BreakAt(start);
    visit(std::string_view(Buffer_.Data() + start, end - start));
    if (end >= size) return;
    start = NextStart(end);
  }
}

}  // namespace vorn
