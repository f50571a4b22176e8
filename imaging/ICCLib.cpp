#include "imaging/ICCLib.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "platform/Files.h"
#include "platform/UserFolders.h"

namespace vorn {

namespace {

// "Best mode" is LittleCMS's unoptimised transform: every colour runs through the whole
// chain of the profiles' own curves, matrices and tables in floating point.
// - cmsFLAGS_NOOPTIMIZE: without it LittleCMS precalculates the chain into a table and
//   interpolates in it ("high resolution" with cmsFLAGS_HIGHRESPRECALC); that departs from
//   the profiles' mapping by up to 0.08 at the nodes of a 33-node sampling, which is the
//   very sampling a LUT is built from.
// - cmsFLAGS_NOWHITEONWHITEFIXUP: the precalculated mode also forces white onto white;
//   a profile that maps white elsewhere (a look that dims the highlights) must keep it.
//   The unoptimised path does not fix up white, the flag says so for every path.
// Black-point compensation is not asked for; LittleCMS still applies it on its own in a
// perceptual chain whose output profile is version 4, as the ICC rules for v4 want.
constexpr cmsUInt32Number kBestMode = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOWHITEONWHITEFIXUP;

// No ICC profile comes near this; a larger file is refused before it is read whole.
constexpr std::size_t kMaxProfileBytes = 256u << 20;

constexpr const char* kSRGBFileName = "sRGB.icc";
// Bytes 24 to 35 of an ICC header hold the creation date and time.
constexpr std::size_t kHeaderDateStart = 24;
constexpr std::size_t kHeaderDateEnd = 36;

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// The built-in sRGB profile as a version 2.4 file image. Version 2, because LittleCMS
// forces black-point compensation on every perceptual chain that ends in a version 4
// profile; with a v2 sRGB a profile whose black is not black (a LUT that lifts the
// blacks) keeps its darks, and v2-only readers can read the file too.
std::string BuiltInSRGBBytes() {
  const auto context = MakeLcmsContext();
  const TProfileHandle profile(context, cmsCreate_sRGBProfileTHR(context->Id()));
  if (!profile) {
    throw EICCError("Cannot create the sRGB profile: " + context->Reason("LittleCMS refused") +
                    ".");
  }
  cmsSetProfileVersion(profile.Native(), 2.4);
  return SaveProfileToBytes(profile, "the sRGB profile");
}

// Equal but for the creation date, which every build of the profile stamps anew.
bool SameProfileBytes(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.size() < kHeaderDateEnd) return false;
  return std::equal(a.begin(), a.begin() + kHeaderDateStart, b.begin()) &&
         std::equal(a.begin() + kHeaderDateEnd, a.end(), b.begin() + kHeaderDateEnd);
}

}  // namespace

TLcmsContext::TLcmsContext() : Id_(cmsCreateContext(nullptr, this)) {
  if (Id_ == nullptr) throw std::bad_alloc();
  cmsSetLogErrorHandlerTHR(Id_, &TLcmsContext::OnError);
}

TLcmsContext::~TLcmsContext() {
  cmsDeleteContext(Id_);
}

void TLcmsContext::OnError(cmsContext id, cmsUInt32Number, const char* text) {
  auto* self = static_cast<TLcmsContext*>(cmsGetContextUserData(id));
  if (self == nullptr) return;
  ++self->ErrorCount_;
  self->LastError_ = text != nullptr ? text : "";
}

std::string TLcmsContext::Reason(const std::string& fallback) const {
  return ErrorCount_ > 0 && !LastError_.empty() ? LastError_ : fallback;
}

std::shared_ptr<TLcmsContext> MakeLcmsContext() {
  return std::make_shared<TLcmsContext>();
}

TProfileHandle::TProfileHandle(std::shared_ptr<TLcmsContext> context, cmsHPROFILE handle,
                               std::string path)
    : Context_(std::move(context)), Handle_(handle), Path_(std::move(path)) {}

std::size_t TProfileHandle::ErrorCount() const {
  return Context_ ? Context_->ErrorCount() : 0;
}

std::string TProfileHandle::Reason(const std::string& fallback) const {
  return Context_ ? Context_->Reason(fallback) : fallback;
}

TTransformHandle::TTransformHandle(std::shared_ptr<TLcmsContext> context, cmsHTRANSFORM handle)
    : Context_(std::move(context)), Handle_(handle) {}

std::size_t TTransformHandle::ErrorCount() const {
  return Context_ ? Context_->ErrorCount() : 0;
}

std::string TTransformHandle::LastError() const {
  const std::string fallback = "no reason given";
  return Context_ ? Context_->Reason(fallback) : fallback;
}

TProfileHandle OpenProfile(const std::string& path) {
  std::error_code sizeError;
  const auto size = std::filesystem::file_size(path, sizeError);
  if (!sizeError && size > kMaxProfileBytes) {
    throw EICCError("Cannot open the ICC profile " + Quoted(path) +
                    ": the file is too large to be an ICC profile.");
  }
  auto context = MakeLcmsContext();
  // LittleCMS reads the tags it needs from the file when asked: a copy of a large profile in
  // memory would be made twice (ours, and LittleCMS's copy of a memory block).
  std::FILE* stream = OpenStreamForReading(path);
  cmsIOHANDLER* io = cmsOpenIOhandlerFromStream(context->Id(), stream);
  if (io == nullptr) {
    std::fclose(stream);
    throw EICCError("Cannot open the ICC profile " + Quoted(path) + ": " +
                    context->Reason("out of memory") + ".");
  }
  // The profile owns the stream from here, also when it fails (it closes it then).
  cmsHPROFILE handle = cmsOpenProfileFromIOhandlerTHR(context->Id(), io);
  if (handle == nullptr) {
    throw EICCError("Cannot open the ICC profile " + Quoted(path) + ": " +
                    context->Reason("it is not an ICC profile") + ".");
  }
  return TProfileHandle(std::move(context), handle, path);
}

TProfileClass GetProfileClass(const TProfileHandle& profile) {
  return static_cast<TProfileClass>(cmsGetDeviceClass(profile.Native()));
}

std::string GetSRGBProfileName() {
  const std::string path = ProgramCacheFolder() + "/" + kSRGBFileName;
  const std::string wanted = BuiltInSRGBBytes();
  const bool current =
      FileExists(path) && SameProfileBytes(ReadFileBytes(path, wanted.size() + 1), wanted);
  if (!current) WriteWholeFile(path, wanted);
  return path;
}

TTransformHandle CreateTransform(const TProfileHandle& first, const TProfileHandle* second) {
  cmsHPROFILE profiles[2] = {first.Native(), second != nullptr ? second->Native() : nullptr};
  // A profile of LittleCMS's global context gets a context of its own for the transform.
  const auto context = first.Context_ ? first.Context_ : MakeLcmsContext();
  const std::size_t secondErrors = second != nullptr ? second->ErrorCount() : 0;
  cmsHTRANSFORM transform =
      cmsCreateMultiprofileTransformTHR(context->Id(), profiles, second != nullptr ? 2 : 1,
                                        TYPE_RGB_16, TYPE_RGB_16, INTENT_PERCEPTUAL, kBestMode);
  if (transform == nullptr) {
    // Tags are read when the transform is built, and a profile reports to its own context.
    const bool secondReported = second != nullptr && second->ErrorCount() > secondErrors;
    const char* fallback = "the profiles cannot be linked";
    const std::string reason =
        secondReported ? second->Reason(fallback) : context->Reason(fallback);
    std::string profilesText = Quoted(first.Path());
    if (second != nullptr) profilesText += " and " + Quoted(second->Path());
    throw EICCError("Cannot build a colour transformation from " + profilesText + ": " + reason +
                    ".");
  }
  return TTransformHandle(context, transform);
}

bool TranslateColor(const TTransformHandle& transform, const TICCColor& in, TICCColor& out) {
  const std::size_t errorsBefore = transform.ErrorCount();
  const cmsUInt16Number input[3] = {in.R, in.G, in.B};
  cmsUInt16Number output[3] = {0, 0, 0};
  cmsDoTransform(transform.Native(), input, output, 1);
  out = {output[0], output[1], output[2]};
  return transform.ErrorCount() == errorsBefore;
}

std::string SaveProfileToBytes(const TProfileHandle& profile, const std::string& what) {
  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(profile.Native(), nullptr, &size) || size == 0) {
    throw EICCError("Cannot write " + what + ": " + profile.Reason("LittleCMS refused it") + ".");
  }
  std::string bytes(size, '\0');
  if (!cmsSaveProfileToMem(profile.Native(), bytes.data(), &size)) {
    throw EICCError("Cannot write " + what + ": " + profile.Reason("LittleCMS refused it") + ".");
  }
  bytes.resize(size);
  return bytes;
}

std::string ProfileClassName(TProfileClass profileClass) {
  switch (profileClass) {
    case kClassInput:
      return "Input Device Profile";
    case kClassDisplay:
      return "Display Device Profile";
    case kClassOutput:
      return "Output Device Profile";
    case kClassLink:
      return "Device Link Profile";
    case kClassColorSpace:
      return "Color Space Conversion Profile";
    case kClassAbstract:
      return "Abstract Profile";
    case kClassNamedColor:
      return "Named Color Profile";
    default:
      return "Unknown";
  }
}

std::string LittleCmsVersion() {
  const int encoded = cmsGetEncodedCMMversion();  // 2140 for 2.14
  return std::to_string(encoded / 1000) + "." + std::to_string(encoded % 1000 / 10);
}

}  // namespace vorn
