#include "core/LUTFormat.h"

#include "core/TextTools.h"

namespace vorn {

namespace {

constexpr std::size_t kHeaderBytes = 4096;

struct Registry {
  std::vector<std::unique_ptr<TLUTFormat>> Formats;
  std::vector<std::unique_ptr<TLutOutputProfile>> Profiles;
};

Registry& RawRegistry() {
  static Registry registry;
  return registry;
}

// The registry is filled on first use, before anything can look at it, and never changes
// afterwards. Registration itself goes through RawRegistry().
Registry& TheRegistry() {
  static const bool filled = [] {
    RegisterBuiltInFormats();
    return true;
  }();
  (void)filled;
  return RawRegistry();
}

// Splits a keyword list the way a comma-separated string list is split: items end at a
// comma or at blanks; a double-quoted item may hold both ("" stands for one quote).
std::vector<std::string> SplitKeywordList(std::string_view list) {
  std::vector<std::string> items;
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < list.size() && static_cast<unsigned char>(list[i]) <= ' ') ++i;
  };
  skipBlanks();
  while (i < list.size()) {
    std::string item;
    if (list[i] == '"') {
      ++i;
      while (i < list.size()) {
        if (list[i] == '"') {
          if (i + 1 < list.size() && list[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += list[i++];
      }
    } else {
      while (i < list.size() && list[i] != ',' && static_cast<unsigned char>(list[i]) > ' ') {
        item += list[i++];
      }
    }
    if (!item.empty()) items.push_back(UpperCase(item));
    skipBlanks();
    if (i < list.size() && list[i] == ',') {
      ++i;
      skipBlanks();
    }
  }
  return items;
}

}  // namespace

void TGenericLutFormat::PrepareText(TTextFile&) {}

void TGenericLutFormat::ParseLine(std::string_view, TLUT&) {}

void TGenericLutFormat::Load(const std::string& path, TLUT& lut) {
  RIndex = GIndex = BIndex = EntryIndex = 0;
  Size = Scale = -1;
  Complete = false;
  TTextFile text;
  text.Load(path);
  TextFile = &text;
  struct ResetOnExit {
    TTextFile*& Field;
    ~ResetOnExit() { Field = nullptr; }
  } reset{TextFile};
  PrepareText(text);
  for (std::size_t i = 0; i < text.Count(); ++i) ParseLine(text[i], lut);
  if (Is3D) {
    lut.Kind = lk3D;
    lut.Size3D = Size;
  } else {
    lut.Kind = lk1D;
    lut.Size1D = Size;
  }
  if (!Complete) throw ELUTError(kIncompleteFile);
}

bool TGenericLutFormat::HasHeaderKeywords(const std::string& path, std::string_view required,
                                          std::string_view excluded) {
  const std::string header = UpperCase(ReadFileHead(path, kHeaderBytes));
  for (const std::string& item : SplitKeywordList(excluded)) {
    if (header.find(item) != std::string::npos) return false;
  }
  for (const std::string& item : SplitKeywordList(required)) {
    if (header.find(item) == std::string::npos) return false;
  }
  return true;
}

std::vector<std::unique_ptr<TLUTFormat>>& LutFormats() {
  return TheRegistry().Formats;
}

std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles() {
  return TheRegistry().Profiles;
}

int RegisterFormat(std::unique_ptr<TLUTFormat> format) {
  auto& formats = RawRegistry().Formats;
  formats.push_back(std::move(format));
  return static_cast<int>(formats.size()) - 1;
}

TLutOutputProfile* RegisterOutputProfile(std::string name, std::string extension, int formatIndex,
                                         int defaultSize, int defaultBits, bool sizeSelectable,
                                         bool bitsSelectable) {
  auto profile = std::make_unique<TLutOutputProfile>(
      TLutOutputProfile{std::move(name), std::move(extension), formatIndex, defaultSize,
                        defaultBits, sizeSelectable, bitsSelectable});
  TLutOutputProfile* result = profile.get();
  RawRegistry().Profiles.push_back(std::move(profile));
  return result;
}

TLUTFormat* GetFormat(int index) {
  auto& formats = LutFormats();
  if (index < 0 || index >= static_cast<int>(formats.size())) return nullptr;
  return formats[static_cast<std::size_t>(index)].get();
}

int IndexOfFormat(std::string_view name) {
  auto& formats = LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (formats[i]->Name == name) return static_cast<int>(i);
  }
  return -1;
}

TLutOutputProfile& GetOutputProfile(int index) {
  return *OutputProfiles().at(static_cast<std::size_t>(index));
}

int DetectFormat(const std::string& path) {
  auto& formats = LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (formats[i]->IsFormat(path)) return static_cast<int>(i);
  }
  return -1;
}

void LoadLut(const std::string& path, TLUT& lut, int formatIndex) {
  lut.Comments.clear();
  if (formatIndex != -1) {
    TLUTFormat* format = GetFormat(formatIndex);
    if (!format)
      throw Exception("No LUT format has the number " + std::to_string(formatIndex) + ".");
    format->Load(path, lut);
    lut.FormatIndex = formatIndex;
    return;
  }
  lut.FormatIndex = -1;
  int detected = DetectFormat(path);
  if (detected < 0) return;
  LutFormats()[static_cast<std::size_t>(detected)]->Load(path, lut);
  lut.FormatIndex = detected;
}

void SaveLut(const std::string& path, const TLUT& lut, const TLutOutputProfile& profile, int bits) {
  if (bits == -1) bits = profile.DefaultBits;
  TLUTFormat* format = GetFormat(profile.FormatIndex);
  if (!format) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");
  format->Save(path, lut, bits);
}

}  // namespace vorn
