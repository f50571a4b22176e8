#pragma once
// The "[3/10] name" line that a batch of several files shows on a terminal. It lives on
// one line of standard error, rewritten in place, and is wiped before anything else is
// printed and at the end.

#include <cstdio>
#include <string>

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

}  // namespace vorn::cli
