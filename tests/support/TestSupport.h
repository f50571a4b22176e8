#pragma once
// Helpers for tests: a temporary folder removed at the end of the test, file writing
// and reading, and the location of the shared corpus of real LUT files.

#include <string>
#include <string_view>

#include "platform/Files.h"

namespace vorn::test {

class TempDir : public TTemporaryFolder {
 public:
  TempDir() : TTemporaryFolder("vorn-test") {}
  // Writes content to a file inside the folder and returns its path.
  std::string Write(std::string_view name, std::string_view content) const;
};

std::string ReadFile(const std::string& path);

// The corpus folder, or "" when it is not there.
std::string CorpusDir();

}  // namespace vorn::test
