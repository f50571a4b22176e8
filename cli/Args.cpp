#include "cli/Args.h"

#include <string_view>

namespace vorn::cli {

namespace {

struct TCommandName {
  std::string_view Name;
  TCommand Command;
};

constexpr TCommandName kCommandNames[] = {
    {"formats", TCommand::Formats},
    {"profiles", TCommand::Profiles},
    {"info", TCommand::Info},
    {"convert", TCommand::Convert},
};

std::optional<TCommand> FindCommand(std::string_view name) {
  for (const TCommandName& entry : kCommandNames) {
    if (entry.Name == name) return entry.Command;
  }
  return std::nullopt;
}

bool IsHelpWord(std::string_view word) {
  return word == "--help" || word == "-h";
}

bool LooksLikeOption(std::string_view word) {
  return word.size() > 1 && word[0] == '-';
}

// Walks the words after the command name. Options may stand before, between or after
// the files; "--" makes every later word a file.
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

// "--size" matches "--size" and "--size=...".
bool IsOption(const std::string& word, std::string_view name) {
  return word.starts_with(name) && (word.size() == name.size() || word[name.size()] == '=');
}

[[noreturn]] void UnknownOption(const std::string& word, std::string_view command) {
  throw EUsageError("unknown option '" + word + "' for '" + std::string(command) + "'");
}

bool HelpRequested(const std::vector<std::string>& args, std::size_t first) {
  for (std::size_t i = first; i < args.size() && args[i] != "--"; ++i) {
    if (IsHelpWord(args[i])) return true;
  }
  return false;
}

void ParseNoArguments(const std::vector<std::string>& args, std::string_view command) {
  if (args.size() > 1) {
    throw EUsageError("'" + std::string(command) + "' takes no arguments, got '" + args[1] + "'");
  }
}

TInfoOptions ParseInfo(const std::vector<std::string>& args) {
  TInfoOptions options;
  TWordReader reader(args, 1);
  while (std::optional<std::string> word = reader.Take()) {
    if (!reader.FilesOnly() && LooksLikeOption(*word)) {
      if (*word == "--values") {
        options.Values = true;
      } else if (*word == "--strict") {
        options.Strict = true;
      } else {
        UnknownOption(*word, "info");
      }
      continue;
    }
    options.Files.push_back(*word);
  }
  if (options.Files.empty()) throw EUsageError("'info' needs at least one file");
  return options;
}

void SetExistingPolicy(TConvertOptions& options, TExistingPolicy policy) {
  if (options.Existing != TExistingPolicy::Refuse && options.Existing != policy) {
    throw EUsageError("--overwrite and --skip-existing cannot be used together");
  }
  options.Existing = policy;
}

// Returns false when the word is not a convert option.
bool ParseConvertOption(const std::string& word, TWordReader& reader, TConvertOptions& options) {
  if (IsOption(word, "--profile")) {
    options.Profile = reader.ValueOf(word, "--profile");
  } else if (IsOption(word, "--size")) {
    options.Size = reader.ValueOf(word, "--size");
  } else if (IsOption(word, "--bits")) {
    options.Bits = reader.ValueOf(word, "--bits");
  } else if (IsOption(word, "--output-dir")) {
    options.OutputDir = reader.ValueOf(word, "--output-dir");
  } else if (word == "--overwrite") {
    SetExistingPolicy(options, TExistingPolicy::Overwrite);
  } else if (word == "--skip-existing") {
    SetExistingPolicy(options, TExistingPolicy::Skip);
  } else if (word == "--strict") {
    options.Strict = true;
  } else {
    return false;
  }
  return true;
}

TConvertOptions ParseConvert(const std::vector<std::string>& args) {
  TConvertOptions options;
  TWordReader reader(args, 1);
  while (std::optional<std::string> word = reader.Take()) {
    if (!reader.FilesOnly() && LooksLikeOption(*word)) {
      if (!ParseConvertOption(*word, reader, options)) UnknownOption(*word, "convert");
      continue;
    }
    options.Files.push_back(*word);
  }
  if (options.Profile.empty()) throw EUsageError("'convert' needs --profile NAME|NUMBER");
  if (options.OutputDir.empty()) throw EUsageError("'convert' needs --output-dir DIR");
  if (options.Files.empty()) throw EUsageError("'convert' needs at least one file");
  return options;
}

TArguments ParseHelpCommand(const std::vector<std::string>& args) {
  TArguments result;
  result.Command = TCommand::Help;
  if (args.size() > 2) throw EUsageError("'help' takes at most one command name");
  if (args.size() == 2) {
    std::optional<TCommand> topic = FindCommand(args[1]);
    if (!topic) throw EUsageError("unknown command '" + args[1] + "'");
    result.HelpTopic = *topic;
  }
  return result;
}

TArguments ParseCommand(const std::vector<std::string>& args) {
  if (args.empty()) throw EUsageError("no command given");
  const std::string& first = args[0];
  TArguments result;
  if (IsHelpWord(first)) return result;
  if (first == "--version") {
    result.Command = TCommand::Version;
    return result;
  }
  if (first == "help") return ParseHelpCommand(args);
  std::optional<TCommand> command = FindCommand(first);
  if (!command) {
    if (LooksLikeOption(first)) throw EUsageError("unknown option '" + first + "'");
    throw EUsageError("unknown command '" + first + "'");
  }
  if (HelpRequested(args, 1)) {
    result.HelpTopic = *command;
    return result;
  }
  result.Command = *command;
  switch (*command) {
    case TCommand::Formats:
      ParseNoArguments(args, "formats");
      break;
    case TCommand::Profiles:
      ParseNoArguments(args, "profiles");
      break;
    case TCommand::Info:
      result.Info = ParseInfo(args);
      break;
    case TCommand::Convert:
      result.Convert = ParseConvert(args);
      break;
    case TCommand::Help:
    case TCommand::Version:
      break;
  }
  return result;
}

}  // namespace

bool IsCommandName(std::string_view word) {
  return FindCommand(word).has_value();
}

TArguments ParseArguments(const std::vector<std::string>& given) {
  // "--strict" before the command applies to the command.
  const bool strict = !given.empty() && given[0] == "--strict";
  const std::vector<std::string> args(given.begin() + (strict ? 1 : 0), given.end());
  TArguments result = ParseCommand(args);
  if (strict) {
    result.Info.Strict = true;
    result.Convert.Strict = true;
  }
  return result;
}

}  // namespace vorn::cli
