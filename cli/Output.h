#pragma once
// Buffered text output for the listings: text is collected in one string and handed to
// the stream in large chunks, so a grid of a quarter of a million lines costs a handful of
// writes instead of one per value.

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace vorn::cli {

// A path or a file's text as one field of a line: EscapeControls (core/TextTools.h) in its
// Field mode: backslash, tab, line feed and carriage return become \\, \t, \n and \r,
// every other control byte (ESC, NUL, DEL...) \xHH; everything else stays as it is.
std::string EscapeField(std::string_view text);
// A message for standard error: the same, but line feeds and tabs are kept.
std::string EscapeMessage(std::string_view text);

class TOutputBuffer;

// The file that a command writes for "-o -": written into a private temporary folder, then
// handed to the standard output when it is text.
class TStandardOutputFile {
 public:
  // extension: of the written format, without the dot.
  explicit TStandardOutputFile(const std::string& extension);
  const std::string& Path() const { return Path_; }
  // Raises std::runtime_error when the file holds bytes that are not text: what names the
  // output profile.
  void CopyTo(TOutputBuffer& out, const std::string& what) const;

 private:
  TTemporaryFolder Folder_;
  std::string Path_;
};

class TOutputBuffer {
 public:
  explicit TOutputBuffer(std::FILE* stream) : Stream_(stream) {}
  ~TOutputBuffer();
  TOutputBuffer(const TOutputBuffer&) = delete;
  TOutputBuffer& operator=(const TOutputBuffer&) = delete;

  TOutputBuffer& operator<<(std::string_view text);
  TOutputBuffer& operator<<(char c);
  TOutputBuffer& operator<<(long long value);
  TOutputBuffer& operator<<(int value) { return *this << static_cast<long long>(value); }
  // The shortest text that keeps 17 significant digits ("general" notation).
  void AppendReal(double value);

  // Hands everything collected so far to the stream and flushes it. Raises
  // vorn::EFileError when the stream reports a write error.
  void Flush();

 private:
  static constexpr std::size_t kChunkSize = 1 << 20;
  void FlushIfLarge() {
    if (Text_.size() >= kChunkSize) Flush();
  }

  std::FILE* Stream_;
  std::string Text_;
};

}  // namespace vorn::cli
