#include "core/Conversion.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/Convert.h"
#include "platform/Files.h"
#include "platform/WorkerPool.h"

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

namespace {

// A file of a folder that cannot even be told apart (a damaged picture) is one that no
// format claims, not the end of the whole folder.
bool IsClaimed(const std::string& file) {
  try {
    return DetectFormat(file) >= 0;
  } catch (const Exception&) {
    return false;
  }
}

// The folder of a file of the tree below folder, relative to it ("" at its top). The tree's
// paths all begin with folder as given.
std::string SubfolderOf(const std::string& file, const std::string& folder) {
  std::string relative = file.substr(std::min(folder.size(), file.size()));
  relative.erase(0, relative.find_first_not_of('/'));
  const std::size_t slash = relative.find_last_of('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

}  // namespace

TLutPaths ExpandLutPaths(const std::vector<std::string>& paths, int jobs) {
  // Every file first, in order: those of folders are the ones detection decides on.
  std::vector<std::string> files;
  std::vector<std::string> subfolders;
  std::vector<bool> inFolder;
  for (const std::string& path : paths) {
    if (!DirectoryExists(path)) {
      files.push_back(path);
      subfolders.emplace_back();
      inFolder.push_back(false);
      continue;
    }
    for (std::string& file : FilesInFolderTree(path)) {
      subfolders.push_back(SubfolderOf(file, path));
      files.push_back(std::move(file));
      inFolder.push_back(true);
    }
  }
  std::vector<char> claimed(files.size(), 1);
  RunForEachIndex(files.size(), jobs, [&](std::size_t i) {
    if (inFolder[i]) claimed[i] = IsClaimed(files[i]);
  });
  TLutPaths result;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!claimed[i]) {
      result.Unclaimed.push_back(std::move(files[i]));
      continue;
    }
    result.Files.push_back(std::move(files[i]));
    result.Subfolders.push_back(std::move(subfolders[i]));
  }
  return result;
}

std::string BatchSummaryLine(std::size_t converted, std::size_t failed, std::size_t skipped,
                             std::size_t unclaimed) {
  return "Converted " + std::to_string(converted) + (converted == 1 ? " file, " : " files, ") +
         std::to_string(failed) + " failed, " + std::to_string(skipped) + " skipped, " +
         std::to_string(unclaimed) + " unclaimed.";
}

std::string BatchDestination(const TBatchFile& file, const TBatchSettings& settings) {
  const std::string folder =
      file.Subfolder.empty() ? settings.OutputFolder : settings.OutputFolder + "/" + file.Subfolder;
  return OutputPathFor(folder, ExtractFileName(file.Path), *settings.Profile);
}

namespace {

// The record the output format writes: the source itself when resampling would copy every
// value unchanged, else a new one of the format's kind at the size (capped).
std::unique_ptr<TLUT> ResampledFor(std::unique_ptr<TLUT> sourceLut, const TLUTFormat& outputFormat,
                                   int size) {
  const TLutKind kind = outputFormat.Is3D ? lk3D : lk1D;
  const int cappedSize = std::min(size, outputFormat.Is3D ? kMaxOutputSize3D : kMaxOutputSize1D);
  const int sourceSize = outputFormat.Is3D ? sourceLut->Size3D : sourceLut->Size1D;
  if (sourceLut->Kind == kind && sourceSize == cappedSize) return sourceLut;
  auto destinationLut = std::make_unique<TLUT>();
  destinationLut->Kind = kind;
  if (outputFormat.Is3D) {
    destinationLut->Size3D = cappedSize;
  } else {
    destinationLut->Size1D = cappedSize;
  }
  destinationLut->ResampleFrom(*sourceLut);
  return destinationLut;
}

const TLUTFormat& OutputFormatOf(const TLutOutputProfile& profile) {
  const TLUTFormat* outputFormat = GetFormat(profile.FormatIndex);
  if (!outputFormat) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");
  return *outputFormat;
}

}  // namespace

TPreparedConversion PrepareConversion(const std::string& source, const std::string& destination,
                                      int formatIndex, const TLutOutputProfile& profile, int size,
                                      int inputBits, bool strict) {
  if (size < 2) {
    throw Exception("The LUT size " + std::to_string(size) +
                    " is too small: a LUT needs at least 2 nodes or entries.");
  }
  const TLUTFormat& outputFormat = OutputFormatOf(profile);
  if (DirectoryExists(source)) {
    Exception error("is a folder, not a LUT file");
    error.NoteFile(source);
    throw error;
  }
  if (SameFile(source, destination) && !SameEntry(source, destination)) {
    Exception error("The destination \"" + destination +
                    "\" is this source file under another name (a hard or symbolic link); "
                    "converting would overwrite the source.");
    error.NoteFile(source);
    throw error;
  }
  for (const std::string& companion : outputFormat.CompanionPaths(destination)) {
    if (SameFile(source, companion)) {
      Exception error("The file \"" + companion + "\" that the output \"" + profile.Name +
                      "\" writes beside \"" + destination +
                      "\" is this source file; converting would overwrite the source.");
      error.NoteFile(source);
      throw error;
    }
  }
  auto sourceLut = std::make_unique<TLUT>();
  TPreparedConversion prepared;
  prepared.Report = LoadLut(source, *sourceLut, formatIndex, inputBits);
  if (sourceLut->FormatIndex == -1) {
    throw ELUTError(NotALutMessage(source));
  }
  // A 1D file whose entry lines all failed loads as an empty table; sampling it would write
  // a LUT made of whatever the record held.
  if (sourceLut->Kind == lk1D && sourceLut->Size1D < 1) {
    throw ELUTError("The file holds no 1D entries to convert.");
  }
  // A look that refers to its LUT instead of holding one loads without data; converting it
  // would write an identity LUT as if it were the look.
  if (sourceLut->Kind == lkNone) throw ELUTError("The file holds no LUT data to convert.");
  if (strict && !prepared.Report.Warnings.empty()) RaiseWarning(prepared.Report.Warnings.front());
  prepared.Lut = ResampledFor(std::move(sourceLut), outputFormat, size);
  return prepared;
}

void WritePreparedConversion(const TPreparedConversion& prepared, const std::string& destination,
                             const TLutOutputProfile& profile, int bits,
                             const TReplaceQuestion& mayReplace, TWriteMode mode) {
  SaveLut(destination, *prepared.Lut, profile, bits, mayReplace, mode);
}

TLoadReport ConvertFile(const std::string& source, const std::string& destination, int formatIndex,
                        const TLutOutputProfile& profile, int size, int bits, int inputBits,
                        const TReplaceQuestion& mayReplace, bool strict, TWriteMode mode) {
  TPreparedConversion prepared =
      PrepareConversion(source, destination, formatIndex, profile, size, inputBits, strict);
  WritePreparedConversion(prepared, destination, profile, bits, mayReplace, mode);
  return std::move(prepared.Report);
}

namespace {

std::string CollisionText(const std::vector<TOutputCollision>& collisions) {
  std::string text =
      "Files of this batch would overwrite each other's output; nothing was converted:";
  for (const TOutputCollision& collision : collisions) {
    text += "\n  ";
    for (std::size_t i = 0; i < collision.Sources.size(); ++i) {
      text += (i > 0 ? ", " : "") + collision.Sources[i];
    }
    text += " -> ";
    for (std::size_t i = 0; i < collision.Destinations.size(); ++i) {
      text += (i > 0 ? " = " : "") + collision.Destinations[i];
    }
    if (!collision.OverwrittenSource.empty()) {
      text += ", which is the source " + collision.OverwrittenSource;
    }
  }
  return text;
}

// The destinations of the checked files, each with the files that would write it, in list
// order.
std::vector<TOutputCollision> DestinationGroups(const std::vector<TBatchFile>& files,
                                                const TBatchSettings& settings) {
  std::vector<TOutputCollision> groups;
  std::unordered_map<std::string, std::size_t> groupOf;
  for (const TBatchFile& file : files) {
    if (!file.Checked) continue;
    const std::string destination = BatchDestination(file, settings);
    auto [at, added] = groupOf.emplace(destination, groups.size());
    if (added) groups.push_back({{destination}, {}, {}});
    groups[at->second].Sources.push_back(file.Path);
  }
  return groups;
}

}  // namespace

EOutputCollision::EOutputCollision(std::vector<TOutputCollision> collisions)
    : Exception(CollisionText(collisions)), Collisions_(std::move(collisions)) {}

std::vector<TOutputCollision> FindOutputCollisions(const std::vector<TBatchFile>& files,
                                                   const TBatchSettings& settings) {
  std::vector<TOutputCollision> groups = DestinationGroups(files, settings);
  std::map<TFileId, std::string> sources;  // the checked sources as files
  for (const TBatchFile& file : files) {
    TFileId id;
    if (file.Checked && FileIdentity(file.Path, id)) sources.emplace(id, file.Path);
  }
  // Destinations that exist: names that are one file join the first group of that file.
  std::map<TFileId, std::size_t> groupOfFile;
  std::vector<TOutputCollision> collisions;
  std::vector<bool> merged(groups.size(), false);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    TFileId id;
    if (!FileIdentity(groups[i].Destinations.front(), id)) continue;
    auto [at, added] = groupOfFile.emplace(id, i);
    TOutputCollision& group = groups[at->second];
    if (!added) {
      group.Destinations.push_back(groups[i].Destinations.front());
      group.Sources.insert(group.Sources.end(), groups[i].Sources.begin(), groups[i].Sources.end());
      merged[i] = true;
    }
    auto source = sources.find(id);
    if (source != sources.end() && !SameEntry(source->second, group.Destinations.front())) {
      group.OverwrittenSource = source->second;
    }
  }
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!merged[i] && (groups[i].Sources.size() > 1 || !groups[i].OverwrittenSource.empty())) {
      collisions.push_back(std::move(groups[i]));
    }
  }
  return collisions;
}

}  // namespace vorn
