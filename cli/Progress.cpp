#include "cli/Progress.h"

#include <unistd.h>

#include <chrono>

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

TBusyLine::TBusyLine(std::FILE* stream, std::string text, bool enabled)
    : Stream_(stream), Text_(std::move(text)) {
  if (enabled && isatty(fileno(stream)) == 1) {
    Show(0);
    Thread_ = std::jthread([this](const std::stop_token& stop) { Run(stop); });
  }
}

void TBusyLine::Show(long long seconds) {
  const std::string line = kWipe + Text_ + " (" + std::to_string(seconds) + " s)";
  std::fputs(line.c_str(), Stream_);
  std::fflush(Stream_);
}

TBusyLine::~TBusyLine() {
  if (!Thread_.joinable()) return;
  Thread_.request_stop();
  Wake_.notify_all();
  Thread_.join();
  std::fputs(kWipe, Stream_);
  std::fflush(Stream_);
}

void TBusyLine::Run(const std::stop_token& stop) {
  const auto start = std::chrono::steady_clock::now();
  std::unique_lock lock(Mutex_);
  while (!Wake_.wait_for(lock, stop, std::chrono::milliseconds(250), [] { return false; }) &&
         !stop.stop_requested()) {
    Show(std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
             .count());
  }
}

}  // namespace vorn::cli
