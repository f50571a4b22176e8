#include "cli/Progress.h"

#include <unistd.h>

namespace vorn::cli {

namespace {
// Carriage return, then "erase to the end of the line".
constexpr char kWipe[] = "\r\x1b[K";
}  // namespace

TProgressLine::TProgressLine(std::FILE* stream, std::size_t total)
    : Stream_(stream), Total_(total), Enabled_(total > 1 && isatty(fileno(stream)) == 1) {}

void TProgressLine::Show(std::size_t number, const std::string& name) {
  if (!Enabled_) return;
  std::string line = kWipe;
  line += '[' + std::to_string(number) + '/' + std::to_string(Total_) + "] " + name;
  std::fputs(line.c_str(), Stream_);
  std::fflush(Stream_);
  Visible_ = true;
}

void TProgressLine::Clear() {
  if (!Visible_) return;
  std::fputs(kWipe, Stream_);
  std::fflush(Stream_);
  Visible_ = false;
}

}  // namespace vorn::cli
