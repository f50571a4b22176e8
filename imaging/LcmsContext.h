#pragma once
// One LittleCMS context with an error handler of our own: LittleCMS reports its errors to
// the context, never to the terminal, and the code that called it turns the last report
// into the message of an exception. Everything a context allocates (profiles, transforms,
// pipelines) must be released before the context; the RAII types below keep that order.

#include <lcms2.h>

#include <cstddef>
#include <memory>
#include <string>

namespace vorn {

class TLcmsContext {
 public:
  TLcmsContext();
  ~TLcmsContext();
  TLcmsContext(const TLcmsContext&) = delete;
  TLcmsContext& operator=(const TLcmsContext&) = delete;

  cmsContext Id() const { return Id_; }
  // Number of errors reported so far, and the text of the last one.
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
using TLcmsProfile = std::unique_ptr<void, TLcmsProfileCloser>;

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

// The profile serialised as an ICC file image; raises EICCError with LittleCMS's reason.
std::string SaveProfileToBytes(const TLcmsContext& context, void* profile, const std::string& what);

}  // namespace vorn
