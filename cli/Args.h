#pragma once
// Command-line parsing of vorn-lut. Parsing only looks at the words; checks that need the
// format registry (profile names, selectable size and bits) happen in the commands.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/IccOptions.h"
#include "cli/PictureOptions.h"

namespace vorn::cli {

// A command line that cannot be run as written; the program exits with status 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TCommand {
  Help,
  Version,
  Formats,
  Profiles,
  Info,
  Convert,
  Icc2Lut,
  Lut2Icc,
  Merge,
  Hald,
  Apply
};

enum class TExistingPolicy { Refuse, Overwrite, Skip };

struct TInfoOptions {
  bool Values = false;
  // The bits per color of the files' integer codes where a file does not state them
  // (--input-bits); -1 lets the format decide.
  int InputBits = -1;
  std::vector<std::string> Files;
};

struct TConvertOptions {
  std::string Profile;  // a profile name or its number, as typed
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  int InputBits = -1;  // as TInfoOptions::InputBits
  std::string OutputDir;
  TExistingPolicy Existing = TExistingPolicy::Refuse;
  std::vector<std::string> Files;
};

struct TArguments {
  TCommand Command = TCommand::Help;
  // For Help: the command whose help is wanted (Help itself for the program's overview).
  TCommand HelpTopic = TCommand::Help;
  TInfoOptions Info;
  TConvertOptions Convert;
  TIcc2LutOptions Icc2Lut;
  TLut2IccOptions Lut2Icc;
  TMergeOptions Merge;
  THaldOptions Hald;
  TApplyOptions Apply;
};

// True for the names of the commands ("formats", "convert", "merge", ...).
bool IsCommandName(std::string_view word);

// The value of --input-bits: one of the depths the window offers for a file (8, 10, 12, 14
// or 16). Raises EUsageError for anything else.
int ParseInputBits(const std::string& text);

// args excludes the program name. Raises EUsageError.
TArguments ParseArguments(const std::vector<std::string>& args);

}  // namespace vorn::cli
