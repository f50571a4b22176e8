#pragma once
// The subcommands of vorn-lut. Each writes its results to the output buffer; failures
// raise ECommandError (exit status 1) or EUsageError (exit status 2).

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Args.h"
#include "cli/Output.h"
#include "core/VornLut.h"

namespace vorn::cli {

// A failure while a command runs. The message names the file it concerns.
class ECommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The command printed the failures of its files as they happened (and a summary): exit
// status 1 without a further message.
class EFailuresReported : public std::runtime_error {
 public:
  EFailuresReported() : std::runtime_error("failures were reported") {}
};

void ListFormats(const TListingOptions& options, TOutputBuffer& out);
void ListProfiles(const TListingOptions& options, TOutputBuffer& out);
// Load warnings go to warnings (standard error), one line each.
void ShowInfo(const TInfoOptions& options, TOutputBuffer& out, std::FILE* warnings);
// progressStream receives the progress line when it is a terminal, and notes on files
// that folders held but no format claims.
void ConvertFiles(const TConvertOptions& options, TOutputBuffer& out, std::FILE* progressStream);
// Prints the comparison; raises ECommandError after it when the largest difference is
// above the tolerance.
void CompareFiles(const TComparisonOptions& options, TOutputBuffer& out,
                  const TWarningHandler& onWarning);
// progressStream shows the long operations' line on a terminal (TBusyLine).
void IccToLutCommand(const TIcc2LutOptions& options, TOutputBuffer& out, std::FILE* progressStream);
void LutToIccCommand(const TLut2IccOptions& options, TOutputBuffer& out,
                     const TWarningHandler& onWarning);
void MergeCommand(const TMergeOptions& options, TOutputBuffer& out,
                  const TWarningHandler& onWarning);

// The identity Hald image, as the window's "Generate the Hald image" writes it.
void WriteHaldImage(const THaldOptions& options, TOutputBuffer& out);
// A picture mapped through a LUT, as the preview shows it.
void ApplyLut(const TApplyOptions& options, TOutputBuffer& out, const TWarningHandler& onWarning,
              std::FILE* progressStream);

// Raises ECommandError when output is no name for a file (empty, a folder, a name ending in
// "/"), or when it exists and overwrite is false.
void RefuseExisting(const std::string& output, bool overwrite);
// The error of RefuseExisting for an output that exists; the commands raise it too when the
// name is taken while they write (they create their output exclusively without --overwrite).
[[noreturn]] void RaiseExisting(const std::string& output);
// How an output replaced only with --overwrite is written.
inline TWriteMode OutputWriteMode(bool overwrite) {
  return overwrite ? TWriteMode::Replace : TWriteMode::CreateNew;
}

// "vorn-lut: warning: FILE: message" on its own line.
void PrintWarning(std::FILE* stream, const std::string& file, const std::string& message);
// Load warnings printed on stream (unless quiet), or with strict raised as the error that
// ends the command before it writes anything.
TWarningHandler WarningPrinter(std::FILE* stream, bool strict, bool quiet = false);

// Parses and runs a command line (without the program name); returns the exit status.
int RunCommandLine(const std::vector<std::string>& args, std::FILE* output, std::FILE* errors);

// The --help text of a command; TCommand::Help gives the program's overview.
std::string HelpText(TCommand topic);

}  // namespace vorn::cli
