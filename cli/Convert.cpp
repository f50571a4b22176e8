// "convert": the batch of the desktop's conversion without its dialogs. Options are checked
// against the chosen profile before any file is touched; a failing file is reported at once
// and the batch goes on (with --fail-fast it ends the batch and the files written before it
// stay). Files are converted --jobs at a time; what is printed comes in list order all the
// same. --dry-run says what would be written without reading or writing a file.

#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/LutJson.h"
#include "cli/Messages.h"
#include "cli/ProfileChoice.h"
#include "cli/Progress.h"
#include "core/MemberTags.h"
#include "core/VornLut.h"
#include "imaging/LutComparison.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

// The folder as OutputPathFor wants it: without trailing separators ("/" becomes "", so
// that the joined path is "/name").
std::string OutputFolder(const std::string& dir) {
  if (EntryExists(dir) && !DirectoryExists(dir)) {
    throw EUsageError(dir + ": the output folder is not a folder");
  }
  if (!DirectoryExists(dir)) {
    throw EUsageError(dir + ": the output folder does not exist: create it first");
  }
  std::string folder = dir;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder;
}

TOverwriteAnswer AnswerExisting(TExistingPolicy policy, const std::string& destination) {
  switch (policy) {
    case TExistingPolicy::Overwrite:
      return TOverwriteAnswer::Yes;
    case TExistingPolicy::Skip:
      return TOverwriteAnswer::No;
    case TExistingPolicy::Refuse:
      break;
  }
  throw ECommandError(destination +
                      ": the file already exists (use --overwrite to replace it or "
                      "--skip-existing to keep it)");
}

// The largest difference in 10-bit codes and the largest colour difference of the file
// read back, or why it was not compared.
std::string LossFields(const TConversionLoss& loss) {
  if (!loss.ReadBack) return loss.Problem;
  char codes[32];
  char deltaE[32];
  const TLutComparison& c = loss.Comparison;
  auto [codesEnd, ec1] = std::to_chars(codes, codes + sizeof codes, c.Overall.Max * kTenBitTop,
                                       std::chars_format::fixed, 3);
  auto [deltaEEnd, ec2] =
      std::to_chars(deltaE, deltaE + sizeof deltaE, c.DeltaE.Max, std::chars_format::fixed, 4);
  return "max " + std::string(codes, codesEnd) + " 10-bit codes\tmax dE00 " +
         std::string(deltaE, deltaEEnd);
}

// What the batch did to each file, as listing lines or as one JSON document (--json), with
// failures on standard error as they happen and the summary at the end.
class TConvertListing {
 public:
  TConvertListing(const TConvertOptions& options, TOutputBuffer& out, std::FILE* errors)
      : Json_(options.Json),
        Silent_(options.Quiet || options.Output == kStandardOutput),
        Out_(out),
        Errors_(errors) {}

  // fields: the companions and loss fields that follow the destination on a line.
  void Entry(const std::string& action, const std::string& source, const std::string& destination,
             const std::vector<std::string>& fields = {}) {
    ++(action.find("skip") != std::string::npos ? Skipped_ : Converted_);
    if (Json_) {
      Files_.push_back({{"source", source}, {"destination", destination}, {"action", action}});
      if (!fields.empty()) Files_.back()["details"] = fields;
      return;
    }
    if (Silent_) return;
    Out_ << action << '\t' << EscapeField(source) << '\t' << EscapeField(destination);
    for (const std::string& field : fields) Out_ << '\t' << field;
    Out_ << '\n';
    Out_.Flush();
  }

  void Failure(const std::string& source, const std::string& destination,
               const std::string& message) {
    FailedPaths_.push_back(source);
    if (Json_) {
      Files_.push_back({{"source", source},
                        {"destination", destination},
                        {"action", "failed"},
                        {"error", message}});
    }
    Print("vorn-lut: " + EscapeMessage(message) + "\n");
  }

  // The unclaimed files, the JSON document and, when a file of several failed, the summary
  // (a batch of one file has said all there is with its error).
  void Finish(std::size_t fileCount, const std::vector<std::string>& unclaimed) {
    if (Json_) {
      PrintDocument(unclaimed);
    } else {
      NoteUnclaimed(unclaimed);
    }
    if (FailedPaths_.empty() || fileCount + unclaimed.size() < 2) return;
    std::string summary =
        BatchSummaryLine(Converted_, FailedPaths_.size(), Skipped_, unclaimed.size()) +
        "\nFailed:\n";
    for (const std::string& path : FailedPaths_) summary += "  " + EscapeField(path) + "\n";
    Print(summary);
  }

  bool AnyFailed() const { return !FailedPaths_.empty(); }

 private:
  static std::string Count(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
  }

  void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), Errors_);
    std::fflush(Errors_);
  }

  void PrintDocument(const std::vector<std::string>& unclaimed) {
    TJson document;
    document["files"] = std::move(Files_);
    document["unclaimed"] = unclaimed;
    document["summary"] = {{"converted", Converted_},
                           {"failed", FailedPaths_.size()},
                           {"skipped", Skipped_},
                           {"unclaimed", unclaimed.size()}};
    AppendJson(document, Out_);
    Out_.Flush();
  }

  void NoteUnclaimed(const std::vector<std::string>& unclaimed) {
    if (unclaimed.empty() || Silent_) return;
    for (const std::string& path : unclaimed) Out_ << "unclaimed\t" << EscapeField(path) << '\n';
    Out_.Flush();
    Print("vorn-lut: skipped " + Count(unclaimed.size(), "file") +
          " in the folders that no format claims\n");
  }

  bool Json_;
  bool Silent_;  // --quiet, or the standard output holds the written file
  TOutputBuffer& Out_;
  std::FILE* Errors_;
  TJson Files_ = TJson::array();
  std::size_t Converted_ = 0;
  std::size_t Skipped_ = 0;
  std::vector<std::string> FailedPaths_;
};

// The message of a file's error as vorn-lut prints it: the command's own errors name their
// file already.
std::string FailureText(const std::exception_ptr& error, const std::string& source) {
  try {
    std::rethrow_exception(error);
  } catch (const ECommandError& failure) {
    return failure.what();
  } catch (const std::exception& failure) {
    return FileErrorLine(failure, source);
  } catch (...) {
    return UnknownErrorLine(source);
  }
}

std::vector<std::string> Companions(const TLUTFormat& format, const std::string& destination) {
  std::vector<std::string> fields;
  for (const std::string& companion : format.CompanionPaths(destination)) {
    fields.push_back(EscapeField(companion));
  }
  return fields;
}

// --dry-run: the listing of the batch from the destinations alone; nothing is read or
// written, no folder is made.
void PlanBatch(const TConvertOptions& options, const std::vector<TBatchFile>& files,
               const TBatchSettings& settings, TConvertListing& listing) {
  std::vector<TOutputCollision> collisions = FindOutputCollisions(files, settings);
  if (!collisions.empty()) throw EUsageError(EOutputCollision(std::move(collisions)).what());
  const TLUTFormat& outputFormat = *GetFormat(settings.Profile->FormatIndex);
  for (const TBatchFile& file : files) {
    const std::string destination = BatchDestination(file, settings);
    if (!EntryExists(destination)) {
      listing.Entry("would convert", file.Path, destination, Companions(outputFormat, destination));
      continue;
    }
    try {
      const bool replace = AnswerExisting(options.Existing, destination) == TOverwriteAnswer::Yes;
      listing.Entry(replace ? "would replace" : "would skip", file.Path, destination,
                    replace ? Companions(outputFormat, destination) : std::vector<std::string>{});
    } catch (const ECommandError& refused) {
      if (options.FailFast) throw;
      listing.Failure(file.Path, destination, refused.what());
    }
  }
}

// With "--cdl all" a file of several ASC CDL corrections gives one batch file per
// correction; a file that cannot be listed goes in whole, for its load to fail in turn.
void AddBatchFiles(const std::string& path, const std::string& subfolder, int format,
                   const TConvertOptions& options, std::vector<TBatchFile>& files) {
  TBatchFile file{path, options.InputBits, true, subfolder};
  file.FormatIndex = format;
  if (options.Cdl != "all") {
    if (!options.Cdl.empty()) file.Member = CdlChoice(options.Cdl);
    files.push_back(std::move(file));
    return;
  }
  std::vector<TLutMember> members;
  try {
    members = ListLutMembers(path);
  } catch (const Exception&) {
  }
  const std::vector<std::string> tags = MemberFileTags(members);
  for (std::size_t i = 0; i < members.size(); ++i) {
    files.push_back(file);
    files.back().Member = {{}, members[i].Index};
    files.back().OutputTag = tags[i];
  }
  if (members.empty()) files.push_back(std::move(file));
}

std::vector<TBatchFile> BatchFiles(const TConvertOptions& options, const TLutPaths& paths) {
  std::vector<TBatchFile> files;
  files.reserve(paths.Files.size());
  for (std::size_t i = 0; i < paths.Files.size(); ++i) {
    AddBatchFiles(paths.Files[i], options.KeepTree ? paths.Subfolders[i] : std::string(),
                  paths.Formats[i], options, files);
  }
  return files;
}

// "-o -" writes into a temporary folder first; a profile that writes a second file beside
// its output cannot.
std::optional<TStandardOutputFile> StandardOutputFor(const std::string& output,
                                                     const TLutOutputProfile& profile,
                                                     const TLUTFormat& format) {
  if (output != kStandardOutput) return std::nullopt;
  if (format.WritesCompanion()) {
    throw EUsageError("the output profile '" + profile.Name +
                      "' writes a second file beside its output: name a file with -o FILE");
  }
  return std::make_optional<TStandardOutputFile>(profile.Extension);
}

// The folder of an output named with -o, which must exist (status 2, as --output-dir).
std::string SingleOutputFolder(const std::string& output) {
  if (DirectoryExists(output) || output.ends_with('/')) {
    throw EUsageError(output + ": is a folder, not a file: give it as --output-dir DIR");
  }
  if (const std::string problem = OutputFolderProblem(output); !problem.empty()) {
    throw EUsageError(problem);
  }
  const std::string folder = ExtractFileDir(output);
  return folder.empty() ? "." : folder;
}

// -o names the destination of one file: a folder argument must have held exactly one.
void NameSingleOutput(const TConvertOptions& options, const std::string& output,
                      std::vector<TBatchFile>& files) {
  if (files.size() != 1) {
    throw EUsageError("--output names the one file written, but '" + options.Files.front() +
                      "' holds " + std::to_string(files.size()) +
                      " LUT files: give --output-dir DIR to convert them");
  }
  files.front().Destination = output;
}

// How long each file took from its start to its report (--verbose).
class TFileClock {
 public:
  explicit TFileClock(std::size_t files) : Starts_(files) {}
  void Start(std::size_t position) {
    if (position < Starts_.size()) Starts_[position] = std::chrono::steady_clock::now();
  }
  long long Milliseconds(std::size_t position) const {
    if (position >= Starts_.size()) return 0;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 Starts_[position])
        .count();
  }

 private:
  std::vector<std::chrono::steady_clock::time_point> Starts_;
};

// "vorn-lut: FILE: FORMAT, N ms" for --verbose: the source's detected format.
void PrintTiming(std::FILE* stream, const std::string& source, long long milliseconds) {
  std::string format = "unknown format";
  try {
    const int index = DetectFormat(source);
    if (index >= 0) format = GetFormat(index)->Name;
  } catch (const std::exception&) {
  }
  const std::string line = "vorn-lut: " + EscapeField(source) + ": " + format + ", " +
                           std::to_string(milliseconds) + " ms\n";
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
}

}  // namespace

void ConvertFiles(const TConvertOptions& options, TOutputBuffer& out, std::FILE* progressStream) {
  const TLutOutputProfile& profile = FindOutputProfile(options.Profile);
  const TLUTFormat& outputFormat = *GetFormat(profile.FormatIndex);
  const std::optional<TStandardOutputFile> standardOutput =
      StandardOutputFor(options.Output, profile, outputFormat);
  const std::string output = standardOutput ? standardOutput->Path() : options.Output;
  TBatchSettings settings{
      &profile,
      ResolveSizeOption(options.Size, profile),
      ResolveBitsOption(options.Bits, profile),
      output.empty() ? OutputFolder(options.OutputDir) : SingleOutputFolder(output),
      true,
      options.Strict};
  settings.Jobs = options.Jobs;
  settings.FailFast = options.FailFast;
  const TLutPaths paths = ExpandLutPaths(options.Files, options.Jobs);
  std::vector<TBatchFile> files = BatchFiles(options, paths);
  if (!output.empty()) NameSingleOutput(options, output, files);
  TConvertListing listing(options, out, progressStream);
  if (options.DryRun) {
    PlanBatch(options, files, settings, listing);
    listing.Finish(files.size(), paths.Unclaimed);
    if (listing.AnyFailed()) throw EFailuresReported();
    return;
  }

  TProgressLine progress(progressStream, options.Quiet ? 0 : files.size());
  TFileClock clock(options.Verbose ? files.size() : 0);
  std::string failed;  // the file that ended the batch, for errors that do not name one
  // Measured on the workers, each file's in its own place.
  std::vector<TConversionLoss> losses(options.Report ? files.size() : 0);
  TBatchCallbacks callbacks;
  callbacks.AskOverwrite = [&](const std::string& destination) {
    return AnswerExisting(options.Existing, destination);
  };
  callbacks.AskOverwriteEarly = options.Existing != TExistingPolicy::Refuse;
  callbacks.AskReplaceCompanion = [&](const std::string& companion) {
    return AnswerExisting(options.Existing, companion) == TOverwriteAnswer::Yes;
  };
  callbacks.Progress = [&](std::size_t position, double) {
    clock.Start(position);
    progress.Show(position + 1, EscapeField(ExtractFileName(files[position].Path)));
    return true;
  };
  callbacks.Warning = [&](std::size_t, const TLoadWarning& warning) {
    progress.Clear();
    if (!options.Quiet) PrintWarning(progressStream, warning.File, warning.Message);
  };
  // What the profile cannot hold is said as a load warning is, but --strict lets it pass.
  callbacks.Note = [&](std::size_t, const TConversionNote& note) {
    progress.Clear();
    if (!options.Quiet) PrintWarning(progressStream, note.File, note.Message);
  };
  if (options.Report) {
    callbacks.AfterWrite = [&](std::size_t position, const std::string& destination) {
      const TBatchFile& file = files[position];
      losses[position] = MeasureConversionLoss(
          file.Path, file.InputBits, destination, WrittenBitDepth(profile, settings.Bits),
          outputFormat.CompanionPaths(destination), file.Member);
    };
  }
  callbacks.Finished = [&](std::size_t position, const std::string& destination, bool converted) {
    progress.Clear();
    std::vector<std::string> fields;
    if (converted) fields = Companions(outputFormat, destination);
    if (converted && options.Report) fields.push_back(LossFields(losses[position]));
    listing.Entry(converted ? "converted" : "skipped", files[position].Path, destination, fields);
    if (options.Verbose)
      PrintTiming(progressStream, files[position].Path, clock.Milliseconds(position));
  };
  callbacks.Failed = [&](std::size_t position, const std::exception_ptr& error) {
    failed = files[position].Path;
    if (options.FailFast) return;
    progress.Clear();
    listing.Failure(failed, BatchDestination(files[position], settings),
                    FailureText(error, failed));
  };
  try {
    ConvertBatch(files, settings, callbacks);
  } catch (const ECommandError&) {
    throw;
  } catch (const EOutputCollision& error) {
    throw EUsageError(error.what());
  } catch (const std::exception& error) {
    throw ECommandError(FileErrorLine(error, failed));
  }
  listing.Finish(files.size(), paths.Unclaimed);
  if (listing.AnyFailed()) throw EFailuresReported();
  if (standardOutput) standardOutput->CopyTo(out, profile.Name);
}

}  // namespace vorn::cli
