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

// Reads the words after the command name: an option (short ones expanded) goes to
// parseOption, which returns false for a word it does not know, then to the global options
// (the unknown-option error after both); every other word is returned as a file, in order.
template <class TParse>
std::vector<std::string> ReadWords(const std::vector<std::string>& args, std::string_view command,
                                   TGlobalOptions& globals, TParse&& parseOption) {
  std::vector<std::string> files;
  TWordReader reader(args, 1);
  while (std::optional<std::string> word = reader.Take()) {
    if (!reader.FilesOnly() && LooksLikeOption(*word)) {
      const std::string option = ExpandShortOption(*word);
      if (!parseOption(option, reader) && !ParseGlobalOption(option, globals)) {
        UnknownOption(*word, command);
      }
      continue;
    }
    files.push_back(*word);
  }
  return files;
}

template <class TOptions>
std::vector<std::string> ReadOptionsAndFiles(
    const std::vector<std::string>& args, std::string_view command, TOptions& options,
    TGlobalOptions& globals,
    bool (*parseOption)(const std::string& word, TWordReader& reader, TOptions& options)) {
  return ReadWords(args, command, globals, [&](const std::string& word, TWordReader& reader) {
    return parseOption(word, reader, options);
  });
}

// The output file of a command that writes one: "-o FILE" (given is not empty) or else the
// last of the words (the older form); files keeps the inputs. Raises EUsageError when the
// words are not inputCount inputs (and the output without -o); needs says what is wanted
// without -o, inputs with it.
inline std::string TakeOutput(std::vector<std::string>& files, const std::string& given,
                              std::string_view command, std::size_t inputCount,
                              const std::string& needs, const std::string& inputs) {
  const std::size_t expected = inputCount + (given.empty() ? 1 : 0);
  if (files.size() != expected) {
    const std::string wanted = given.empty() ? needs : inputs + " besides -o FILE";
    throw EUsageError("'" + std::string(command) + "' needs " + wanted + ", got " +
                      std::to_string(files.size()) + (files.size() == 1 ? " file" : " files"));
  }
  if (!given.empty()) return given;
  std::string output = files.back();
  files.pop_back();
  return output;
}

// "--profile", "--size" and "--bits": the output choice of convert, icc2lut and merge.
// Returns false when the word is none of them.
template <class TOptions>
bool ReadOutputChoiceOption(const std::string& word, TWordReader& reader, TOptions& options) {
  if (IsOption(word, "--profile")) {
    options.Profile = reader.ValueOf(word, "--profile");
  } else if (IsOption(word, "--size")) {
    options.Size = reader.ValueOf(word, "--size");
  } else if (IsOption(word, "--bits")) {
    options.Bits = reader.ValueOf(word, "--bits");
  } else {
    return false;
  }
  return true;
}

}  // namespace vorn::cli
