#include "core/TextFile.h"

#include <cstring>
#include <limits>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Memory.h"

namespace vorn {

namespace {

constexpr std::size_t kMaxTextBytes = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void RaiseTooLarge() {
  throw Exception("The text is too large: it exceeds 4 GiB.");
}

}  // namespace

void TTextFile::Load(const std::string& path) {
  Clear();
  Buffer_ = ReadWholeFile(path);
  Split();
}

void TTextFile::SetText(std::string_view text) {
  Clear();
  Buffer_.assign(text.data(), text.size());
  Split();
}

namespace {

constexpr std::size_t kStride = 32;

// The first c at or after start; from and at remember the last search, which answers
// every start between them.
std::size_t FindFrom(const std::string& buffer, char c, std::size_t start, std::size_t& from,
                     std::size_t& at) {
  if (from <= start && start <= at) return at;
  const void* found = std::memchr(buffer.data() + start, c, buffer.size() - start);
  from = start;
  at = found ? static_cast<std::size_t>(static_cast<const char*>(found) - buffer.data())
             : buffer.size();
  return at;
}

}  // namespace

// Cuts Buffer_ into lines at CR, LF or CR LF; the text ends at the first NUL byte.
void TTextFile::Split() {
  std::size_t end = Buffer_.find('\0');
  if (end != std::string::npos) Buffer_.resize(end);
  if (Buffer_.size() > kMaxTextBytes) {
    Clear();
    RaiseTooLarge();
  }
  Packed_ = false;
  Indexed_ = true;
  Lines_.clear();
  Starts_.clear();
  Cursor_ = {};
  HasCR_ = std::memchr(Buffer_.data(), '\r', Buffer_.size()) != nullptr;
  IndexedCount_ = 0;
  const std::size_t size = Buffer_.size();
  std::size_t start = 0;
  while (start < size) {
    if (IndexedCount_ % kStride == 0) Starts_.push_back(static_cast<std::uint32_t>(start));
    ++IndexedCount_;
    const std::size_t lineEnd = BreakAt(start);
    if (lineEnd >= size) break;
    start = NextStart(lineEnd);
  }
}

std::size_t TTextFile::BreakAt(std::size_t start) const {
  if (!HasCR_) {
    const void* lf = std::memchr(Buffer_.data() + start, '\n', Buffer_.size() - start);
    return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - Buffer_.data())
              : Buffer_.size();
  }
  const std::size_t lf = FindFrom(Buffer_, '\n', start, Cursor_.LFFrom, Cursor_.LF);
  const std::size_t cr = FindFrom(Buffer_, '\r', start, Cursor_.CRFrom, Cursor_.CR);
  return lf < cr ? lf : cr;
}

std::size_t TTextFile::NextStart(std::size_t end) const {
  const bool pair = Buffer_[end] == '\r' && end + 1 < Buffer_.size() && Buffer_[end + 1] == '\n';
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
  return std::string_view(Buffer_.data() + cursor.Start, cursor.End - cursor.Start);
}

// A line added to a loaded text: the loaded lines get spans of their own first.
void TTextFile::MakeSpans() {
  Lines_.reserve(IndexedCount_);
  for (std::size_t i = 0; i < IndexedCount_; ++i) {
    const std::string_view line = IndexedLine(i);
    AddSpan(static_cast<std::size_t>(line.data() - Buffer_.data()), line.size());
  }
  Indexed_ = false;
  Starts_.clear();
}

void TTextFile::AddSpan(std::size_t offset, std::size_t length) {
  Lines_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
}

void TTextFile::Add(std::string_view line) {
  if (Indexed_) MakeSpans();
  if (Buffer_.size() + line.size() + LineBreak.size() > kMaxTextBytes) RaiseTooLarge();
  if (Lines_.empty() && Buffer_.empty()) {
    Packed_ = true;
    PackedBreak_ = LineBreak;
  }
  if (Packed_ && PackedBreak_ != LineBreak) Packed_ = false;
  AddSpan(Buffer_.size(), line.size());
  Buffer_.append(line.data(), line.size());
  // Every added line keeps its break in the buffer, so that Save can write it as it is.
  Buffer_.append(LineBreak);
}

void TTextFile::Clear() {
  Buffer_.clear();
  Lines_.clear();
  Indexed_ = false;
  HasCR_ = false;
  IndexedCount_ = 0;
  Starts_.clear();
  Cursor_ = {};
  Packed_ = true;
  PackedBreak_ = LineBreak;
}

void TTextFile::Reserve(std::size_t lines, std::size_t bytes) {
  ReserveSpans(lines);
  if (bytes > Buffer_.capacity()) {
    Buffer_.reserve(bytes);
    AdviseHugePages(Buffer_.data() + Buffer_.size(), Buffer_.capacity() - Buffer_.size());
  }
}

// Large texts fill their buffers at once: huge pages save most of the page faults.
void TTextFile::ReserveSpans(std::size_t lines) {
  if (lines <= Lines_.capacity()) return;
  Lines_.reserve(lines);
  AdviseHugePages(Lines_.data() + Lines_.size(),
                  (Lines_.capacity() - Lines_.size()) * sizeof(LineSpan));
}

std::string TTextFile::Text() const {
  if (Packed_ && PackedBreak_ == LineBreak) return Buffer_;
  std::string text;
  text.reserve(Buffer_.size() + Count() * LineBreak.size());
  for (std::size_t i = 0; i < Count(); ++i) {
    text.append((*this)[i]);
    text.append(LineBreak);
  }
  return text;
}

void TTextFile::Save(const std::string& path) const {
  if (Packed_ && PackedBreak_ == LineBreak) {
    WriteWholeFile(path, Buffer_);
  } else {
    WriteWholeFile(path, Text());
  }
}

}  // namespace vorn
