#include "core/Conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

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

std::string OutputNameOf(const TBatchFile& file) {
  const std::string name = ExtractFileName(file.Path);
  if (file.OutputTag.empty()) return name;
  const std::string title = ChangeFileExt(name, "");
  return title + "_" + file.OutputTag + name.substr(title.size());
}

namespace {

// A file of a folder that cannot even be told apart (a damaged picture) is one that no
// format claims, not the end of the whole folder.
int ClaimingFormat(const std::string& file) {
  try {
    return DetectFormat(file);
  } catch (const Exception&) {
    return -1;
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
  std::vector<int> formats(files.size(), -1);
  RunForEachIndex(files.size(), jobs, [&](std::size_t i) {
    if (inFolder[i]) formats[i] = ClaimingFormat(files[i]);
  });
  TLutPaths result;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (inFolder[i] && formats[i] < 0) {
      result.Unclaimed.push_back(std::move(files[i]));
      continue;
    }
    result.Files.push_back(std::move(files[i]));
    result.Subfolders.push_back(std::move(subfolders[i]));
    result.Formats.push_back(formats[i]);
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
  if (!file.Destination.empty()) return file.Destination;
  const std::string folder =
      file.Subfolder.empty() ? settings.OutputFolder : settings.OutputFolder + "/" + file.Subfolder;
  return OutputPathFor(folder, OutputNameOf(file), *settings.Profile);
}

namespace {

// The source as it is for an output that writes its domains: its grid (after its shaper,
// when each stage's domain is one pair) or its table has the output's size, so nothing needs
// resampling.
bool KeptWithDomains(const TLUT& source, const TLUTFormat& outputFormat, int size) {
  if (!outputFormat.WritesDomains() || source.HasDefaultDomains()) return false;
  if (!outputFormat.Is3D) return source.Kind == lk1D && source.Size1D == size;
  const bool shaperWritable =
      source.Kind != lk1DAnd3D || (source.TableDomain.IsUniform() && source.GridDomain.IsUniform());
  return source.HasGrid() && source.Size3D == size && shaperWritable;
}

// The source as it is for an output that writes every kind: a table, or a shaper and a grid
// of the output's size, within the domains the output can write.
bool KeptAsItsKind(const TLUT& source, const TLUTFormat& outputFormat, int size) {
  if (!outputFormat.WritesEveryKind()) return false;
  if (!source.HasDefaultDomains() && !outputFormat.WritesDomains()) return false;
  return source.Kind == lk1D || (source.Kind == lk1DAnd3D && source.Size3D == size);
}

}  // namespace

bool WrittenAsItIs(const TLUT& source, const TLUTFormat& outputFormat, int size) {
  const TLutKind kind = outputFormat.Is3D ? lk3D : lk1D;
  const int sourceSize = outputFormat.Is3D ? source.Size3D : source.Size1D;
  if (source.Kind == kind && sourceSize == size && source.HasDefaultDomains()) return true;
  return KeptWithDomains(source, outputFormat, size) || KeptAsItsKind(source, outputFormat, size);
}

namespace {

// The record the output format writes: the source itself when WrittenAsItIs, else a new one
// of the format's kind at the size (capped), sampled over [0, 1].
std::unique_ptr<TLUT> ResampledFor(std::unique_ptr<TLUT> sourceLut, const TLUTFormat& outputFormat,
                                   int size) {
  const TLutKind kind = outputFormat.Is3D ? lk3D : lk1D;
  const int cappedSize = std::min(size, outputFormat.Is3D ? kMaxOutputSize3D : kMaxOutputSize1D);
  if (WrittenAsItIs(*sourceLut, outputFormat, cappedSize)) return sourceLut;
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

// The parts of a record that decide what its conversion keeps.
struct TLutShape {
  TLutKind Kind = lk1D;
  int Size1D = 0;
  int Size3D = 0;
  bool IdentityShaper = false;  // a shaper that passes every input on (Nucoda's ramp)
  TLutDomain InputDomain;
};

// Further from the identity than rounding to 16-bit codes would take it.
constexpr double kIdentityTolerance = 1e-6;

bool IsIdentityTable(const TLUT& lut) {
  const int n = std::clamp(lut.Size1D, 0, TLUT::MaxTableEntries);
  if (n < 2) return false;
  const TLutView table = lut.TableView(n);
  for (int i = 0; i < n; ++i) {
    const double x = static_cast<double>(i) / (n - 1);
    const double* entry = table.Entry(i);
    for (int c = 0; c < 3; ++c) {
      if (!(std::fabs(entry[c] - x) <= kIdentityTolerance)) return false;
    }
  }
  return true;
}

TLutShape ShapeOf(const TLUT& lut) {
  return {lut.Kind, lut.Size1D, lut.Size3D,
          lut.Kind == lk1DAnd3D && lut.TableDomain.IsDefault() && IsIdentityTable(lut),
          lut.InputDomain()};
}

std::string NodesText(int nodes) {
  return std::to_string(nodes) + "-node grid";
}

// The losses of writing a record of the source's shape as one of the output's.
std::vector<TConversionNote> ShapeNotes(const std::string& file, const TLutShape& source,
                                        const TLUT& written) {
  std::vector<TConversionNote> notes;
  auto note = [&](TLossKind kind, std::string message) {
    notes.push_back({kind, file, std::move(message)});
  };
  const bool sourceHasGrid = source.Kind == lk3D || source.Kind == lk1DAnd3D;
  if (written.Kind == lk1D) {
    if (sourceHasGrid) {
      note(TLossKind::CrossTalk,
           "a 1D profile holds no grid: the " + NodesText(source.Size3D) +
               " is sampled along its grey axis and its cross-talk between channels is lost");
    } else if (source.Size1D > written.Size1D) {
      note(TLossKind::Resampled, "the table is resampled from " + std::to_string(source.Size1D) +
                                     " to " + std::to_string(written.Size1D) + " entries");
    }
    return notes;
  }
  if (source.Kind == lk1DAnd3D && !source.IdentityShaper && !written.HasTable()) {
    note(TLossKind::Shaper, "the profile holds no shaper: the 1D shaper of " +
                                std::to_string(source.Size1D) + " entries is baked into the " +
                                NodesText(written.Size3D));
  }
  if (sourceHasGrid && source.Size3D > written.Size3D) {
    note(TLossKind::Resampled, "the grid is resampled from " + std::to_string(source.Size3D) +
                                   " to " + std::to_string(written.Size3D) + " nodes per axis");
  } else if (source.Kind == lk1D && source.Size1D > written.Size3D) {
    note(TLossKind::Resampled, "the 1D table of " + std::to_string(source.Size1D) +
                                   " entries is sampled on a " + NodesText(written.Size3D));
  }
  return notes;
}

// The lowest and highest finite value a record holds (its kind's table or grid).
struct TValueSpan {
  double Low = std::numeric_limits<double>::infinity();
  double High = -std::numeric_limits<double>::infinity();
  void Add(const double* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!std::isfinite(values[i])) continue;
      Low = std::min(Low, values[i]);
      High = std::max(High, values[i]);
    }
  }
};

TValueSpan SpanOf(const TLUT& lut) {
  TValueSpan span;
  if (lut.Kind == lk1D) {
    const int n = std::clamp(lut.Size1D, 0, TLUT::MaxTableEntries);
    if (n > 0) span.Add(lut.TableView(n).Data(), static_cast<std::size_t>(n) * 3);
  } else if (lut.Kind == lk3D) {
    const int n = std::clamp(lut.Size3D, 0, TLUT::MaxGridNodes);
    const TLutView grid = lut.GridView(n);
    for (int r = 0; r < n; ++r) {
      for (int g = 0; g < n; ++g) span.Add(grid.Node(r, g, 0), static_cast<std::size_t>(n) * 3);
    }
  }
  return span;
}

// Up to 6 significant digits: "-0.1", "2", "1.01488".
std::string ShortNumber(double value) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, end);
}

// Values beyond the range by less than this are rounding of the resampling, not values of
// the LUT.
constexpr double kClampTolerance = 1e-9;

std::vector<TConversionNote> ClampNotes(const std::string& file, const TLUT& written,
                                        const TLutOutputProfile& profile) {
  if (!profile.ClampedTo) return {};
  const TClampRange range = *profile.ClampedTo;
  const TValueSpan span = SpanOf(written);
  if (span.Low >= range.Low - kClampTolerance && span.High <= range.High + kClampTolerance) {
    return {};
  }
  return {{TLossKind::Clamped, file,
           "values from " + ShortNumber(span.Low) + " to " + ShortNumber(span.High) +
               " are clamped to [" + ShortNumber(range.Low) + ", " + ShortNumber(range.High) +
               "]"}};
}

// The source's inputs beyond [0, 1] when the written record does not keep its domain.
std::vector<TConversionNote> DomainNotes(const std::string& file, const TLutShape& source,
                                         const TLUT& written) {
  const TLutDomain& domain = source.InputDomain;
  const double low = std::min({domain.Min.R, domain.Min.G, domain.Min.B});
  const double high = std::max({domain.Max.R, domain.Max.G, domain.Max.B});
  if ((low >= 0.0 && high <= 1.0) || written.InputDomain() == domain) return {};
  return {{TLossKind::Domain, file,
           "the inputs from " + ShortNumber(low) + " to " + ShortNumber(high) +
               " that the source's domain covers are cut to [0, 1]"}};
}

const TLUTFormat& OutputFormatOf(const TLutOutputProfile& profile) {
  const TLUTFormat* outputFormat = GetFormat(profile.FormatIndex);
  if (!outputFormat) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");
  return *outputFormat;
}

}  // namespace

TPreparedConversion PrepareConversion(const std::string& source, const std::string& destination,
                                      int formatIndex, const TLutOutputProfile& profile, int size,
                                      int inputBits, bool strict, const TLutMemberChoice& member,
                                      TWriteMode mode) {
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
  if (mode == TWriteMode::Replace && SameFile(source, destination) &&
      !SameEntry(source, destination)) {
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
  // A source evaluated as a whole is sampled at the output's grid size, not resampled twice.
  prepared.Report = LoadLut(source, *sourceLut, formatIndex, inputBits, member,
                            outputFormat.Is3D ? std::min(size, kMaxOutputSize3D) : 0);
  if (sourceLut->FormatIndex == -1) {
    throw ELUTError(NotALutMessage(source));
  }
  RequireLutData(*sourceLut, source);
  if (strict && !prepared.Report.Warnings.empty()) RaiseWarning(prepared.Report.Warnings.front());
  const TLutShape shape = ShapeOf(*sourceLut);
  prepared.Lut = ResampledFor(std::move(sourceLut), outputFormat, size);
  prepared.Notes = ShapeNotes(source, shape, *prepared.Lut);
  for (TConversionNote& note : ClampNotes(source, *prepared.Lut, profile)) {
    prepared.Notes.push_back(std::move(note));
  }
  for (TConversionNote& note : DomainNotes(source, shape, *prepared.Lut)) {
    prepared.Notes.push_back(std::move(note));
  }
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

constexpr std::size_t kNoGroup = std::numeric_limits<std::size_t>::max();

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
// order; groupOfFile is set per file (unchecked files: none).
std::vector<TOutputCollision> DestinationGroups(const std::vector<TBatchFile>& files,
                                                const TBatchSettings& settings,
                                                std::vector<std::size_t>& groupOfFile) {
  std::vector<TOutputCollision> groups;
  std::unordered_map<std::string, std::size_t> groupOf;
  groupOfFile.assign(files.size(), kNoGroup);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].Checked) continue;
    const std::string destination = BatchDestination(files[i], settings);
    auto [at, added] = groupOf.emplace(destination, groups.size());
    if (added) groups.push_back({{destination}, {}, {}});
    groups[at->second].Sources.push_back(files[i].Path);
    groupOfFile[i] = at->second;
  }
  return groups;
}

}  // namespace

EOutputCollision::EOutputCollision(std::vector<TOutputCollision> collisions)
    : Exception(CollisionText(collisions)), Collisions_(std::move(collisions)) {}

std::vector<TOutputCollision> FindOutputCollisions(const std::vector<TBatchFile>& files,
                                                   const TBatchSettings& settings) {
  return SurveyDestinations(files, settings).Collisions;
}

namespace {

// Whether an entry has the name (a link to nothing too) and, for an existing file, which.
struct TDestinationLook {
  char Entry = 0;
  char File = 0;
  TFileId Id;
};

// Each group's destination, looked at side by side. A large batch's destinations share a few
// folders: such a folder is listed once, and only the names found there are looked at (on
// some file systems a name that is not there costs as much to look up as one that is). A
// folder that few destinations share is not listed: it may hold far more entries.
std::vector<TDestinationLook> LookAtDestinations(const std::vector<TOutputCollision>& groups,
                                                 int jobs) {
  constexpr std::size_t kListedFrom = 64;  // destinations in one folder
  std::unordered_map<std::string, std::size_t> shared;
  for (const TOutputCollision& group : groups) ++shared[ExtractFileDir(group.Destinations.front())];
  std::vector<std::string> listed;
  for (const auto& [folder, count] : shared) {
    if (count >= kListedFrom) listed.push_back(folder);
  }
  std::vector<std::optional<std::unordered_set<std::string>>> names(listed.size());
  RunForEachIndex(listed.size(), jobs, [&](std::size_t i) { names[i] = EntryNamesIn(listed[i]); });
  std::unordered_map<std::string, const std::unordered_set<std::string>*> namesOf;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    if (names[i]) namesOf.emplace(listed[i], &*names[i]);
  }
  std::vector<TDestinationLook> looks(groups.size());
  RunForEachIndex(groups.size(), jobs, [&](std::size_t i) {
    const std::string& destination = groups[i].Destinations.front();
    const auto folder = namesOf.find(ExtractFileDir(destination));
    if (folder != namesOf.end() && !folder->second->contains(ExtractFileName(destination))) return;
    looks[i].Entry = EntryExists(destination) ? 1 : 0;
    looks[i].File = looks[i].Entry && FileIdentity(destination, looks[i].Id) ? 1 : 0;
  });
  return looks;
}

// Groups whose destinations are one existing file join the first of them, and a group whose
// destination is a checked source (under another name) notes it; the merged groups are
// marked. The sources are looked at only when some destination exists.
std::vector<bool> JoinExistingFiles(std::vector<TOutputCollision>& groups,
                                    const std::vector<TDestinationLook>& looks,
                                    const std::vector<TBatchFile>& files) {
  std::vector<bool> merged(groups.size(), false);
  if (std::none_of(looks.begin(), looks.end(), [](const auto& look) { return look.File; })) {
    return merged;
  }
  std::map<TFileId, std::string> sources;  // the checked sources as files
  for (const TBatchFile& file : files) {
    TFileId id;
    if (file.Checked && FileIdentity(file.Path, id)) sources.emplace(id, file.Path);
  }
  std::map<TFileId, std::size_t> groupOfId;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!looks[i].File) continue;
    auto [at, added] = groupOfId.emplace(looks[i].Id, i);
    TOutputCollision& group = groups[at->second];
    if (!added) {
      group.Destinations.push_back(groups[i].Destinations.front());
      group.Sources.insert(group.Sources.end(), groups[i].Sources.begin(), groups[i].Sources.end());
      merged[i] = true;
    }
    auto source = sources.find(looks[i].Id);
    if (source != sources.end() && !SameEntry(source->second, group.Destinations.front())) {
      group.OverwrittenSource = source->second;
    }
  }
  return merged;
}

}  // namespace

TDestinationSurvey SurveyDestinations(const std::vector<TBatchFile>& files,
                                      const TBatchSettings& settings) {
  std::vector<std::size_t> groupOfFile;
  std::vector<TOutputCollision> groups = DestinationGroups(files, settings, groupOfFile);
  const std::vector<TDestinationLook> looks = LookAtDestinations(groups, settings.Jobs);
  TDestinationSurvey survey;
  survey.Existing.assign(files.size(), 0);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (groupOfFile[i] != kNoGroup) survey.Existing[i] = looks[groupOfFile[i]].Entry;
  }
  const std::vector<bool> merged = JoinExistingFiles(groups, looks, files);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!merged[i] && (groups[i].Sources.size() > 1 || !groups[i].OverwrittenSource.empty())) {
      survey.Collisions.push_back(std::move(groups[i]));
    }
  }
  return survey;
}

}  // namespace vorn
