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

// Cuts Buffer_ into lines at CR, LF or CR LF; the text ends at the first NUL byte.
void TTextFile::Split() {
  std::size_t end = Buffer_.find('\0');
  if (end != std::string::npos) Buffer_.resize(end);
  if (Buffer_.size() > kMaxTextBytes) {
    Clear();
    RaiseTooLarge();
  }
  Packed_ = false;
  const char* data = Buffer_.data();
  const std::size_t size = Buffer_.size();
  ReserveSpans(size / 24 + 1);
  std::size_t start = 0;
  if (std::memchr(data, '\r', size) == nullptr) {
    // LF only: the common case, searched a block at a time.
    while (start < size) {
      const void* lf = std::memchr(data + start, '\n', size - start);
      std::size_t stop = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
      AddSpan(start, stop - start);
      start = stop + 1;
    }
    return;
  }
  std::size_t i = 0;
  while (i < size) {
    char c = data[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    AddSpan(start, i - start);
    i += (c == '\r' && i + 1 < size && data[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < size) AddSpan(start, size - start);
}

void TTextFile::AddSpan(std::size_t offset, std::size_t length) {
  Lines_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
}

void TTextFile::Add(std::string_view line) {
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
  text.reserve(Buffer_.size() + Lines_.size() * LineBreak.size());
  for (const LineSpan& line : Lines_) {
    text.append(Buffer_, line.Offset, line.Length);
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
