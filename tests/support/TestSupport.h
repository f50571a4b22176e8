#pragma once
// Helpers for tests: a temporary folder removed at the end of the test, file writing
// and reading, the location of the shared corpus of real LUT files, and the output
// profiles by name.

#include <sched.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/WorkProgress.h"
#include "platform/Files.h"

namespace vorn {
struct TLutOutputProfile;
}

namespace vorn::test {

class TempDir : public TTemporaryFolder {
 public:
  TempDir() : TTemporaryFolder("vorn-test") {}
  // Writes content to a file inside the folder and returns its path.
  std::string Write(std::string_view name, std::string_view content) const;
};

std::string ReadFile(const std::string& path);

// A load's error message with the counts that follow "Incomplete file." left off, for the
// tables that expect that message alone; every other message as it is.
std::string WithoutCounts(const std::string& message);

// The corpus folder, or "" when it is not there.
std::string CorpusDir();

// True when a program of that name is on the PATH.
bool HasProgram(const std::string& name);

struct TProgramResult {
  int Status = -1;  // the exit status, or 128 + the signal that ended the program
  std::string Out;  // what it wrote to standard output
};

// Runs a program found on the PATH with the given arguments (argv[0] is its name), with
// standard input and standard error on /dev/null.
TProgramResult RunProgram(const std::vector<std::string>& argv);

// Every report a progress callback hears, in order (calls never overlap, so a record needs
// no lock of its own).
class TProgressRecord {
 public:
  TProgressCallback Callback() {
    return [this](std::size_t done, std::size_t total) { Reports_.emplace_back(done, total); };
  }
  // "" when there were reports, every one of the given total, done never decreasing and
  // reaching total on the last one; else what went wrong, with the reports.
  std::string Problem(std::size_t total) const;

 private:
  std::vector<std::pair<std::size_t, std::size_t>> Reports_;
};

// The registered output profile of that name; raises when there is none.
const TLutOutputProfile& ProfileNamed(const std::string& name);

// Empty when the texts are equal, otherwise where they first differ: long texts compared
// whole would make an unreadable (and costly) failure.
std::string FirstDifference(const std::string& a, const std::string& b);

// While it lives, the calling thread runs on the first core it was allowed, alone; the
// allowed cores are given back at the end.
class TOnOneCore {
 public:
  TOnOneCore();
  ~TOnOneCore();
  TOnOneCore(const TOnOneCore&) = delete;
  TOnOneCore& operator=(const TOnOneCore&) = delete;

 private:
  cpu_set_t Before_;
};

}  // namespace vorn::test
