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
#include "core/LUTFormat.h"

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
  Compare,
  Icc2Lut,
  Lut2Icc,
  Merge,
  Hald,
  Apply
};

enum class TExistingPolicy { Refuse, Overwrite, Skip };

// The options every command takes, before or after its name.
struct TGlobalOptions {
  // --strict: a load warning ends any command that loads LUTs.
  bool Strict = false;
  // -q, --quiet: nothing but errors on standard error, no result lines of commands that
  // write files.
  bool Quiet = false;
  // -v, --verbose: each file's detected format and the time it took, on standard error.
  bool Verbose = false;
};

struct TListingOptions {
  bool Json = false;
};

struct TInfoOptions {
  bool Values = false;
  bool Json = false;
  // The bits per color of the files' integer codes where a file does not state them
  // (--input-bits); -1 lets the format decide.
  int InputBits = -1;
  // The grid nodes per axis a source evaluated as a whole (a process list) is sampled onto
  // (--size); 0 lets the load take kDefaultSampleSize.
  int SampleSize = 0;
  // A load warning (skipped value lines) is an error.
  bool Strict = false;
  bool Quiet = false;  // load warnings are not printed (--quiet)
  // The first file that fails ends the command (--fail-fast); without it the others are
  // shown all the same.
  bool FailFast = false;
  std::vector<std::string> Files;  // files and folders, as typed
};

struct TConvertOptions {
  std::string Profile;  // a profile name or its number, as typed
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  int InputBits = -1;  // as TInfoOptions::InputBits
  std::string OutputDir;
  // -o FILE: the destination of the one source; "-" for standard output.
  std::string Output;
  TExistingPolicy Existing = TExistingPolicy::Refuse;
  bool Report = false;
  bool Strict = false;    // as TInfoOptions::Strict
  int Jobs = 0;           // files converted at once; 0 for one per core
  bool FailFast = false;  // the first failed file ends the batch
  bool KeepTree = false;  // a folder's files keep their subfolders below OutputDir
  bool DryRun = false;    // list what would be written, write nothing
  bool Json = false;      // one JSON document instead of the listing lines
  bool Quiet = false;     // no warnings, notes, progress or result lines (--quiet)
  bool Verbose = false;   // each file's detected format and time (--verbose)
  // --cdl: the correction converted from an ASC CDL list or collection, as typed (an id or
  // a number from 1); "all" for one output per correction; empty for the first.
  std::string Cdl;
  std::vector<std::string> Files;  // files and folders, as typed
};

struct TComparisonOptions {
  int InputBits = -1;
  int Samples = 0;  // lattice nodes per axis; 0 for the nodes of both LUTs
  std::optional<double> Tolerance;
  bool Json = false;
  std::string First;
  std::string Second;
};

struct TArguments {
  TCommand Command = TCommand::Help;
  // For Help: the command whose help is wanted (Help itself for the program's overview).
  TCommand HelpTopic = TCommand::Help;
  // --strict, -q and -v, anywhere on the line (TGlobalOptions).
  bool Strict = false;
  bool Quiet = false;
  bool Verbose = false;
  TListingOptions Listing;
  TInfoOptions Info;
  TConvertOptions Convert;
  TComparisonOptions Compare;
  TIcc2LutOptions Icc2Lut;
  TLut2IccOptions Lut2Icc;
  TMergeOptions Merge;
  THaldOptions Hald;
  TApplyOptions Apply;
};

// True for the names of the commands ("formats", "convert", "merge", ...).
bool IsCommandName(std::string_view word);

// The value of a bit-depth option (--bits, --input-bits): one of kOfferedBitDepths written
// as plain digits. Raises EUsageError naming the option for anything else.
int ParseBitDepth(const std::string& option, const std::string& value);

// The value of --input-bits (ParseBitDepth).
int ParseInputBits(const std::string& value);

// The correction --cdl names: that id, or else that number when the text is one.
TLutMemberChoice CdlChoice(const std::string& value);

// The short options and the long ones they stand for ("-o" for "--output"); "-oFILE" and
// "-o=FILE" become "--output=FILE". Other words come back as they are.
std::string ExpandShortOption(const std::string& word);

// Reads --strict, -q/--quiet, -v/--verbose; returns false for any other word.
bool ParseGlobalOption(const std::string& word, TGlobalOptions& globals);

// The standard output as the name of an output file.
inline constexpr std::string_view kStandardOutput = "-";

// args excludes the program name. Raises EUsageError.
TArguments ParseArguments(const std::vector<std::string>& args);

}  // namespace vorn::cli
