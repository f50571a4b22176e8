#pragma once
// Walking the words of a command line after the command name, shared by the parsers.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Args.h"

namespace vorn::cli {

inline bool LooksLikeOption(std::string_view word) {
  return word.size() > 1 && word[0] == '-';
}

// "--size" matches "--size" and "--size=...".
inline bool IsOption(const std::string& word, std::string_view name) {
  return word.starts_with(name) && (word.size() == name.size() || word[name.size()] == '=');
}

[[noreturn]] inline void UnknownOption(const std::string& word, std::string_view command) {
  throw EUsageError("unknown option '" + word + "' for '" + std::string(command) + "'");
}

// Options may stand before, between or after the files; "--" makes every later word a file.
class TWordReader {
 public:
  TWordReader(const std::vector<std::string>& args, std::size_t first)
      : Args_(args), Next_(first) {}

  bool AtEnd() const { return Next_ >= Args_.size(); }
  bool FilesOnly() const { return FilesOnly_; }

  // The next word, or nothing at the end; "--" is consumed here and switches to files only.
  std::optional<std::string> Take() {
    while (!AtEnd()) {
      const std::string& word = Args_[Next_++];
      if (FilesOnly_ || word != "--") return word;
      FilesOnly_ = true;
    }
    return std::nullopt;
  }

  // The value of an option given as "--name value" or "--name=value".
  std::string ValueOf(const std::string& word, std::string_view name) {
    if (word.size() > name.size() && word[name.size()] == '=') return word.substr(name.size() + 1);
    if (AtEnd()) throw EUsageError("option " + std::string(name) + " needs a value");
    return Args_[Next_++];
  }

 private:
  const std::vector<std::string>& Args_;
  std::size_t Next_;
  bool FilesOnly_ = false;
};

}  // namespace vorn::cli
