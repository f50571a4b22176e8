#include "cli/Output.h"

#include <charconv>

#include "cli/Commands.h"
#include "core/TextTools.h"
#include "platform/Exception.h"

namespace vorn::cli {

std::string EscapeField(std::string_view text) {
  return EscapeControls(text, TEscape::Field);
}

std::string EscapeMessage(std::string_view text) {
  return EscapeControls(text, TEscape::Message);
}

namespace {

// Control bytes other than tabs and line breaks say the file is not text.
bool IsText(std::string_view bytes) {
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return true;
}

}  // namespace

TStandardOutputFile::TStandardOutputFile(const std::string& extension)
    : Folder_("vorn-lut-stdout"), Path_(Folder_.File("standard-output." + extension)) {}

void TStandardOutputFile::CopyTo(TOutputBuffer& out, const std::string& what) const {
  const std::string bytes = ReadWholeFile(Path_);
  if (!IsText(bytes)) {
    throw ECommandError("'" + what +
                        "' writes a binary file, which is not written to the standard "
                        "output: name a file with -o FILE");
  }
  out << bytes;
}

TOutputBuffer::~TOutputBuffer() {
  // Errors surface through an explicit Flush; a destructor must not raise.
  if (!Text_.empty()) std::fwrite(Text_.data(), 1, Text_.size(), Stream_);
}

TOutputBuffer& TOutputBuffer::operator<<(std::string_view text) {
  Text_.append(text);
  FlushIfLarge();
  return *this;
}

TOutputBuffer& TOutputBuffer::operator<<(char c) {
  Text_.push_back(c);
  FlushIfLarge();
  return *this;
}

TOutputBuffer& TOutputBuffer::operator<<(long long value) {
  char digits[24];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  Text_.append(digits, end);
  FlushIfLarge();
  return *this;
}

void TOutputBuffer::AppendReal(double value) {
  // 17 significant digits in general notation need at most 24 characters
  // ("-1.2345678901234567e-308").
  char digits[32];
  auto [end, ec] =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17);
  Text_.append(digits, end);
  FlushIfLarge();
}

void TOutputBuffer::Flush() {
  std::size_t written = Text_.empty() ? 0 : std::fwrite(Text_.data(), 1, Text_.size(), Stream_);
  bool complete = written == Text_.size();
  Text_.clear();
  if (std::fflush(Stream_) != 0 || !complete) {
    throw EFileError("cannot write to the standard output");
  }
}

}  // namespace vorn::cli
