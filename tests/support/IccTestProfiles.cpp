#include "tests/support/IccTestProfiles.h"

#include <stdexcept>

#include "imaging/ICCLib.h"

namespace vorn::test {

namespace {

using TProfile = TProfileHandle;
using TCurve = TLcmsToneCurve;

// Wide primaries (not sRGB's), D65 white, gamma 2.2: a transform to or from sRGB is far
// from the identity.
TProfile WideGamutRGB() {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.68, 0.32, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  TCurve gamma(cmsBuildGamma(nullptr, 2.2));
  cmsToneCurve* curves[3] = {gamma.get(), gamma.get(), gamma.get()};
  return TProfile(cmsCreateRGBProfile(&white, &primaries, curves));
}

void SetDescription(void* profile, const char* text) {
  const TLcmsMlu mlu(cmsMLUalloc(nullptr, 1));
  cmsMLUsetASCII(mlu.get(), "en", "US", text);
  cmsWriteTag(profile, cmsSigProfileDescriptionTag, mlu.get());
}

TProfile ForwardOnlyInput() {
  TProfile profile(cmsCreateProfilePlaceholder(nullptr));
  cmsSetProfileVersion(profile.Native(), 2.4);
  cmsSetDeviceClass(profile.Native(), cmsSigInputClass);
  cmsSetColorSpace(profile.Native(), cmsSigRgbData);
  cmsSetPCS(profile.Native(), cmsSigXYZData);
  cmsWriteTag(profile.Native(), cmsSigMediaWhitePointTag, cmsD50_XYZ());
  // Device RGB straight into XYZ through a 2-node grid: a linear, non-neutral mapping.
  const cmsUInt16Number table[8 * 3] = {0,     0,     0,     9000,  7000,  30000, 12000, 30000,
                                        5000,  21000, 37000, 35000, 25000, 13000, 1000,  34000,
                                        20000, 31000, 37000, 43000, 6000,  46000, 50000, 36000};
  const cmsUInt32Number points[3] = {2, 2, 2};
  const TLcmsPipeline pipeline(cmsPipelineAlloc(nullptr, 3, 3));
  cmsPipelineInsertStage(pipeline.get(), cmsAT_END,
                         cmsStageAllocCLut16bitGranular(nullptr, points, 3, 3, table));
  cmsWriteTag(profile.Native(), cmsSigAToB0Tag, pipeline.get());
  return profile;
}

TProfile WithClass(TProfile profile, cmsProfileClassSignature profileClass) {
  cmsSetDeviceClass(profile.Native(), profileClass);
  return profile;
}

TProfile DeviceLink() {
  TProfile display = WideGamutRGB();
  TProfile srgb(cmsCreate_sRGBProfile());
  cmsHPROFILE chain[2] = {display.Native(), srgb.Native()};
  const TTransformHandle transform(cmsCreateMultiprofileTransform(
      chain, 2, TYPE_RGB_16, TYPE_RGB_16, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE));
  return TProfile(cmsTransform2DeviceLink(transform.Native(), 3.4, 0));
}

TProfile Make(TTestProfile kind) {
  switch (kind) {
    case TTestProfile::Display:
      return WideGamutRGB();
    case TTestProfile::DisplayV4: {
      TProfile profile = WideGamutRGB();
      cmsSetProfileVersion(profile.Native(), 4.3);
      return profile;
    }
    case TTestProfile::Input:
      return WithClass(WideGamutRGB(), cmsSigInputClass);
    case TTestProfile::InputForwardOnly:
      return ForwardOnlyInput();
    case TTestProfile::Output:
      return WithClass(WideGamutRGB(), cmsSigOutputClass);
    case TTestProfile::DeviceLink:
      return DeviceLink();
    case TTestProfile::Abstract:
      return TProfile(cmsCreateBCHSWabstractProfile(17, 10.0, 1.2, 20.0, 0.8, 6500, 6500));
    case TTestProfile::NamedColor:
      return WithClass(WideGamutRGB(), cmsSigNamedColorClass);
    case TTestProfile::ColorSpace:
      return WithClass(WideGamutRGB(), cmsSigColorSpaceClass);
    case TTestProfile::GrayDisplay: {
      TCurve gamma(cmsBuildGamma(nullptr, 2.2));
      return TProfile(cmsCreateGrayProfile(cmsD50_xyY(), gamma.get()));
    }
  }
  return TProfile(nullptr);
}

}  // namespace

std::string WriteTestProfile(const std::string& dir, const std::string& name, TTestProfile kind) {
  TProfile profile = Make(kind);
  if (!profile) throw std::runtime_error("LittleCMS could not make the test profile " + name);
  if (kind == TTestProfile::Display || kind == TTestProfile::Input) {
    cmsSetProfileVersion(profile.Native(), 2.4);
  }
  SetDescription(profile.Native(), name.c_str());
  const std::string path = dir + "/" + name;
  if (!cmsSaveProfileToFile(profile.Native(), path.c_str())) {
    throw std::runtime_error("LittleCMS could not write " + path);
  }
  return path;
}

}  // namespace vorn::test
