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

TListingOptions ParseListing(const std::vector<std::string>& args, std::string_view command) {
  TListingOptions options;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] != "--json") {
      if (LooksLikeOption(args[i])) UnknownOption(args[i], command);
      throw EUsageError("'" + std::string(command) + "' takes no arguments, got '" + args[i] + "'");
    }
    options.Json = true;
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
  } else if (word == "--strict") {
    options.Strict = true;
  } else if (word == "--fail-fast") {
    options.FailFast = true;
  } else {
    return false;
  }
  return true;
}

TInfoOptions ParseInfo(const std::vector<std::string>& args) {
  TInfoOptions options;
  options.Files = ReadOptionsAndFiles(args, "info", options, ParseInfoOption);
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
  } else if (word == "--overwrite") {
    SetExistingPolicy(options, TExistingPolicy::Overwrite);
  } else if (word == "--skip-existing") {
    SetExistingPolicy(options, TExistingPolicy::Skip);
  } else if (IsOption(word, "--jobs")) {
    options.Jobs = ParseJobs(reader.ValueOf(word, "--jobs"));
  } else if (IsOption(word, "-j")) {
    options.Jobs = ParseJobs(reader.ValueOf(word, "-j"));
  } else if (IsOption(word, "--cdl")) {
    options.Cdl = reader.ValueOf(word, "--cdl");
    if (options.Cdl.empty()) throw EUsageError("--cdl needs a correction's id or number, or all");
  } else if (word == "--report") {
    options.Report = true;
  } else if (word == "--strict") {
    options.Strict = true;
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

TConvertOptions ParseConvert(const std::vector<std::string>& args) {
  TConvertOptions options;
  options.Files = ReadOptionsAndFiles(args, "convert", options, ParseConvertOption);
  if (options.Profile.empty()) throw EUsageError("'convert' needs --profile NAME|NUMBER");
  if (options.OutputDir.empty()) throw EUsageError("'convert' needs --output-dir DIR");
  if (options.Files.empty()) throw EUsageError("'convert' needs at least one file");
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

TComparisonOptions ParseCompare(const std::vector<std::string>& args) {
  TComparisonOptions options;
  const std::vector<std::string> files =
      ReadOptionsAndFiles(args, "compare", options, ParseCompareOption);
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
      result.Listing = ParseListing(args, "formats");
      break;
    case TCommand::Profiles:
      result.Listing = ParseListing(args, "profiles");
      break;
    case TCommand::Info:
      result.Info = ParseInfo(args);
      break;
    case TCommand::Convert:
      result.Convert = ParseConvert(args);
      break;
    case TCommand::Compare:
      result.Compare = ParseCompare(args);
      break;
    case TCommand::Icc2Lut:
      result.Icc2Lut = ParseIcc2Lut(args);
      break;
    case TCommand::Lut2Icc:
      result.Lut2Icc = ParseLut2Icc(args);
      break;
    case TCommand::Merge:
      result.Merge = ParseMerge(args);
      break;
    case TCommand::Hald:
      result.Hald = ParseHald(args);
      break;
    case TCommand::Apply:
      result.Apply = ParseApply(args);
      break;
    case TCommand::Help:
    case TCommand::Version:
      break;
  }
  return result;
}

}  // namespace

TArguments ParseArguments(const std::vector<std::string>& given) {
  // "--strict" before the command applies to the command.
  const bool strict = !given.empty() && given[0] == "--strict";
  const std::vector<std::string> args(given.begin() + (strict ? 1 : 0), given.end());
  TArguments result = ParseCommand(args);
  if (strict) {
    result.Strict = true;
    result.Info.Strict = true;
    result.Convert.Strict = true;
  }
  return result;
}

}  // namespace vorn::cli
