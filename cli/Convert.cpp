// "convert": the batch of the desktop's conversion without its dialogs. Options are checked
// against the chosen profile before any file is touched; the first failing file ends the
// batch and the files written before it stay.

#include <charconv>
#include <climits>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/Progress.h"
#include "core/Conversion.h"
#include "core/ErrorReport.h"
#include "core/LUTFormat.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

constexpr std::string_view kListProfilesHint = " (run 'vorn-lut profiles' to list them)";

bool IsDecimal(std::string_view text) {
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Decimal text to int; values past the int range saturate (the conversion caps sizes
// far below that anyway).
int ParseSaturated(std::string_view text) {
  const bool negative = text[0] == '-';
  if (text[0] == '+' || negative) text.remove_prefix(1);
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range || value > INT_MAX) return negative ? INT_MIN : INT_MAX;
  return static_cast<int>(negative ? -value : value);
}

const TLutOutputProfile& FindProfile(const std::string& text) {
  const auto& profiles = OutputProfiles();
  for (const auto& profile : profiles) {
    if (profile->Name == text) return *profile;
  }
  if (IsDecimal(text) && text[0] != '-' && text[0] != '+') {
    int number = ParseSaturated(text);
    if (number < static_cast<int>(profiles.size())) return *profiles[number];
    throw EUsageError("there is no output profile number " + text + std::string(kListProfilesHint));
  }
  throw EUsageError("unknown output profile '" + text + "'" + std::string(kListProfilesHint));
}

int ResolveSize(const TConvertOptions& options, const TLutOutputProfile& profile) {
  if (!options.Size) return ResolveOutputSize("Default", profile);
  if (!profile.SizeSelectable) {
    throw EUsageError("the output profile '" + profile.Name + "' has a fixed size of " +
                      std::to_string(profile.DefaultSize) + "; --size cannot be used with it");
  }
  if (!IsDecimal(*options.Size)) {
    throw EUsageError("--size needs a whole number, got '" + *options.Size + "'");
  }
  int size = ParseSaturated(*options.Size);
  if (size < 2) throw EUsageError("--size must be at least 2, got " + *options.Size);
  return size;
}

int ResolveBits(const TConvertOptions& options, const TLutOutputProfile& profile) {
  if (!options.Bits) return -1;
  if (!profile.BitsSelectable) {
    throw EUsageError("the output profile '" + profile.Name +
                      "' has a fixed bit depth; --bits cannot be used with it");
  }
  for (int allowed : {8, 10, 12, 14, 16}) {
    if (*options.Bits == std::to_string(allowed)) return allowed;
  }
  throw EUsageError("--bits must be 8, 10, 12, 14 or 16, got '" + *options.Bits + "'");
}

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

}  // namespace

void ConvertFiles(const TConvertOptions& options, TOutputBuffer& out, std::FILE* progressStream) {
  const TLutOutputProfile& profile = FindProfile(options.Profile);
  const TBatchSettings settings{&profile,
                                ResolveSize(options, profile),
                                ResolveBits(options, profile),
                                OutputFolder(options.OutputDir),
                                true,
                                options.Strict};
  std::vector<TBatchFile> files;
  files.reserve(options.Files.size());
  for (const std::string& path : options.Files) files.push_back({path, -1, true});

  TProgressLine progress(progressStream, files.size());
  std::string current;  // the file being converted, for errors that do not name one
  TBatchCallbacks callbacks;
  callbacks.AskOverwrite = [&](const std::string& destination) {
    return AnswerExisting(options.Existing, destination);
  };
  callbacks.Progress = [&](std::size_t position, double) {
    current = files[position].Path;
    progress.Show(position + 1, EscapeField(ExtractFileName(files[position].Path)));
    return true;
  };
  callbacks.Warning = [&](std::size_t, const TLoadWarning& warning) {
    progress.Clear();
    PrintWarning(progressStream, warning.File, warning.Message);
  };
  callbacks.Finished = [&](std::size_t position, const std::string& destination, bool converted) {
    progress.Clear();
    out << (converted ? "converted\t" : "skipped\t") << EscapeField(files[position].Path) << '\t'
        << EscapeField(destination) << '\n';
    out.Flush();
  };
  try {
    ConvertBatch(files, settings, callbacks);
  } catch (const ECommandError&) {
    throw;
  } catch (const EOutputCollision& error) {
    throw EUsageError(error.what());
  } catch (const std::exception& error) {
    throw ECommandError(LineText(ReportError(error, current)));
  }
}

}  // namespace vorn::cli
