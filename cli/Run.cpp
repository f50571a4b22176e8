// Dispatch of a parsed command line and the mapping of failures to exit statuses:
// 0 success, 1 a failure while running, 2 a command line that cannot be run.

#include <chrono>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Messages.h"
#include "core/TextTools.h"
#include "core/VornLut.h"
#include "formats/Registration.h"

namespace vorn::cli {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The LUT files a command other than convert reads, for --verbose.
std::vector<std::string> LutInputs(const TArguments& arguments) {
  switch (arguments.Command) {
    case TCommand::Compare:
      return {arguments.Compare.First, arguments.Compare.Second};
    case TCommand::Merge:
      return arguments.Merge.Files;
    case TCommand::Lut2Icc:
      return {arguments.Lut2Icc.Lut};
    case TCommand::Apply:
      return {arguments.Apply.Lut};
    default:
      return {};
  }
}

void PrintVerbose(std::FILE* errors, const std::string& text) {
  const std::string line = "vorn-lut: " + EscapeControls(text, TEscape::Message) + "\n";
  std::fwrite(line.data(), 1, line.size(), errors);
  std::fflush(errors);
}

// --verbose: each LUT file's detected format before the command (convert says it per file
// itself), the time the command took after it.
void PrintDetectedFormats(const TArguments& arguments, std::FILE* errors) {
  for (const std::string& path : LutInputs(arguments)) {
    std::string format = "unknown format";
    try {
      if (const int index = DetectFormat(path); index >= 0) format = GetFormat(index)->Name;
    } catch (const std::exception&) {
    }
    PrintVerbose(errors, path + ": " + format);
  }
}

void RunCommand(const TArguments& arguments, TOutputBuffer& out, std::FILE* errors);

void RunTimed(const TArguments& arguments, TOutputBuffer& out, std::FILE* errors) {
  if (!arguments.Verbose || arguments.Command == TCommand::Convert) {
    RunCommand(arguments, out, errors);
    return;
  }
  PrintDetectedFormats(arguments, errors);
  const auto start = std::chrono::steady_clock::now();
  RunCommand(arguments, out, errors);
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  PrintVerbose(errors, "done in " + std::to_string(elapsed.count()) + " ms");
}

void RunCommand(const TArguments& arguments, TOutputBuffer& out, std::FILE* errors) {
  const TWarningHandler warnings = WarningPrinter(errors, arguments.Strict, arguments.Quiet);
  switch (arguments.Command) {
    case TCommand::Help:
      out << HelpText(arguments.HelpTopic);
      break;
    case TCommand::Version:
      out << "vorn-lut " << VORN_VERSION << '\n';
      break;
    case TCommand::Formats:
      ListFormats(arguments.Listing, out);
      break;
    case TCommand::Profiles:
      ListProfiles(arguments.Listing, out);
      break;
    case TCommand::Info:
      ShowInfo(arguments.Info, out, errors);
      break;
    case TCommand::Convert:
      ConvertFiles(arguments.Convert, out, errors);
      break;
    case TCommand::Compare:
      CompareFiles(arguments.Compare, out, warnings);
      break;
    case TCommand::Icc2Lut:
      IccToLutCommand(arguments.Icc2Lut, out, errors);
      break;
    case TCommand::Lut2Icc:
      LutToIccCommand(arguments.Lut2Icc, out, warnings);
      break;
    case TCommand::Merge:
      MergeCommand(arguments.Merge, out, warnings);
      break;
    case TCommand::Hald:
      WriteHaldImage(arguments.Hald, out);
      break;
    case TCommand::Apply:
      ApplyLut(arguments.Apply, out, warnings, errors);
      break;
  }
  out.Flush();
}

}  // namespace

void PrintWarning(std::FILE* stream, const std::string& file, const std::string& message) {
  const std::string line = "vorn-lut: warning: " + EscapeField(file) + ": " +
                           EscapeControls(message, TEscape::Message) + "\n";
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
}

TWarningHandler WarningPrinter(std::FILE* stream, bool strict, bool quiet) {
  return [stream, strict, quiet](const TLoadWarning& warning) {
    if (strict) RaiseWarning(warning);
    if (!quiet) PrintWarning(stream, warning.File, warning.Message);
  };
}

namespace {

bool LooksLikeGlobalOption(const std::string& word) {
  TGlobalOptions ignored;
  try {
    return ParseGlobalOption(ExpandShortOption(word), ignored);
  } catch (const EUsageError&) {
    return false;
  }
}

void PrintError(std::FILE* errors, const std::string& message) {
  // Messages quote names and lines of files: no control byte of theirs reaches the terminal.
  std::string line = "vorn-lut: " + EscapeControls(message, TEscape::Message) + "\n";
  std::fwrite(line.data(), 1, line.size(), errors);
}

std::string UsageHint(const std::vector<std::string>& args) {
  std::string command = "vorn-lut";
  for (const std::string& word : args) {
    if (IsCommandName(word)) command += " " + word;
    if (IsCommandName(word) || !LooksLikeGlobalOption(word)) break;
  }
  return "Try '" + command + " --help' for more information.";
}

// What was printed before a failure stays printed; a failure of that last write has
// nowhere else to go and is dropped in favour of the first error.
void FlushQuietly(TOutputBuffer& out) {
  try {
    out.Flush();
  } catch (const std::exception&) {
  }
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, std::FILE* output, std::FILE* errors) {
  RegisterBuiltInFormats();
  TOutputBuffer out(output);
  try {
    RunTimed(ParseArguments(args), out, errors);
    return 0;
  } catch (const EFailuresReported&) {
    FlushQuietly(out);
    return kExitFailure;
  } catch (const EUsageError& error) {
    FlushQuietly(out);
    PrintError(errors, std::string(error.what()) + "\n" + UsageHint(args));
    return kExitUsage;
  } catch (const std::exception& error) {
    FlushQuietly(out);
    PrintError(errors, FileErrorLine(error));
    return kExitFailure;
  }
}

}  // namespace vorn::cli
