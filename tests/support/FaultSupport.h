#pragma once
// Helpers for fault tests: a small file system that fills up, a child process with a
// file-size limit or without root's rights, and the entries of a folder.

#include <functional>
#include <string>
#include <vector>

namespace vorn::test {

// A tmpfs of the given size mounted on a fresh folder, where the test may mount one (root
// with the right to mount); Mounted() tells. Unmounted and removed at the end.
class TSmallDisk {
 public:
  explicit TSmallDisk(std::size_t bytes);
  ~TSmallDisk();
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;

  bool Mounted() const { return Mounted_; }
  const std::string& Path() const { return Path_; }
  // Fills the disk with a file of zeros until no byte more fits.
  void Fill() const;

 private:
  std::string Path_;
  bool Mounted_ = false;
};

struct TChildLimits {
  // RLIMIT_FSIZE in bytes; 0 = none.
  std::size_t FileSizeLimit = 0;
  // SIGXFSZ ends the child (as in a program that did not ask otherwise) or is ignored.
  bool FileSizeSignalKills = true;
  // A child of root gives up root's rights (runs as nobody) before it starts.
  bool Unprivileged = false;
};

// Runs body in a forked child; returns its exit status (body's result), or 128 + the
// signal that ended it.
int RunInChild(const TChildLimits& limits, const std::function<int()>& body);

// The names in a folder, sorted.
std::vector<std::string> EntriesOf(const std::string& folder);

// True when the process runs as root.
bool IsRoot();

// True when the suite runs under Valgrind (scripts/valgrind-suite.sh): the programs it
// starts then need far more memory and address space than their own.
bool UnderValgrind();

// The nobody user's ids, for folders that an unprivileged child must reach.
void GiveToNobody(const std::string& path);

}  // namespace vorn::test
