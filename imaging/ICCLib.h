#pragma once
// ICC profiles and colour transforms over LittleCMS 2: open a profile from a file, read
// its device class, find the standard sRGB profile, chain one or two profiles into a
// transform and translate 16-bit RGB colours through it; the RAII types for what LittleCMS
// allocates. Every failure raises EICCError (or EFileError for a file that cannot be read)
// with the profile's path and LittleCMS's own reason.
//
// Each profile opened here has a LittleCMS context of its own with an error handler of ours:
// LittleCMS reports its errors to the context, never to the terminal, and the code that
// called it turns the last report into the message of an exception. Everything a context
// allocates must be released before the context; the handles below keep that order.

#include <lcms2.h>

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

// One LittleCMS context that collects the errors reported to it.
class TLcmsContext {
 public:
  TLcmsContext();
  ~TLcmsContext();
  TLcmsContext(const TLcmsContext&) = delete;
  TLcmsContext& operator=(const TLcmsContext&) = delete;

  cmsContext Id() const { return Id_; }
  // Number of errors reported so far.
  std::size_t ErrorCount() const { return ErrorCount_; }
  // The last report, or fallback when LittleCMS reported nothing.
  std::string Reason(const std::string& fallback) const;

 private:
  static void OnError(cmsContext id, cmsUInt32Number code, const char* text);

  cmsContext Id_ = nullptr;
  std::size_t ErrorCount_ = 0;
  std::string LastError_;
};

// A new context on the heap, so that its address (LittleCMS's user data) stays put.
std::shared_ptr<TLcmsContext> MakeLcmsContext();

struct TLcmsProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};

struct TLcmsTransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};

class TTransformHandle;

// A profile, open or being built. Move-only; closed when it goes away, before its context.
class TProfileHandle {
 public:
  // Takes over a profile that LittleCMS made in context; a null context stands for
  // LittleCMS's global one, whose errors are not collected. path names the profile in
  // messages.
  TProfileHandle(std::shared_ptr<TLcmsContext> context, cmsHPROFILE handle, std::string path = {});
  explicit TProfileHandle(cmsHPROFILE handle) : TProfileHandle(nullptr, handle) {}

  const std::string& Path() const { return Path_; }
  cmsHPROFILE Native() const { return Handle_.get(); }
  explicit operator bool() const { return Handle_ != nullptr; }
  // Errors reported in the profile's context so far, and the last one's text or fallback.
  std::size_t ErrorCount() const;
  std::string Reason(const std::string& fallback) const;

 private:
  friend TTransformHandle CreateTransform(const TProfileHandle&, const TProfileHandle*);

  // Declared first, so that the profile is closed before its context goes.
  std::shared_ptr<TLcmsContext> Context_;
  std::unique_ptr<void, TLcmsProfileCloser> Handle_;
  std::string Path_;
};

// A colour transform. Move-only; deleted when it goes away, before its context.
class TTransformHandle {
 public:
  // Takes over a transform that LittleCMS made in context (null: the global context).
  TTransformHandle(std::shared_ptr<TLcmsContext> context, cmsHTRANSFORM handle);
  explicit TTransformHandle(cmsHTRANSFORM handle) : TTransformHandle(nullptr, handle) {}

  cmsHTRANSFORM Native() const { return Handle_.get(); }
  explicit operator bool() const { return Handle_ != nullptr; }
  // Errors LittleCMS reported in this transform's context so far, and the last one's text.
  std::size_t ErrorCount() const;
  std::string LastError() const;

 private:
  std::shared_ptr<TLcmsContext> Context_;
  std::unique_ptr<void, TLcmsTransformDeleter> Handle_;
};

struct TLcmsPipelineFreer {
  void operator()(cmsPipeline* pipeline) const { cmsPipelineFree(pipeline); }
};
using TLcmsPipeline = std::unique_ptr<cmsPipeline, TLcmsPipelineFreer>;

struct TLcmsToneCurveFreer {
  void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using TLcmsToneCurve = std::unique_ptr<cmsToneCurve, TLcmsToneCurveFreer>;

struct TLcmsMluFreer {
  void operator()(cmsMLU* mlu) const { cmsMLUfree(mlu); }
};
using TLcmsMlu = std::unique_ptr<cmsMLU, TLcmsMluFreer>;

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

// The profile serialised as an ICC file image; raises EICCError with LittleCMS's reason,
// naming the profile as what.
std::string SaveProfileToBytes(const TProfileHandle& profile, const std::string& what);

// "Input Device Profile", "Display Device Profile", ... "Unknown".
std::string ProfileClassName(TProfileClass profileClass);

// The version of LittleCMS the program runs with, "2.14".
std::string LittleCmsVersion();

}  // namespace vorn
