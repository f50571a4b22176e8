// Dispatch of a parsed command line and the mapping of failures to exit statuses:
// 0 success, 1 a failure while running, 2 a command line that cannot be run.

#include <exception>

#include "cli/Commands.h"
#include "cli/Messages.h"
#include "core/TextTools.h"
#include "core/VornLut.h"
#include "formats/Registration.h"

namespace vorn::cli {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

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
      IccToLutCommand(arguments.Icc2Lut, out);
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
      ApplyLut(arguments.Apply, out, warnings);
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
    RunCommand(ParseArguments(args), out, errors);
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
