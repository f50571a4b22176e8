#include "core/TextFile.h"

#include "platform/Files.h"

namespace vorn {

void TTextFile::Load(const std::string& path) {
  Lines_.clear();
  Buffer_ = ReadWholeFile(path);
  Split();
}

void TTextFile::SetText(std::string_view text) {
  Lines_.clear();
  Buffer_.assign(text.data(), text.size());
  Split();
}

// Cuts Buffer_ into lines at CR, LF or CR LF; the text ends at the first NUL byte.
void TTextFile::Split() {
  std::size_t end = Buffer_.find('\0');
  if (end != std::string::npos) Buffer_.resize(end);
  const char* data = Buffer_.data();
  const std::size_t size = Buffer_.size();
  Lines_.reserve(size / 24 + 1);
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < size) {
    char c = data[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    Lines_.push_back({start, i - start});
    i += (c == '\r' && i + 1 < size && data[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < size) Lines_.push_back({start, size - start});
}

void TTextFile::Add(std::string_view line) {
  Lines_.push_back({Buffer_.size(), line.size()});
  Buffer_.append(line.data(), line.size());
}

void TTextFile::Clear() {
  Buffer_.clear();
  Lines_.clear();
}

void TTextFile::Reserve(std::size_t lines, std::size_t bytes) {
  Lines_.reserve(lines);
  Buffer_.reserve(bytes);
}

std::string TTextFile::Text() const {
  std::string text;
  text.reserve(Buffer_.size() + Lines_.size() * LineBreak.size());
  for (const LineSpan& line : Lines_) {
    text.append(Buffer_, line.Offset, line.Length);
    text.append(LineBreak);
  }
  return text;
}

void TTextFile::Save(const std::string& path) const {
  WriteWholeFile(path, Text());
}

}  // namespace vorn
