#include "cli/IccArgs.h"

#include "cli/Args.h"
#include "cli/Choice.h"
#include "cli/WordReader.h"

namespace vorn::cli {

namespace {

std::string NonEmptyValue(TWordReader& reader, const std::string& word, std::string_view name) {
  std::string value = reader.ValueOf(word, name);
  if (value.empty()) throw EUsageError("option " + std::string(name) + " needs a text");
  return value;
}

// The device class of lut2icc, by name, any letter case or abbreviation.
std::string ParseClass(const std::string& text) {
  const TChoiceList classes{
      "--class", "device class", false, "", {{"display"}, {"input"}, {"link"}}};
  return classes.Entries[MatchChoice(classes, text)].Name;
}

// Each Parse...Option returns false when the word is not an option of its command.

bool ParseIcc2LutOption(const std::string& word, TWordReader& reader, TIcc2LutOptions& options) {
  if (ReadOutputChoiceOption(word, reader, options)) return true;
  if (IsOption(word, "--second")) {
    options.Second = NonEmptyValue(reader, word, "--second");
  } else if (IsOption(word, "--output")) {
    options.Output = NonEmptyValue(reader, word, "--output");
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
    options.Class = ParseClass(reader.ValueOf(word, "--class"));
  } else if (IsOption(word, "--input-bits")) {
    options.InputBits = ParseInputBits(reader.ValueOf(word, "--input-bits"));
  } else if (IsOption(word, "--output")) {
    options.Output = NonEmptyValue(reader, word, "--output");
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
  } else if (IsOption(word, "--input-bits")) {
    options.InputBits = ParseInputBits(reader.ValueOf(word, "--input-bits"));
  } else if (word == "--overwrite") {
    options.Overwrite = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

TIcc2LutOptions ParseIcc2Lut(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TIcc2LutOptions options;
  auto files = ReadOptionsAndFiles(args, "icc2lut", options, globals, ParseIcc2LutOption);
  if (options.Profile.empty()) throw EUsageError("'icc2lut' needs --profile NAME|NUMBER");
  options.Output = TakeOutput(files, options.Output, "icc2lut", 1,
                              "two files, the ICC profile and the output", "an ICC profile");
  options.Icc = files[0];
  return options;
}

TLut2IccOptions ParseLut2Icc(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TLut2IccOptions options;
  auto files = ReadOptionsAndFiles(args, "lut2icc", options, globals, ParseLut2IccOption);
  if (options.Class.empty()) throw EUsageError("'lut2icc' needs --class display|input|link");
  options.Output = TakeOutput(files, options.Output, "lut2icc", 1,
                              "two files, the LUT file and the output", "a LUT file");
  if (options.Output == kStandardOutput) {
    throw EUsageError(
        "an ICC profile is binary and is not written to the standard output: "
        "name a file with -o FILE");
  }
  options.Lut = files[0];
  return options;
}

TMergeOptions ParseMerge(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TMergeOptions options;
  options.Files = ReadOptionsAndFiles(args, "merge", options, globals, ParseMergeOption);
  if (options.Profile.empty()) throw EUsageError("'merge' needs --profile NAME|NUMBER");
  if (options.Output.empty()) throw EUsageError("'merge' needs --output FILE");
  if (options.Files.empty()) throw EUsageError("'merge' needs at least one LUT file");
  return options;
}

}  // namespace vorn::cli
