#include "core/Conversion.h"

#include <algorithm>

#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

int ResolveOutputSize(const std::string& sizeText, const TLutOutputProfile& profile) {
  if (sizeText == "Default") return profile.DefaultSize;
  std::int32_t size = 0;
  return TryStrToInt(sizeText, size) ? size : profile.DefaultSize;
}

int WrittenBitDepth(const TLutOutputProfile& profile, int bits) {
  const int written = bits == -1 ? profile.DefaultBits : bits;
  return written > 0 ? written : -1;
}

std::string OutputPathFor(const std::string& outputFolder, const std::string& fileName,
                          const TLutOutputProfile& profile) {
  std::string name = ChangeFileExt(ExtractFileName(fileName), "." + profile.Extension);
  if (!outputFolder.empty() && outputFolder.back() == '/') return outputFolder + name;
  return outputFolder + "/" + name;
}

TLutPaths ExpandLutPaths(const std::vector<std::string>& paths) {
  TLutPaths result;
  for (const std::string& path : paths) {
    if (!DirectoryExists(path)) {
      result.Files.push_back(path);
      continue;
    }
    for (std::string& file : FilesInFolderTree(path)) {
      (DetectFormat(file) >= 0 ? result.Files : result.Unclaimed).push_back(std::move(file));
    }
  }
  return result;
}

namespace {

void ConvertLoaded(const TLUT& sourceLut, const std::string& destination,
                   const TLutOutputProfile& profile, const TLUTFormat& outputFormat, int size,
                   int bits, const TReplaceQuestion& mayReplace) {
  const TLutKind kind = outputFormat.Is3D ? lk3D : lk1D;
  const int cappedSize = std::min(size, outputFormat.Is3D ? kMaxOutputSize3D : kMaxOutputSize1D);
  const int sourceSize = outputFormat.Is3D ? sourceLut.Size3D : sourceLut.Size1D;
  if (sourceLut.Kind == kind && sourceSize == cappedSize) {
    // Resampling would copy every value unchanged: write the source itself.
    SaveLut(destination, sourceLut, profile, bits, mayReplace);
    return;
  }
  TLUT destinationLut;
  destinationLut.Kind = kind;
  if (outputFormat.Is3D) {
    destinationLut.Size3D = cappedSize;
  } else {
    destinationLut.Size1D = cappedSize;
  }
  destinationLut.ResampleFrom(sourceLut);
  SaveLut(destination, destinationLut, profile, bits, mayReplace);
}

TOverwriteAnswer AnswerFor(const TBatchCallbacks& callbacks, const std::string& destination) {
  if (!FileExists(destination)) return TOverwriteAnswer::Yes;
  return callbacks.AskOverwrite ? callbacks.AskOverwrite(destination) : TOverwriteAnswer::Yes;
}

}  // namespace

void ConvertFile(const std::string& source, const std::string& destination, int formatIndex,
                 const TLutOutputProfile& profile, int size, int bits, int inputBits,
                 const TReplaceQuestion& mayReplace) {
  if (size < 2) {
    throw Exception("The LUT size " + std::to_string(size) +
                    " is too small: a LUT needs at least 2 nodes or entries.");
  }
  const TLUTFormat* outputFormat = GetFormat(profile.FormatIndex);
  if (!outputFormat) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");

  if (DirectoryExists(source)) {
    Exception error("is a folder, not a LUT file");
    error.NoteFile(source);
    throw error;
  }
  TLUT sourceLut;
  LoadLut(source, sourceLut, formatIndex, inputBits);
  if (sourceLut.FormatIndex == -1) {
    throw ELUTError("\"" + source + "\" is not a LUT file of any known format.");
  }
  // A 1D file whose entry lines all failed loads as an empty table; sampling it would write
  // a LUT made of whatever the record held.
  if (sourceLut.Kind == lk1D && sourceLut.Size1D < 1) {
    throw ELUTError("The file holds no 1D entries to convert.");
  }
  ConvertLoaded(sourceLut, destination, profile, *outputFormat, size, bits, mayReplace);
}

namespace {

// One checked file of a batch; false when the companion question was declined, so that
// nothing was written.
bool ConvertBatchFile(const TBatchFile& file, const std::string& destination,
                      const TBatchSettings& settings, const TBatchCallbacks& callbacks) {
  bool declined = false;
  TReplaceQuestion mayReplace;
  if (callbacks.AskReplaceCompanion) {
    mayReplace = [&](const std::string& companion) {
      declined = !callbacks.AskReplaceCompanion(companion);
      return !declined;
    };
  }
  try {
    ConvertFile(file.Path, destination, -1, *settings.Profile, settings.Size, settings.Bits,
                file.InputBits, mayReplace);
  } catch (Exception& error) {
    error.NoteFile(file.Path);
    throw;
  }
  return !declined;
}

}  // namespace

TBatchResult ConvertBatch(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
                          const TBatchCallbacks& callbacks) {
  if (settings.Profile == nullptr) throw Exception("No output format is chosen.");
  const TLutOutputProfile& profile = *settings.Profile;
  TBatchResult result;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const TBatchFile& file = files[i];
    if (!file.Checked) continue;
    const std::string destination =
        OutputPathFor(settings.OutputFolder, ExtractFileName(file.Path), profile);
    const TOverwriteAnswer answer = AnswerFor(callbacks, destination);
    if (answer == TOverwriteAnswer::Cancel) {
      result.Cancelled = true;
      break;
    }
    if (answer == TOverwriteAnswer::No) {
      ++result.Skipped;
      if (callbacks.Finished) callbacks.Finished(i, destination, false);
      continue;
    }
    const double percent = static_cast<double>(i + 1) * 100.0 / static_cast<double>(files.size());
    if (callbacks.Progress && !callbacks.Progress(i, percent)) {
      result.Cancelled = true;
      break;
    }
    const bool written = ConvertBatchFile(file, destination, settings, callbacks);
    ++(written ? result.Converted : result.Skipped);
    if (callbacks.Finished) callbacks.Finished(i, destination, written);
  }
  return result;
}

}  // namespace vorn
