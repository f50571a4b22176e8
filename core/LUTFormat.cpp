#include "core/LUTFormat.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <utility>

#include "core/MemberTags.h"
#include "core/TextTools.h"
#include "platform/Files.h"

namespace vorn {

namespace {

struct TRegistry {
  std::vector<std::unique_ptr<const TLUTFormat>> Formats;
  std::vector<std::unique_ptr<const TLutOutputProfile>> Profiles;
  // Set by the first look-up: from then on the registry is read by any thread and never
  // changes.
  std::atomic<bool> InUse = false;
};

// Filled once at start-up by the program (RegisterBuiltInFormats of formats/) and never
// changed afterwards.
TRegistry& TheRegistry() {
  static TRegistry registry;
  return registry;
}

const TRegistry& RegistryInUse() {
  TRegistry& registry = TheRegistry();
  registry.InUse.store(true, std::memory_order_release);
  return registry;
}

// Loading, detecting or saving against an empty registry is a program fault, not a file
// of an unknown format.
const TRegistry& FilledRegistry() {
  const TRegistry& registry = RegistryInUse();
  if (registry.Formats.empty()) {
    throw Exception(
        "No LUT formats are registered: the program must call RegisterBuiltInFormats() "
        "before it loads, detects or saves a LUT.");
  }
  return registry;
}

void CheckStillFilling() {
  if (TheRegistry().InUse.load(std::memory_order_acquire)) {
    throw std::logic_error("LUT formats must be registered before the registry is first used.");
  }
}

}  // namespace

void TLUTFormat::Load(const std::string&, TLUT&, TLoadContext&) const {
  throw Exception("The format \"" + Name + "\" does not read files.");
}

void TLUTFormat::Write(const std::string&, const TLUT&, int, TWriteMode) const {
  throw Exception("The format \"" + Name + "\" does not write files.");
}

const std::vector<std::unique_ptr<const TLUTFormat>>& LutFormats() {
  return RegistryInUse().Formats;
}

const std::vector<std::unique_ptr<const TLutOutputProfile>>& OutputProfiles() {
  return RegistryInUse().Profiles;
}

int RegisterFormat(std::unique_ptr<const TLUTFormat> format) {
  CheckStillFilling();
  auto& formats = TheRegistry().Formats;
  formats.push_back(std::move(format));
  return static_cast<int>(formats.size()) - 1;
}

void RegisterOutputProfile(TLutOutputProfile profile) {
  CheckStillFilling();
  const auto formats = static_cast<std::int32_t>(TheRegistry().Formats.size());
  if (profile.FormatIndex < 0 || profile.FormatIndex >= formats) {
    throw std::logic_error("The output \"" + profile.Name + "\" names no registered format.");
  }
  TheRegistry().Profiles.push_back(std::make_unique<const TLutOutputProfile>(std::move(profile)));
}

const TLUTFormat* GetFormat(int index) {
  const auto& formats = LutFormats();
  if (index < 0 || index >= static_cast<int>(formats.size())) return nullptr;
  return formats[static_cast<std::size_t>(index)].get();
}

int IndexOfFormat(std::string_view name) {
  const auto& formats = LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (formats[i]->Name == name) return static_cast<int>(i);
  }
  return -1;
}

const TLutOutputProfile& GetOutputProfile(int index) {
  return *OutputProfiles().at(static_cast<std::size_t>(index));
}

int DetectFormat(const std::string& path) {
  const auto& formats = FilledRegistry().Formats;
  TSharedFileHead head(path);  // one read of the first 4096 bytes for every format asked
  try {
    for (std::size_t i = 0; i < formats.size(); ++i) {
      if (formats[i]->IsFormat(path)) return static_cast<int>(i);
    }
  } catch (Exception& error) {
    error.NoteFile(path);
    throw;
  }
  return -1;
}

namespace {

TLoadReport LoadWith(const TLUTFormat& format, const std::string& path, TLUT& lut, int inputBits,
                     const TLutMemberChoice& member, int sampleSize) {
  TLoadContext context;
  context.InputBits = inputBits;
  context.Member = member;
  context.SampleSize = sampleSize;
  try {
    format.Load(path, lut, context);
  } catch (Exception& error) {
    error.NoteFile(path);
    throw;
  }
  TLoadReport report;
  if (context.SkippedValueLines.Count > 0) {
    report.Warnings.push_back(SkippedValueLinesWarning(path, context.SkippedValueLines));
  }
  return report;
}

// A file too large to be a LUT is refused before anything reads it whole.
void CheckLutFileSize(const std::string& path) {
  const std::uint64_t size = FileSizeOf(path);
  if (size <= kMaxLutFileBytes) return;
  ELUTError error("The file is too large to be a LUT: it has " + std::to_string(size) +
                  " bytes, and no LUT file of any format needs more than " +
                  std::to_string(kMaxLutFileBytes) + " bytes (128 MiB).");
  error.NoteFile(path);
  throw error;
}

}  // namespace

TLoadReport LoadLut(const std::string& path, TLUT& lut, int formatIndex, int inputBits,
                    const TLutMemberChoice& member, int sampleSize) {
  const auto& formats = FilledRegistry().Formats;
  lut.Comments.clear();
  CheckLutFileSize(path);
  if (formatIndex != -1) {
    if (formatIndex < 0 || formatIndex >= static_cast<int>(formats.size())) {
      throw Exception("No LUT format has the number " + std::to_string(formatIndex) + ".");
    }
    TLoadReport report = LoadWith(*formats[static_cast<std::size_t>(formatIndex)], path, lut,
                                  inputBits, member, sampleSize);
    lut.FormatIndex = formatIndex;
    return report;
  }
  lut.FormatIndex = -1;
  const int detected = DetectFormat(path);
  if (detected < 0) return {};
  TLoadReport report = LoadWith(*formats[static_cast<std::size_t>(detected)], path, lut, inputBits,
                                member, sampleSize);
  lut.FormatIndex = detected;
  return report;
}

std::string NotALutMessage(const std::string& path) {
  return "\"" + path + "\" is not a LUT file of any known format.";
}

std::string IncompleteFileMessage(std::int64_t read, std::int64_t declared) {
  const std::string values = read == 1 ? " value was read" : " values were read";
  if (declared < 0) {
    return std::string(kIncompleteFile) + " " + std::to_string(read) + values +
           "; the file declares no size.";
  }
  return std::string(kIncompleteFile) + " " + std::to_string(read) + " of the " +
         std::to_string(declared) + (declared == 1 ? " value" : " values") +
         " the file declares were read.";
}

EUnwritableValue::EUnwritableValue(double value, const std::string& reason)
    : Exception("The value " + NumberText(value) + " cannot be written: " + reason),
      Value_(value),
      Reason_(reason) {}

void RequireLutData(const TLUT& lut, const std::string& path) {
  const char* message = nullptr;
  if (lut.Kind == lkNone) {
    // A look that refers to its LUT instead of holding one loads without data; using it
    // would pass an identity LUT off as the look.
    message = "The file holds no LUT data to convert.";
  } else if (lut.Kind == lk1D && lut.Size1D < 1) {
    // A 1D file whose entry lines all failed loads as an empty table.
    message = "The file holds no 1D entries to convert.";
  }
  if (message == nullptr) return;
  ELUTError error(message);
  error.NoteFile(path);
  throw error;
}

std::vector<TLutMember> ListLutMembers(const std::string& path) {
  CheckLutFileSize(path);
  const int detected = DetectFormat(path);
  if (detected < 0) return {};
  try {
    return FilledRegistry().Formats[static_cast<std::size_t>(detected)]->ListMembers(path);
  } catch (Exception& error) {
    error.NoteFile(path);
    throw;
  }
}

std::string MemberFileTag(const TLutMember& member) {
  if (member.Id.empty()) return std::to_string(member.Index);
  std::string tag = member.Id;
  for (char& c : tag) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    if (!kept) c = '_';
  }
  // A name of dots alone would climb folders or vanish.
  if (tag.find_first_not_of('.') == std::string::npos) tag[0] = '_';
  return tag;
}

std::vector<std::string> MemberFileTags(const std::vector<TLutMember>& members) {
  std::vector<std::string> tags;
  tags.reserve(members.size());
  for (const TLutMember& member : members) {
    const auto sameId = std::count_if(members.begin(), members.end(),
                                      [&](const TLutMember& m) { return m.Id == member.Id; });
    tags.push_back(MemberFileTag(sameId == 1 ? member : TLutMember{member.Index, {}}));
  }
  return tags;
}

TLoadReport LoadLutFile(const std::string& path, TLUT& lut, int inputBits,
                        const TLutMemberChoice& member) {
  TLoadReport report = LoadLut(path, lut, -1, inputBits, member);
  if (lut.FormatIndex == -1) throw ELUTError(NotALutMessage(path));
  return report;
}

TLoadWarning SkippedValueLinesWarning(const std::string& file, const TSkippedValueLines& skipped) {
  const std::string first = std::to_string(skipped.FirstLine);
  std::string message =
      skipped.Count == 1
          ? "1 line inside the values looks like values but could not be read and was "
            "skipped (line " +
                first + "); every value after it moved one node or entry earlier."
          : std::to_string(skipped.Count) +
                " lines inside the values look like values but could not be read and were "
                "skipped (the first is line " +
                first + "); the values after them moved to earlier nodes or entries.";
  return {file, skipped.FirstLine, std::move(message)};
}

void ReportWarnings(const TLoadReport& report, const TWarningHandler& handler) {
  if (!handler) return;
  for (const TLoadWarning& warning : report.Warnings) handler(warning);
}

void RaiseWarning(const TLoadWarning& warning) {
  ELUTError error(warning.Message);
  if (!warning.File.empty()) error.NoteFile(warning.File);
  if (warning.Line > 0) error.NoteLine(warning.Line);
  throw error;
}

void SaveLut(const std::string& path, const TLUT& lut, const TLutOutputProfile& profile, int bits,
             const TReplaceQuestion& mayReplace, TWriteMode mode) {
  FilledRegistry();
  if (bits == -1) bits = profile.DefaultBits;
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  if (!format) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");
  const auto refuse = [&](double value, const std::string& reason) {
    throw Exception("The output \"" + profile.Name + "\" cannot write the value " +
                    NumberText(value) + ": " + reason);
  };
  // Checked here for every profile: the codings that clamp would write NaN as 0.
  const TValueRange range = WholeValueRange(lut);
  if (!range.Finite) refuse(range.FirstNonFinite, kNotFiniteValueReason);
  try {
    format->SaveAsking(path, lut, bits, mode, mayReplace);
  } catch (const EUnwritableValue& error) {
    refuse(error.Value(), error.Reason());
  }
}

}  // namespace vorn
