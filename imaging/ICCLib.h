#pragma once
// ICC profiles and colour transforms over LittleCMS 2: open a profile from a file, read
// its device class, find the standard sRGB profile, chain one or two profiles into a
// transform and translate 16-bit RGB colours through it. Handles are RAII objects; every
// failure raises EICCError (or EFileError for a file that cannot be read) with the
// profile's path and LittleCMS's own reason.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Exception.h"

namespace vorn {

class EICCError : public Exception {
 public:
  using Exception::Exception;
};

// The device class of a profile header: four ASCII letters read as a big-endian number.
using TProfileClass = std::uint32_t;
inline constexpr TProfileClass kClassInput = 0x73636E72;       // 'scnr'
inline constexpr TProfileClass kClassDisplay = 0x6D6E7472;     // 'mntr'
inline constexpr TProfileClass kClassOutput = 0x70727472;      // 'prtr'
inline constexpr TProfileClass kClassLink = 0x6C696E6B;        // 'link'
inline constexpr TProfileClass kClassColorSpace = 0x73706163;  // 'spac'
inline constexpr TProfileClass kClassAbstract = 0x61627374;    // 'abst'
inline constexpr TProfileClass kClassNamedColor = 0x6E6D636C;  // 'nmcl'

// Red, green, blue; 0 is no intensity and 65535 full intensity.
struct TICCColor {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  bool operator==(const TICCColor&) const = default;
};

class TLcmsContext;
class TProfileHandle;
class TTransformHandle;

TTransformHandle CreateTransform(const TProfileHandle& first, const TProfileHandle* second);

struct TNativeHandleCloser {
  enum class TKind { Profile, Transform };
  TKind Kind = TKind::Profile;
  void operator()(void* handle) const;
};

// An open profile. Move-only; closed when it goes away.
class TProfileHandle {
 public:
  const std::string& Path() const { return Path_; }
  void* Native() const { return Handle_.get(); }

 private:
  friend TProfileHandle OpenProfile(const std::string& path);
  friend class TTransformHandle;
  friend TTransformHandle CreateTransform(const TProfileHandle&, const TProfileHandle*);
  TProfileHandle(std::shared_ptr<TLcmsContext> context, void* handle, std::string path);

  // Declared first, so that the profile is closed before its context goes.
  std::shared_ptr<TLcmsContext> Context_;
  std::unique_ptr<void, TNativeHandleCloser> Handle_;
  std::string Path_;
};

// A colour transform. Move-only; deleted when it goes away.
class TTransformHandle {
 public:
  void* Native() const { return Handle_.get(); }
  // Errors LittleCMS reported in this transform's context so far, and the last one's text.
  std::size_t ErrorCount() const;
  std::string LastError() const;

 private:
  friend TTransformHandle CreateTransform(const TProfileHandle&, const TProfileHandle*);
  TTransformHandle(std::shared_ptr<TLcmsContext> context, void* handle);

  std::shared_ptr<TLcmsContext> Context_;
  std::unique_ptr<void, TNativeHandleCloser> Handle_;
};

// Opens the profile file. Raises EFileError when the file cannot be read and EICCError
// when it is not an ICC profile.
TProfileHandle OpenProfile(const std::string& path);

// The device class from the profile's header.
TProfileClass GetProfileClass(const TProfileHandle& profile);

// The file of the standard sRGB profile: LittleCMS's built-in sRGB, stored as a version 2.4
// profile in the program's cache folder. Written when missing or different; never
// downloaded.
std::string GetSRGBProfileName();

// A transform through first and, unless null, second, in that order (colours flow from
// first to second), with perceptual intent and the engine's most precise mode, 16-bit RGB
// on both sides.
TTransformHandle CreateTransform(const TProfileHandle& first, const TProfileHandle* second);

// Translates one colour; false when LittleCMS reported an error meanwhile.
bool TranslateColor(const TTransformHandle& transform, const TICCColor& in, TICCColor& out);

// "Input Device Profile", "Display Device Profile", ... "Unknown".
std::string ProfileClassName(TProfileClass profileClass);

}  // namespace vorn
