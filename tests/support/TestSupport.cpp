#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vorn::test {

std::string TempDir::Write(std::string_view name, std::string_view content) const {
  std::string path = File(name);
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string CorpusDir() {
  std::string dir = VORN_CORPUS_DIR;
  return std::filesystem::is_directory(dir) ? dir : std::string();
}

}  // namespace vorn::test
