#pragma once
// An ICC profile turned into a LUT file in one call, as "vorn-lut icc2lut" and the window's
// ICC conversion do it; imaging/IccToLut.h has the steps (the chain, the sampling).

#include <string>

#include "core/VornLut.h"
#include "core/WorkProgress.h"
#include "platform/Export.h"

namespace vorn {

struct TIccToLutJob {
  std::string IccPath;
  std::string SecondPath;  // "" for the standard sRGB profile
  bool Invert = false;
  const TLutOutputProfile* Output = nullptr;
  int Size = 0;  // nodes per axis or table entries, before the caps
  int Bits = -1;
  std::string LutPath;
  // Whether an existing file at LutPath may be replaced.
  TWriteMode Mode = TWriteMode::Replace;
};

// The whole conversion: chain, sample in the output's kind and size, SaveLut. A profile
// whose class builds no transform raises (NoTransformMessage) and writes nothing. progress
// hears the sampling, as SampleTransform tells it.
VORN_API void ConvertIccToLut(const TIccToLutJob& job, const TProgressCallback& progress = {});

}  // namespace vorn
