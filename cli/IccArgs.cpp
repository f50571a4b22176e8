#include "cli/IccArgs.h"

#include "cli/Args.h"
#include "cli/WordReader.h"

namespace vorn::cli {

namespace {

// Reads options with parseOption (false for a word it does not know) and collects the rest.
template <class TParse>
std::vector<std::string> ReadWords(const std::vector<std::string>& args, const char* command,
                                   TParse parseOption) {
  std::vector<std::string> files;
  TWordReader reader(args, 1);
  while (std::optional<std::string> word = reader.Take()) {
    if (!reader.FilesOnly() && LooksLikeOption(*word)) {
      if (!parseOption(*word, reader)) UnknownOption(*word, command);
      continue;
    }
    files.push_back(*word);
  }
  return files;
}

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

}  // namespace

TIcc2LutOptions ParseIcc2Lut(const std::vector<std::string>& args) {
  TIcc2LutOptions options;
  const auto files = ReadWords(args, "icc2lut", [&](const std::string& word, TWordReader& reader) {
    if (IsOption(word, "--profile")) {
      options.Profile = reader.ValueOf(word, "--profile");
    } else if (IsOption(word, "--size")) {
      options.Size = reader.ValueOf(word, "--size");
    } else if (IsOption(word, "--bits")) {
      options.Bits = reader.ValueOf(word, "--bits");
    } else if (IsOption(word, "--second")) {
      options.Second = NonEmptyValue(reader, word, "--second");
    } else if (word == "--invert") {
      options.Invert = true;
    } else if (word == "--overwrite") {
      options.Overwrite = true;
    } else {
      return false;
    }
    return true;
  });
  if (options.Profile.empty()) throw EUsageError("'icc2lut' needs --profile NAME|NUMBER");
  TakeInputAndOutput(files, "icc2lut", "ICC profile", options.Icc, options.Output);
  return options;
}

TLut2IccOptions ParseLut2Icc(const std::vector<std::string>& args) {
  TLut2IccOptions options;
  const auto files = ReadWords(args, "lut2icc", [&](const std::string& word, TWordReader& reader) {
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
  });
  if (options.Class.empty()) throw EUsageError("'lut2icc' needs --class display|input|link");
  if (options.Class != "display" && options.Class != "input" && options.Class != "link") {
    throw EUsageError("--class must be display, input or link, got '" + options.Class + "'");
  }
  TakeInputAndOutput(files, "lut2icc", "LUT file", options.Lut, options.Output);
  return options;
}

TMergeOptions ParseMerge(const std::vector<std::string>& args) {
  TMergeOptions options;
  options.Files = ReadWords(args, "merge", [&](const std::string& word, TWordReader& reader) {
    if (IsOption(word, "--profile")) {
      options.Profile = reader.ValueOf(word, "--profile");
    } else if (IsOption(word, "--size")) {
      options.Size = reader.ValueOf(word, "--size");
    } else if (IsOption(word, "--bits")) {
      options.Bits = reader.ValueOf(word, "--bits");
    } else if (IsOption(word, "--output")) {
      options.Output = NonEmptyValue(reader, word, "--output");
    } else if (word == "--overwrite") {
      options.Overwrite = true;
    } else {
      return false;
    }
    return true;
  });
  if (options.Profile.empty()) throw EUsageError("'merge' needs --profile NAME|NUMBER");
  if (options.Output.empty()) throw EUsageError("'merge' needs --output FILE");
  if (options.Files.empty()) throw EUsageError("'merge' needs at least one LUT file");
  return options;
}

}  // namespace vorn::cli
