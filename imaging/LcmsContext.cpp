#include "imaging/LcmsContext.h"

#include <new>

#include "imaging/ICCLib.h"

namespace vorn {

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

std::string SaveProfileToBytes(const TLcmsContext& context, void* profile,
                               const std::string& what) {
  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(profile, nullptr, &size) || size == 0) {
    throw EICCError("Cannot write " + what + ": " + context.Reason("LittleCMS refused it") + ".");
  }
  std::string bytes(size, '\0');
  if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) {
    throw EICCError("Cannot write " + what + ": " + context.Reason("LittleCMS refused it") + ".");
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace vorn
