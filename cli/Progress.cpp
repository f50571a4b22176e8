#include "cli/Progress.h"

#include <unistd.h>

#include <cmath>

namespace vorn::cli {

namespace {
// Carriage return, then "erase to the end of the line".
constexpr char kWipe[] = "\r\x1b[K";
// Times left from this many seconds on are told in minutes.
constexpr double kMinutesFrom = 120.0;

// Both lines are drawn alike: over what was there, at once.
void Draw(std::FILE* stream, const std::string& text) {
  const std::string line = kWipe + text;
  std::fputs(line.c_str(), stream);
  std::fflush(stream);
}

std::string TimeLeftWords(double seconds) {
  if (seconds >= kMinutesFrom) {
    return "about " + std::to_string(std::lround(seconds / 60.0)) + " min left";
  }
  return "about " + std::to_string(static_cast<long long>(std::ceil(seconds))) + " s left";
}
}  // namespace

TProgressLine::TProgressLine(std::FILE* stream, std::size_t total)
    : Stream_(stream), Total_(total), Enabled_(total > 1 && isatty(fileno(stream)) == 1) {}

void TProgressLine::Show(std::size_t number, const std::string& name) {
  if (!Enabled_) return;
  Draw(Stream_, '[' + std::to_string(number) + '/' + std::to_string(Total_) + "] " + name);
  Visible_ = true;
}

void TProgressLine::Clear() {
  if (!Visible_) return;
  Draw(Stream_, "");
  Visible_ = false;
}

TBusyLine::TBusyLine(std::FILE* stream, std::string text, bool enabled)
    : Stream_(stream), Text_(std::move(text)) {
  if (enabled && isatty(fileno(stream)) == 1) {
    {
      const std::lock_guard lock(Mutex_);
      Show();
    }
    Thread_ = std::jthread([this](const std::stop_token& stop) { Run(stop); });
  }
}

TBusyLine::~TBusyLine() {
  if (!Thread_.joinable()) return;
  Thread_.request_stop();
  Wake_.notify_all();
  Thread_.join();
  Draw(Stream_, "");
}

TProgressCallback TBusyLine::Progress() {
  if (!Thread_.joinable()) return {};
  return [this](std::size_t done, std::size_t total) { Report(done, total); };
}

void TBusyLine::Report(std::size_t done, std::size_t total) {
  Done_ = done;
  Total_ = total;
  if (done < total) return;
  const std::lock_guard lock(Mutex_);
  Show();
}

std::string TBusyLine::Measure() {
  const double elapsed = std::chrono::duration<double>(TClock::now() - Start_).count();
  const std::string seconds = std::to_string(static_cast<long long>(elapsed)) + " s";
  const std::size_t total = Total_;
  if (total == 0) return " (" + seconds + ")";
  const std::size_t done = std::min<std::size_t>(Done_, total);
  const std::string percent = std::to_string(done * 100 / total) + '%';
  if (done == total) return ' ' + percent + " (" + seconds + ")";
  const std::optional<double> left =
      TimeLeft_.Update(static_cast<double>(done) / static_cast<double>(total), elapsed);
  return ' ' + percent + (left ? " (" + TimeLeftWords(*left) + ")" : "");
}

void TBusyLine::Show() {
  Draw(Stream_, Text_ + Measure());
}

void TBusyLine::Run(const std::stop_token& stop) {
  std::unique_lock lock(Mutex_);
  while (!Wake_.wait_for(lock, stop, std::chrono::milliseconds(250), [] { return false; }) &&
         !stop.stop_requested()) {
    Show();
  }
}

}  // namespace vorn::cli
