#pragma once
// The "[3/10] name" line that a batch of several files shows on a terminal. It lives on
// one line of standard error, rewritten in place, and is wiped before anything else is
// printed and at the end.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "core/WorkProgress.h"

namespace vorn::cli {

class TProgressLine {
 public:
  // Shown only when stream is a terminal and the batch has more than one file.
  TProgressLine(std::FILE* stream, std::size_t total);
  ~TProgressLine() { Clear(); }
  TProgressLine(const TProgressLine&) = delete;
  TProgressLine& operator=(const TProgressLine&) = delete;

  // number counts from 1.
  void Show(std::size_t number, const std::string& name);
  void Clear();

 private:
  std::FILE* Stream_;
  std::size_t Total_;
  bool Enabled_;
  bool Visible_ = false;
};

// The line of one long operation (sampling an ICC profile, mapping a large picture) on a
// terminal: what it does and the seconds it has taken so far, shown at once, rewritten every
// quarter of a second by a thread of its own and wiped when the operation ends. Once the
// operation reports through Progress(), the line shows the percentage done instead and,
// after a few percent, the time left ("sampling FILE 42% (about 3 s left)"); the last report
// is drawn at once, with the seconds taken, which go on counting while the result is saved.
class TBusyLine {
 public:
  // Shown only when enabled and stream is a terminal.
  TBusyLine(std::FILE* stream, std::string text, bool enabled);
  ~TBusyLine();
  TBusyLine(const TBusyLine&) = delete;
  TBusyLine& operator=(const TBusyLine&) = delete;

  // Feeds the line; empty when the line is not shown, so the operation runs as without it.
  // The line must outlive the operation.
  TProgressCallback Progress();

 private:
  using TClock = std::chrono::steady_clock;

  void Run(const std::stop_token& stop);
  void Report(std::size_t done, std::size_t total);
  void Show();            // with Mutex_ held
  std::string Measure();  // with Mutex_ held

  std::FILE* Stream_;
  std::string Text_;
  TClock::time_point Start_ = TClock::now();
  std::atomic<std::size_t> Done_ = 0;
  std::atomic<std::size_t> Total_ = 0;  // 0 before the first report
  TTimeLeftEstimate TimeLeft_;          // with Mutex_ held
  std::mutex Mutex_;
  std::condition_variable_any Wake_;
  std::jthread Thread_;
};

}  // namespace vorn::cli
