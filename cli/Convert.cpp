// "convert": the batch of the desktop's conversion without its dialogs. Options are checked
// against the chosen profile before any file is touched; the first failing file ends the
// batch and the files written before it stay. Files are converted --jobs at a time; what is
// printed comes in list order all the same.

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/ProfileChoice.h"
#include "cli/Progress.h"
#include "core/VornLut.h"
#include "imaging/LutComparison.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

// The folder as OutputPathFor wants it: without trailing separators ("/" becomes "", so
// that the joined path is "/name").
std::string OutputFolder(const std::string& dir) {
  if (!DirectoryExists(dir)) {
    throw EUsageError(dir + (EntryExists(dir) ? ": the output folder is not a folder"
                                              : ": the output folder does not exist"));
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

void NoteUnclaimed(const std::vector<std::string>& unclaimed, TOutputBuffer& out,
                   std::FILE* errors) {
  if (unclaimed.empty()) return;
  for (const std::string& path : unclaimed) out << "unclaimed\t" << EscapeField(path) << '\n';
  out.Flush();
  const std::string note = "vorn-lut: skipped " + std::to_string(unclaimed.size()) +
                           (unclaimed.size() == 1 ? " file" : " files") +
                           " in the folders that no format claims\n";
  std::fwrite(note.data(), 1, note.size(), errors);
}

// The tags of "--cdl all": a correction's id, or its number where it has none or shares it.
std::vector<std::string> MemberTags(const std::vector<TLutMember>& members) {
  std::vector<std::string> tags;
  for (const TLutMember& member : members) {
    const auto sameId = std::count_if(members.begin(), members.end(),
                                      [&](const TLutMember& m) { return m.Id == member.Id; });
    tags.push_back(MemberFileTag(sameId == 1 ? member : TLutMember{member.Index, {}}));
  }
  return tags;
}

// With "--cdl all" a file of several ASC CDL corrections gives one batch file per
// correction; a file that cannot be listed goes in whole, for its load to fail in turn.
void AddBatchFiles(const std::string& path, const TConvertOptions& options,
                   std::vector<TBatchFile>& files) {
  TBatchFile file{path, options.InputBits, true};
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
  const std::vector<std::string> tags = MemberTags(members);
  for (std::size_t i = 0; i < members.size(); ++i) {
    files.push_back({path, options.InputBits, true, {{}, members[i].Index}, tags[i]});
  }
  if (members.empty()) files.push_back(std::move(file));
}

}  // namespace

void ConvertFiles(const TConvertOptions& options, TOutputBuffer& out, std::FILE* progressStream) {
  const TLutOutputProfile& profile = FindOutputProfile(options.Profile);
  const TLUTFormat& outputFormat = *GetFormat(profile.FormatIndex);
  TBatchSettings settings{&profile,
                          ResolveSizeOption(options.Size, profile),
                          ResolveBitsOption(options.Bits, profile),
                          OutputFolder(options.OutputDir),
                          true,
                          options.Strict};
  settings.Jobs = options.Jobs;
  const TLutPaths paths = ExpandLutPaths(options.Files, options.Jobs);
  std::vector<TBatchFile> files;
  files.reserve(paths.Files.size());
  for (const std::string& path : paths.Files) AddBatchFiles(path, options, files);

  TProgressLine progress(progressStream, files.size());
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
    progress.Show(position + 1, EscapeField(ExtractFileName(files[position].Path)));
    return true;
  };
  callbacks.Warning = [&](std::size_t, const TLoadWarning& warning) {
    progress.Clear();
    PrintWarning(progressStream, warning.File, warning.Message);
  };
  // What the profile cannot hold is said as a load warning is, but --strict lets it pass.
  callbacks.Note = [&](std::size_t, const TConversionNote& note) {
    progress.Clear();
    PrintWarning(progressStream, note.File, note.Message);
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
    out << (converted ? "converted\t" : "skipped\t") << EscapeField(files[position].Path) << '\t'
        << EscapeField(destination);
    if (converted) {
      for (const std::string& companion : outputFormat.CompanionPaths(destination)) {
        out << '\t' << EscapeField(companion);
      }
    }
    if (converted && options.Report) out << '\t' << LossFields(losses[position]);
    out << '\n';
    out.Flush();
  };
  callbacks.Failed = [&](std::size_t position) { failed = files[position].Path; };
  try {
    ConvertBatch(files, settings, callbacks);
  } catch (const ECommandError&) {
    throw;
  } catch (const EOutputCollision& error) {
    throw EUsageError(error.what());
  } catch (const std::exception& error) {
    throw ECommandError(LineText(ReportError(error, failed)));
  }
  NoteUnclaimed(paths.Unclaimed, out, progressStream);
}

}  // namespace vorn::cli
