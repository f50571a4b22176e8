#pragma once
// Command-line parsing of vorn-lut. Parsing only looks at the words; checks that need the
// format registry (profile names, selectable size and bits) happen in the commands.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::cli {

// A command line that cannot be run as written; the program exits with status 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TCommand { Help, Version, Formats, Profiles, Info, Convert };

enum class TExistingPolicy { Refuse, Overwrite, Skip };

struct TInfoOptions {
  bool Values = false;
  // A load warning (skipped value lines) is an error.
  bool Strict = false;
  std::vector<std::string> Files;
};

struct TConvertOptions {
  std::string Profile;  // a profile name or its number, as typed
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  std::string OutputDir;
  TExistingPolicy Existing = TExistingPolicy::Refuse;
  bool Strict = false;
  std::vector<std::string> Files;
};

struct TArguments {
  TCommand Command = TCommand::Help;
  // For Help: the command whose help is wanted (Help itself for the program's overview).
  TCommand HelpTopic = TCommand::Help;
  TInfoOptions Info;
  TConvertOptions Convert;
};

// True for "formats", "profiles", "info" and "convert".
bool IsCommandName(std::string_view word);

// args excludes the program name. Raises EUsageError.
TArguments ParseArguments(const std::vector<std::string>& args);

}  // namespace vorn::cli
