#pragma once
// File formats and the registry. Every format is one shared, unchanging object; its
// position in LutFormats() is its number everywhere and its detection priority.
// OutputProfiles() lists the choices the user sees as output formats. Programs include
// core/VornLut.h; format authors formats/FormatToolkit.h.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/LUT.h"
#include "platform/Exception.h"
#include "platform/Export.h"
#include "platform/Files.h"

namespace vorn {

// A malformed LUT file.
class VORN_API ELUTError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr const char* kIncompleteFile = "Incomplete file.";
// "Incomplete file." followed by how many values (nodes or entries) were read and how many
// the file declares; a negative declared count stands for a file that declares none.
std::string IncompleteFileMessage(std::int64_t read, std::int64_t declared);

// A value that the chosen output cannot code (not a finite number, or a code beyond the
// integers its readers take), raised by a writer before the file is complete. SaveLut
// adds the output profile's name to the message.
inline constexpr const char* kNotFiniteValueReason = "it is not a finite number.";
class VORN_API EUnwritableValue : public Exception {
 public:
  EUnwritableValue(double value, const std::string& reason);
  double Value() const { return Value_; }
  const std::string& Reason() const { return Reason_; }

 private:
  double Value_;
  std::string Reason_;
};

// Asked before a writer replaces an existing file that it writes beside the one it was given
// (the companion cube of a Premiere look), with that file's path: true lets it replace the
// file, false ends the save with nothing written.
using TReplaceQuestion = std::function<bool(const std::string& path)>;

// The largest file a LUT of any format can need, 128 MiB: a grid of 101 nodes per axis
// (the capacity of TLUT) is 1,030,301 value lines, and at 130 bytes a line leaves room for
// an index column, three reals of 17 significant digits with signs and exponents, column
// padding and CR LF. Tables (100,001 entries), XML, binary and picture formats need far
// less. LoadLut refuses a larger file before it reads it.
inline constexpr std::uint64_t kMaxLutFileBytes = std::uint64_t{128} << 20;

// Lines a load skipped although they look like values (LooksLikeValueLine), found inside
// the values: after the first stored value and before the last. Each shifted every later
// value to an earlier node or entry.
struct TSkippedValueLines {
  int Count = 0;
  int FirstLine = 0;  // 1-based; 0 without any
};

// Something a load noticed that the user should know, though the LUT loaded.
struct TLoadWarning {
  std::string File;
  int Line = 0;  // 1-based; 0 when not tied to a line
  std::string Message;
};

struct TLoadReport {
  std::vector<TLoadWarning> Warnings;
};

// Told each warning of a load right after it, before anything is written; it may raise to
// end the work there (vorn-lut --strict). Empty: warnings are not reported.
using TWarningHandler = std::function<void(const TLoadWarning& warning)>;
void ReportWarnings(const TLoadReport& report, const TWarningHandler& handler);

// The warning for skipped value lines ("3 lines inside the values look like values...").
TLoadWarning SkippedValueLinesWarning(const std::string& file, const TSkippedValueLines& skipped);
// The warning as an error (ELUTError with the warning's message, file and line), for loads
// that must not go on past one (vorn-lut --strict).
[[noreturn]] void RaiseWarning(const TLoadWarning& warning);

// One of the LUTs of a file that holds several (the corrections of an ASC CDL collection or
// decision list).
struct TLutMember {
  std::int32_t Index = 0;  // 1-based, in file order
  std::string Id;          // empty when the file gives none
};

// Which LUT of such a file a load takes. With Id set, the member of that id, or else (when
// Index is above 0 too) the one at Index; with Index alone, the one at Index; with neither,
// the first. A choice that names no member makes the load raise.
struct TLutMemberChoice {
  std::string Id;
  std::int32_t Index = 0;
  bool IsFirst() const { return Id.empty() && Index <= 0; }
};

// What a load is told and what it tells back: the bit depth the user chose for this file
// (-1 = what the file or the format implies), the member to take from a file holding
// several LUTs, the nodes per axis of the grid a source evaluated as a whole (a chain of
// operators, a matrix) is sampled onto (0 = kDefaultSampleSize), and the value lines it
// skipped. Each load has its own; format objects keep nothing of a load.
inline constexpr std::int32_t kDefaultSampleSize = 33;
struct TLoadContext {
  std::int32_t InputBits = -1;
  TLutMemberChoice Member;
  std::int32_t SampleSize = 0;
  TSkippedValueLines SkippedValueLines;
};

// Whether a format reads files, writes them, or both.
enum class TFormatAccess : std::uint8_t { ReadWrite, ReadOnly, WriteOnly };

// A file format: a description (its name, its kind, how its files are recognised, read and
// written) shared by every load and save. Every operation is const, so loads and saves of
// any formats may run at once on several threads.
class TLUTFormat {
 public:
  TLUTFormat(std::string name, bool is3D, TFormatAccess access = TFormatAccess::ReadWrite)
      : Name(std::move(name)), Is3D(is3D), Access(access) {}
  virtual ~TLUTFormat() = default;
  TLUTFormat(const TLUTFormat&) = delete;
  TLUTFormat& operator=(const TLUTFormat&) = delete;

  const std::string Name;
  const bool Is3D;
  const TFormatAccess Access;

  bool CanRead() const { return Access != TFormatAccess::WriteOnly; }
  bool CanWrite() const { return Access != TFormatAccess::ReadOnly; }

  // False for formats that only write.
  virtual bool IsFormat(const std::string& path) const = 0;
  // A format that cannot read raises.
  virtual void Load(const std::string& path, TLUT& lut, TLoadContext& context) const;
  // The LUTs the file holds when the format keeps several in one file; empty for formats
  // that keep one. Raises as Load does for a file it cannot read.
  virtual std::vector<TLutMember> ListMembers(const std::string& /*path*/) const { return {}; }
  // A format that cannot write raises. mode says whether an existing file at path may be
  // replaced: with TWriteMode::CreateNew a taken name raises EFileExists.
  virtual void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const;
  // Write that replaces an existing file.
  void Save(const std::string& path, const TLUT& lut, int bits) const {
    Write(path, lut, bits, TWriteMode::Replace);
  }
  // Write for the callers that can answer mayReplace. Writers of a single file ignore it; a
  // writer that also writes a companion file asks it before replacing an existing one and,
  // without a question, refuses to replace it.
  virtual void SaveAsking(const std::string& path, const TLUT& lut, int bits, TWriteMode mode,
                          const TReplaceQuestion& /*mayReplace*/) const {
    Write(path, lut, bits, mode);
  }
  // True for a writer that keeps a record's domains (TLutDomain) as they are: any domain of
  // a grid alone or a table alone, and a shaper before a grid when each of the two domains
  // is one pair for all channels. A conversion to it keeps a source with domains as it is,
  // instead of sampling it over [0, 1], when the source already has the output's size.
  virtual bool WritesDomains() const { return false; }
  // True for a writer that writes a table, a grid and a shaper before a grid alike: a
  // conversion to it keeps a table as it is, and a shaper and grid as they are when the grid
  // already has the output's size, instead of sampling them onto a grid.
  virtual bool WritesEveryKind() const { return false; }
  // True for a writer that also writes a companion file beside its destination, and so may
  // ask SaveAsking's question: a batch converts to it one file at a time.
  virtual bool WritesCompanion() const { return false; }
  // The files a write to destination writes besides destination itself.
  virtual std::vector<std::string> CompanionPaths(const std::string& /*destination*/) const {
    return {};
  }
};

// The values an integer coding holds: a writer clamps what lies outside.
struct TClampRange {
  double Low = 0.0;
  double High = 1.0;
};

// An output profile: a format with the defaults the conversion offers for it.
struct TLutOutputProfile {
  std::string Name;
  std::string Extension;  // without the dot
  std::int32_t FormatIndex = -1;
  std::int32_t DefaultSize = 0;
  std::int32_t DefaultBits = 0;
  // The conversion lets the user choose another size or bit depth.
  bool SizeSelectable = false;
  bool BitsSelectable = false;
  // Set when the format writes integer codes clamped to this range (High: the value of the
  // top code); unset when values outside [0, 1] are written as they are.
  std::optional<TClampRange> ClampedTo;
};

// The registry. The program fills it once at start-up (RegisterBuiltInFormats, in
// formats/Registration.h) before it looks at anything; it never changes afterwards, so any
// thread may read it. Loading, detecting or saving with an empty registry raises.
VORN_API const std::vector<std::unique_ptr<const TLUTFormat>>& LutFormats();
VORN_API const std::vector<std::unique_ptr<const TLutOutputProfile>>& OutputProfiles();

// Clears the comments; loads with the given format, or detects it with -1. FormatIndex
// is set only after the load succeeded; a file no format claims leaves it at -1 (LoadLutFile
// raises instead). inputBits is the bit depth the user chose for this file (-1 =
// automatic), told to this load alone. An error raised by the load notes the path as its
// file. The report holds the load's warnings (skipped value lines). Loads may run at once
// on several threads, each with its own record.
// member picks one LUT of a file that holds several (TLutMemberChoice); other formats
// ignore it. sampleSize is TLoadContext::SampleSize (0 = kDefaultSampleSize).
VORN_API TLoadReport LoadLut(const std::string& path, TLUT& lut, int formatIndex = -1,
                             int inputBits = -1, const TLutMemberChoice& member = {},
                             int sampleSize = 0);
// LoadLut with detection, raising "... is not a LUT file of any known format." for a file
// that no format claims.
VORN_API TLoadReport LoadLutFile(const std::string& path, TLUT& lut, int inputBits = -1,
                                 const TLutMemberChoice& member = {});
// The LUTs of a file that holds several, by the format that claims it (TLUTFormat::
// ListMembers); empty for a file of any other format or of none.
VORN_API std::vector<TLutMember> ListLutMembers(const std::string& path);
// The member's id made fit for a file name (letters, digits, "-", "_" and "." kept, every
// other byte "_"), or its index when it has no id.
VORN_API std::string MemberFileTag(const TLutMember& member);
// The message of LoadLutFile for a file that no format claims.
VORN_API std::string NotALutMessage(const std::string& path);
// Refuses a loaded record that holds no values, noting path as the error's file: a look
// that only names its LUT ("The file holds no LUT data to convert.") or a 1D table without
// entries ("The file holds no 1D entries to convert."). Every operation that uses a LUT's
// values (convert, merge, apply, compare, LUT to ICC) calls it after the load, so that no
// such file passes for an identity.
void RequireLutData(const TLUT& lut, const std::string& path);
// bits -1 takes the profile's DefaultBits. A record holding NaN or an infinity is refused
// for every profile before anything is written, and a value the format cannot code
// (EUnwritableValue: real numbers and unclamped codes beyond 32 bits) before the file is
// complete, both with the profile's name and the value. mayReplace answers a writer that would
// replace an existing companion file (TLUTFormat::SaveAsking); mode says whether the file at path
// may be replaced (TWriteMode::CreateNew raises EFileExists for a taken name).
VORN_API void SaveLut(const std::string& path, const TLUT& lut, const TLutOutputProfile& profile,
                      int bits, const TReplaceQuestion& mayReplace = {},
                      TWriteMode mode = TWriteMode::Replace);
// Index of the first format that claims the file, or -1.
VORN_API int DetectFormat(const std::string& path);
// The format, or null for an index out of range.
VORN_API const TLUTFormat* GetFormat(int index);
// Position of the format with that name, or -1.
VORN_API int IndexOfFormat(std::string_view name);
VORN_API const TLutOutputProfile& GetOutputProfile(int index);

// Used by the code that fills the registry; RegisterFormat returns the format's number.
// Registering after the registry was first used, or a profile whose format is not
// registered, raises std::logic_error.
int RegisterFormat(std::unique_ptr<const TLUTFormat> format);
void RegisterOutputProfile(TLutOutputProfile profile);

}  // namespace vorn
