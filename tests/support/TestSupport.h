#pragma once
// Helpers for tests: a temporary folder removed at the end of the test, file writing
// and reading, and the location of the shared corpus of real LUT files.

#include <string>
#include <string_view>

namespace vorn::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return Path_; }
  // Path of a file inside the folder.
  std::string File(std::string_view name) const;
  // Writes content to a file inside the folder and returns its path.
  std::string Write(std::string_view name, std::string_view content) const;

 private:
  std::string Path_;
};

std::string ReadFile(const std::string& path);

// The corpus folder, or "" when it is not there.
std::string CorpusDir();

}  // namespace vorn::test
