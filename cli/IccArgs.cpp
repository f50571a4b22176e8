#include "cli/IccArgs.h"

#include "cli/Args.h"
#include "cli/WordReader.h"

namespace vorn::cli {

namespace {

std::string NonEmptyValue(TWordReader& reader, const std::string& word, std::string_view name) {
  std::string value = reader.ValueOf(word, name);
  if (value.empty()) throw EUsageError("option " + std::string(name) + " needs a text");
  return value;
}

// The two files of icc2lut and lut2icc.
void TakeInputAndOutput(const std::vector<std::string>& files, const char* command,
                        const char* input, std::string& in, std::string& out) {
  if (files.size() != 2) {
    throw EUsageError("'" + std::string(command) + "' needs two files, the " + input +
                      " and the output, got " + std::to_string(files.size()));
  }
  in = files[0];
  out = files[1];
}

// Each Parse...Option returns false when the word is not an option of its command.

bool ParseIcc2LutOption(const std::string& word, TWordReader& reader, TIcc2LutOptions& options) {
  if (ReadOutputChoiceOption(word, reader, options)) return true;
  if (IsOption(word, "--second")) {
    options.Second = NonEmptyValue(reader, word, "--second");
  } else if (word == "--invert") {
    options.Invert = true;
  } else if (word == "--overwrite") {
    options.Overwrite = true;
  } else {
    return false;
  }
  return true;
}

bool ParseLut2IccOption(const std::string& word, TWordReader& reader, TLut2IccOptions& options) {
  if (IsOption(word, "--class")) {
    options.Class = reader.ValueOf(word, "--class");
  } else if (IsOption(word, "--description")) {
    options.Description = NonEmptyValue(reader, word, "--description");
  } else if (IsOption(word, "--copyright")) {
    options.Copyright = NonEmptyValue(reader, word, "--copyright");
  } else if (word == "--capture-one-gamma") {
    options.CaptureOneGamma = true;
  } else if (word == "--overwrite") {
    options.Overwrite = true;
  } else {
    return false;
  }
  return true;
}

bool ParseMergeOption(const std::string& word, TWordReader& reader, TMergeOptions& options) {
  if (ReadOutputChoiceOption(word, reader, options)) return true;
  if (IsOption(word, "--output")) {
    options.Output = NonEmptyValue(reader, word, "--output");
  } else if (word == "--overwrite") {
    options.Overwrite = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

TIcc2LutOptions ParseIcc2Lut(const std::vector<std::string>& args) {
  TIcc2LutOptions options;
  const auto files = ReadOptionsAndFiles(args, "icc2lut", options, ParseIcc2LutOption);
  if (options.Profile.empty()) throw EUsageError("'icc2lut' needs --profile NAME|NUMBER");
  TakeInputAndOutput(files, "icc2lut", "ICC profile", options.Icc, options.Output);
  return options;
}

TLut2IccOptions ParseLut2Icc(const std::vector<std::string>& args) {
  TLut2IccOptions options;
  const auto files = ReadOptionsAndFiles(args, "lut2icc", options, ParseLut2IccOption);
  if (options.Class.empty()) throw EUsageError("'lut2icc' needs --class display|input|link");
  if (options.Class != "display" && options.Class != "input" && options.Class != "link") {
    throw EUsageError("--class must be display, input or link, got '" + options.Class + "'");
  }
  TakeInputAndOutput(files, "lut2icc", "LUT file", options.Lut, options.Output);
  return options;
}

TMergeOptions ParseMerge(const std::vector<std::string>& args) {
  TMergeOptions options;
  options.Files = ReadOptionsAndFiles(args, "merge", options, ParseMergeOption);
  if (options.Profile.empty()) throw EUsageError("'merge' needs --profile NAME|NUMBER");
  if (options.Output.empty()) throw EUsageError("'merge' needs --output FILE");
  if (options.Files.empty()) throw EUsageError("'merge' needs at least one LUT file");
  return options;
}

}  // namespace vorn::cli
