// "convert": the batch of the desktop's conversion without its dialogs. Options are checked
// against the chosen profile before any file is touched; the first failing file ends the
// batch and the files written before it stay.

#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/ProfileChoice.h"
#include "cli/Progress.h"
#include "core/Conversion.h"
#include "core/ErrorReport.h"
#include "core/LUTFormat.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

// The folder as OutputPathFor wants it: without trailing separators ("/" becomes "", so
// that the joined path is "/name").
std::string OutputFolder(const std::string& dir) {
  if (!DirectoryExists(dir)) throw ECommandError(dir + ": the output folder does not exist");
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

}  // namespace

void ConvertFiles(const TConvertOptions& options, TOutputBuffer& out, std::FILE* progressStream) {
  const TLutOutputProfile& profile = FindOutputProfile(options.Profile);
  const TBatchSettings settings{&profile, ResolveSizeOption(options.Size, profile),
                                ResolveBitsOption(options.Bits, profile),
                                OutputFolder(options.OutputDir)};
  std::vector<TBatchFile> files;
  files.reserve(options.Files.size());
  for (const std::string& path : options.Files) files.push_back({path, options.InputBits, true});

  TProgressLine progress(progressStream, files.size());
  std::string current;  // the file being converted, for errors that do not name one
  TBatchCallbacks callbacks;
  callbacks.AskOverwrite = [&](const std::string& destination) {
    return AnswerExisting(options.Existing, destination);
  };
  callbacks.Progress = [&](std::size_t position, double) {
    current = files[position].Path;
    progress.Show(position + 1, ExtractFileName(files[position].Path));
    return true;
  };
  callbacks.Finished = [&](std::size_t position, const std::string& destination, bool converted) {
    progress.Clear();
    out << (converted ? "converted\t" : "skipped\t") << files[position].Path << '\t' << destination
        << '\n';
    out.Flush();
  };
  try {
    ConvertBatch(files, settings, callbacks);
  } catch (const ECommandError&) {
    throw;
  } catch (const std::exception& error) {
    throw ECommandError(LineText(ReportError(error, current)));
  }
}

}  // namespace vorn::cli
