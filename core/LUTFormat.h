#pragma once
// File formats and the registry. Every format is one shared object; its position in
// LutFormats() is its number everywhere and its detection priority. OutputProfiles()
// lists the choices the user sees as output formats.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/LUT.h"
#include "core/TextFile.h"
#include "platform/Exception.h"

namespace vorn {

// A malformed LUT file.
class ELUTError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr const char* kIncompleteFile = "Incomplete file.";

class TLUTFormat {
 public:
  TLUTFormat(std::string name, bool is3D) : Name(std::move(name)), Is3D(is3D) {}
  virtual ~TLUTFormat() = default;
  TLUTFormat(const TLUTFormat&) = delete;
  TLUTFormat& operator=(const TLUTFormat&) = delete;

  std::string Name;
  bool Is3D;
  // Bits-per-value override for integer-coded files that do not declare their depth;
  // -1 = what the file or the format implies.
  std::int32_t InputBits = -1;

  virtual bool IsFormat(const std::string& path) = 0;
  // False for formats that only write: their IsFormat never claims a file.
  virtual bool CanRead() const { return true; }
  virtual void Load(const std::string& path, TLUT& lut) = 0;
  virtual void Save(const std::string& path, const TLUT& lut, int bits) = 0;
};

// Line-based text formats: Load reads the file into TextFile, calls PrepareText, then
// ParseLine for every line, sets Kind and the size, and raises "Incomplete file." when
// the reader did not reach its last value.
class TGenericLutFormat : public TLUTFormat {
 public:
  using TLUTFormat::TLUTFormat;

  void Load(const std::string& path, TLUT& lut) override;
  virtual void PrepareText(TTextFile& textFile);
  virtual void ParseLine(std::string_view line, TLUT& lut);

  // True when every item of the required list and no item of the excluded list occurs
  // in the first 4096 bytes of the file (ASCII case ignored). Lists are comma- or
  // blank-separated; a double-quoted item may hold both.
  static bool HasHeaderKeywords(const std::string& path, std::string_view required,
                                std::string_view excluded);

 protected:
  std::int32_t RIndex = 0;
  std::int32_t GIndex = 0;
  std::int32_t BIndex = 0;
  std::int32_t EntryIndex = 0;
  std::int32_t Size = -1;
  std::int32_t Scale = -1;
  bool Complete = false;
  // The file's lines while Load runs; null otherwise.
  TTextFile* TextFile = nullptr;
};

struct TLutOutputProfile {
  std::string Name;
  std::string Extension;  // without the dot
  std::int32_t FormatIndex = -1;
  std::int32_t DefaultSize = 0;
  std::int32_t DefaultBits = 0;
  bool SizeSelectable = false;
  bool BitsSelectable = false;
};

// The registry, built once on first use and never changed afterwards.
std::vector<std::unique_ptr<TLUTFormat>>& LutFormats();
std::vector<std::unique_ptr<TLutOutputProfile>>& OutputProfiles();

// Clears the comments; loads with the given format, or detects it with -1. FormatIndex
// is set only after the load succeeded; a file no format claims leaves it at -1.
void LoadLut(const std::string& path, TLUT& lut, int formatIndex = -1);
// bits -1 takes the profile's DefaultBits.
void SaveLut(const std::string& path, const TLUT& lut, const TLutOutputProfile& profile, int bits);
// Index of the first format that claims the file, or -1.
int DetectFormat(const std::string& path);
// The format object, or null for an index out of range.
TLUTFormat* GetFormat(int index);
// Position of the format with that name, or -1.
int IndexOfFormat(std::string_view name);
TLutOutputProfile& GetOutputProfile(int index);

// Used by the code that fills the registry; RegisterFormat returns the format's number.
int RegisterFormat(std::unique_ptr<TLUTFormat> format);
TLutOutputProfile* RegisterOutputProfile(std::string name, std::string extension, int formatIndex,
                                         int defaultSize, int defaultBits, bool sizeSelectable,
                                         bool bitsSelectable);
// Defined beside the format classes: appends every format, then every output profile.
void RegisterBuiltInFormats();

}  // namespace vorn
