#include "cli/Args.h"

#include <string_view>

#include "cli/IccArgs.h"
#include "cli/PictureArgs.h"
#include "cli/WordReader.h"
#include "core/VornLut.h"
#include "imaging/LutComparison.h"
#include "platform/Convert.h"

namespace vorn::cli {

namespace {

struct TCommandName {
  std::string_view Name;
  TCommand Command;
};

constexpr TCommandName kCommandNames[] = {
    {"formats", TCommand::Formats}, {"profiles", TCommand::Profiles},
    {"info", TCommand::Info},       {"convert", TCommand::Convert},
    {"compare", TCommand::Compare}, {"icc2lut", TCommand::Icc2Lut},
    {"lut2icc", TCommand::Lut2Icc}, {"merge", TCommand::Merge},
    {"hald", TCommand::Hald},       {"apply", TCommand::Apply},
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

bool IsPlainNumber(std::string_view word) {
  return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
}

bool HelpRequested(const std::vector<std::string>& args, std::size_t first) {
  for (std::size_t i = first; i < args.size() && args[i] != "--"; ++i) {
    if (IsHelpWord(args[i])) return true;
  }
  return false;
}

TListingOptions ParseListing(const std::vector<std::string>& args, std::string_view command,
                             TGlobalOptions& globals) {
  TListingOptions options;
  const std::vector<std::string> words =
      ReadWords(args, command, globals, [&](const std::string& word, TWordReader&) {
        options.Json = options.Json || word == "--json";
        return word == "--json";
      });
  if (!words.empty()) {
    throw EUsageError("'" + std::string(command) + "' takes no arguments, got '" + words[0] + "'");
  }
  return options;
}

// info's --size: the grid a source evaluated as a whole is sampled onto.
int ParseSampleSize(const std::string& value) {
  int size = 0;
  if (!IsPlainNumber(value) || !TryStrToInt(value, size) || size < 2 ||
      size > kReadGridNodesLimit) {
    throw EUsageError("--size must be a whole number from 2 to " +
                      std::to_string(kReadGridNodesLimit) + ", got '" + value + "'");
  }
  return size;
}

// Returns false when the word is not an info option.
bool ParseInfoOption(const std::string& word, TWordReader& reader, TInfoOptions& options) {
  if (IsOption(word, "--input-bits")) {
    options.InputBits = ParseInputBits(reader.ValueOf(word, "--input-bits"));
  } else if (IsOption(word, "--size")) {
    options.SampleSize = ParseSampleSize(reader.ValueOf(word, "--size"));
  } else if (word == "--values") {
    options.Values = true;
  } else if (word == "--json") {
    options.Json = true;
  } else if (word == "--fail-fast") {
    options.FailFast = true;
  } else {
    return false;
  }
  return true;
}

TInfoOptions ParseInfo(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TInfoOptions options;
  options.Files = ReadOptionsAndFiles(args, "info", options, globals, ParseInfoOption);
  if (options.Files.empty()) throw EUsageError("'info' needs at least one file");
  return options;
}

void SetExistingPolicy(TConvertOptions& options, TExistingPolicy policy) {
  if (options.Existing != TExistingPolicy::Refuse && options.Existing != policy) {
    throw EUsageError("--overwrite and --skip-existing cannot be used together");
  }
  options.Existing = policy;
}

int ParseJobs(const std::string& value) {
  std::int32_t jobs = 0;
  if (!IsPlainNumber(value) || !TryStrToInt(value, jobs) || jobs < 1) {
    throw EUsageError("--jobs must be a whole number of at least 1, got '" + value + "'");
  }
  return jobs;
}

// Returns false when the word is not a convert option.
bool ParseConvertOption(const std::string& word, TWordReader& reader, TConvertOptions& options) {
  if (ReadOutputChoiceOption(word, reader, options)) return true;
  if (IsOption(word, "--input-bits")) {
    options.InputBits = ParseInputBits(reader.ValueOf(word, "--input-bits"));
  } else if (IsOption(word, "--output-dir")) {
    options.OutputDir = reader.ValueOf(word, "--output-dir");
  } else if (IsOption(word, "--output")) {
    options.Output = reader.ValueOf(word, "--output");
    if (options.Output.empty()) throw EUsageError("option --output needs a file name");
  } else if (word == "--overwrite") {
    SetExistingPolicy(options, TExistingPolicy::Overwrite);
  } else if (word == "--skip-existing") {
    SetExistingPolicy(options, TExistingPolicy::Skip);
  } else if (IsOption(word, "--jobs")) {
    options.Jobs = ParseJobs(reader.ValueOf(word, "--jobs"));
  } else if (IsOption(word, "--cdl")) {
    options.Cdl = reader.ValueOf(word, "--cdl");
    if (options.Cdl.empty()) throw EUsageError("--cdl needs a correction's id or number, or all");
  } else if (word == "--report") {
    options.Report = true;
  } else if (word == "--fail-fast") {
    options.FailFast = true;
  } else if (word == "--keep-tree") {
    options.KeepTree = true;
  } else if (word == "--dry-run") {
    options.DryRun = true;
  } else if (word == "--json") {
    options.Json = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

TLutMemberChoice CdlChoice(const std::string& value) {
  std::int32_t index = 0;
  if (!IsPlainNumber(value) || !TryStrToInt(value, index)) index = 0;
  return {value, index};
}

namespace {

// --output names the destination of one source file, converted once.
void CheckSingleOutput(const TConvertOptions& options) {
  if (options.Output.empty()) return;
  if (options.Files.size() != 1) {
    throw EUsageError("--output names the one file written, got " +
                      std::to_string(options.Files.size()) +
                      " sources: give --output-dir DIR to convert several");
  }
  if (options.Cdl == "all") {
    throw EUsageError("--cdl all writes a file per correction: give --output-dir DIR");
  }
  if (options.KeepTree) throw EUsageError("--keep-tree needs --output-dir DIR");
  if (options.Output != kStandardOutput) return;
  if (options.Json) throw EUsageError("--json and --output - both write to the standard output");
  if (options.Report)
    throw EUsageError("--report reads the written file back: name it with -o FILE");
}

TConvertOptions ParseConvert(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TConvertOptions options;
  options.Files = ReadOptionsAndFiles(args, "convert", options, globals, ParseConvertOption);
  if (options.Profile.empty()) throw EUsageError("'convert' needs --profile NAME|NUMBER");
  if (!options.Output.empty() && !options.OutputDir.empty()) {
    throw EUsageError(
        "--output names the one file written and --output-dir a folder for "
        "several: give one of them");
  }
  if (options.OutputDir.empty() && options.Output.empty()) {
    throw EUsageError("'convert' needs --output-dir DIR (or --output FILE for one file)");
  }
  if (options.Files.empty()) throw EUsageError("'convert' needs at least one file");
  CheckSingleOutput(options);
  return options;
}

int ParseSamples(const std::string& value) {
  std::int32_t samples = 0;
  if (!IsPlainNumber(value) || !TryStrToInt(value, samples) || samples < kMinLatticeSize ||
      samples > kMaxLatticeSize) {
    throw EUsageError("--samples must be a whole number from " + std::to_string(kMinLatticeSize) +
                      " to " + std::to_string(kMaxLatticeSize) + ", got '" + value + "'");
  }
  return samples;
}

double ParseTolerance(const std::string& value) {
  double tolerance = 0.0;
  if (!TryStrToFloat(value, tolerance) || !(tolerance >= 0.0)) {
    throw EUsageError("--tolerance must be a number of at least 0, got '" + value + "'");
  }
  return tolerance;
}

// Returns false when the word is not a compare option.
bool ParseCompareOption(const std::string& word, TWordReader& reader, TComparisonOptions& options) {
  if (IsOption(word, "--input-bits")) {
    options.InputBits = ParseInputBits(reader.ValueOf(word, "--input-bits"));
  } else if (IsOption(word, "--samples")) {
    options.Samples = ParseSamples(reader.ValueOf(word, "--samples"));
  } else if (IsOption(word, "--tolerance")) {
    options.Tolerance = ParseTolerance(reader.ValueOf(word, "--tolerance"));
  } else if (word == "--json") {
    options.Json = true;
  } else {
    return false;
  }
  return true;
}

TComparisonOptions ParseCompare(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TComparisonOptions options;
  const std::vector<std::string> files =
      ReadOptionsAndFiles(args, "compare", options, globals, ParseCompareOption);
  if (files.size() != 2) {
    throw EUsageError("'compare' needs exactly two LUT files, got " + std::to_string(files.size()));
  }
  options.First = files[0];
  options.Second = files[1];
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

}  // namespace

int ParseBitDepth(const std::string& option, const std::string& value) {
  for (int allowed : kOfferedBitDepths) {
    if (value == std::to_string(allowed)) return allowed;
  }
  throw EUsageError(option + " must be " + OfferedBitDepthsText() + ", got '" + value + "'");
}

int ParseInputBits(const std::string& value) {
  return ParseBitDepth("--input-bits", value);
}

bool IsCommandName(std::string_view word) {
  return FindCommand(word).has_value();
}

namespace {

void ParseCommandWords(const std::vector<std::string>& args, TCommand command, TArguments& result,
                       TGlobalOptions& globals) {
  switch (command) {
    case TCommand::Formats:
      result.Listing = ParseListing(args, "formats", globals);
      break;
    case TCommand::Profiles:
      result.Listing = ParseListing(args, "profiles", globals);
      break;
    case TCommand::Info:
      result.Info = ParseInfo(args, globals);
      break;
    case TCommand::Convert:
      result.Convert = ParseConvert(args, globals);
      break;
    case TCommand::Compare:
      result.Compare = ParseCompare(args, globals);
      break;
    case TCommand::Icc2Lut:
      result.Icc2Lut = ParseIcc2Lut(args, globals);
      break;
    case TCommand::Lut2Icc:
      result.Lut2Icc = ParseLut2Icc(args, globals);
      break;
    case TCommand::Merge:
      result.Merge = ParseMerge(args, globals);
      break;
    case TCommand::Hald:
      result.Hald = ParseHald(args, globals);
      break;
    case TCommand::Apply:
      result.Apply = ParseApply(args, globals);
      break;
    case TCommand::Help:
    case TCommand::Version:
      break;
  }
}

TArguments ParseCommand(const std::vector<std::string>& args, TGlobalOptions& globals) {
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
  ParseCommandWords(args, *command, result, globals);
  return result;
}

// The global options before the command name.
std::size_t ReadLeadingGlobals(const std::vector<std::string>& args, TGlobalOptions& globals) {
  std::size_t first = 0;
  while (first < args.size() && ParseGlobalOption(ExpandShortOption(args[first]), globals)) {
    ++first;
  }
  return first;
}

}  // namespace

std::string ExpandShortOption(const std::string& word) {
  struct TShort {
    char Letter;
    std::string_view Long;
    bool TakesValue;
  };
  static constexpr TShort kShortOptions[] = {
      {'p', "--profile", true},    {'s', "--size", true},       {'b', "--bits", true},
      {'o', "--output", true},     {'d', "--output-dir", true}, {'j', "--jobs", true},
      {'f', "--overwrite", false}, {'q', "--quiet", false},     {'v', "--verbose", false},
  };
  if (word.size() < 2 || word[0] != '-' || word[1] == '-') return word;
  for (const TShort& option : kShortOptions) {
    if (word[1] != option.Letter) continue;
    if (word.size() == 2) return std::string(option.Long);
    if (!option.TakesValue) return word;
    const std::size_t valueStart = word[2] == '=' ? 3 : 2;
    return std::string(option.Long) + "=" + word.substr(valueStart);
  }
  return word;
}

bool ParseGlobalOption(const std::string& word, TGlobalOptions& globals) {
  if (word == "--strict") {
    globals.Strict = true;
  } else if (word == "--quiet") {
    globals.Quiet = true;
  } else if (word == "--verbose") {
    globals.Verbose = true;
  } else {
    return false;
  }
  if (globals.Quiet && globals.Verbose) {
    throw EUsageError("--quiet and --verbose cannot be used together");
  }
  return true;
}

TArguments ParseArguments(const std::vector<std::string>& given) {
  TGlobalOptions globals;
  const std::size_t first = ReadLeadingGlobals(given, globals);
  const std::vector<std::string> args(given.begin() + static_cast<std::ptrdiff_t>(first),
                                      given.end());
  TArguments result = ParseCommand(args, globals);
  result.Strict = globals.Strict;
  result.Quiet = globals.Quiet;
  result.Verbose = globals.Verbose;
  result.Info.Strict = result.Info.Strict || globals.Strict;
  result.Info.Quiet = globals.Quiet;
  result.Convert.Strict = result.Convert.Strict || globals.Strict;
  result.Convert.Quiet = result.Icc2Lut.Quiet = result.Lut2Icc.Quiet = result.Merge.Quiet =
      result.Hald.Quiet = result.Apply.Quiet = globals.Quiet;
  result.Convert.Verbose = globals.Verbose;
  return result;
}

}  // namespace vorn::cli
