#pragma once
// ICC profiles to LUTs: the colour transformation that a profile describes, chained with a
// second colour space as its device class asks, rendered on a test picture or sampled on a
// grid (or along the grey axis) into a TLUT and saved through an output profile.

#include <optional>
#include <string>

#include "core/Bitmap.h"
#include "core/VornLut.h"
#include "core/WorkProgress.h"
#include "imaging/ICCLib.h"
#include "imaging/IccToLutJob.h"

namespace vorn {

// Input, display, output and device link profiles describe a transformation; colour space,
// abstract, named colour and unknown classes do not.
bool ClassBuildsTransform(TProfileClass profileClass);
// Input, display and output profiles are chained with a second colour space.
bool ClassTakesSecondProfile(TProfileClass profileClass);
// What to tell the user about a profile whose class builds no transform.
std::string NoTransformMessage(TProfileClass profileClass);

struct TIccChain {
  TProfileClass Class = 0;                    // of the ICC profile, also when inverted
  std::optional<TTransformHandle> Transform;  // none for a class that builds none
};

// Opens the second profile (secondPath when a file of that name exists, the standard sRGB
// profile otherwise), then the ICC profile, and builds the transform of the ICC profile's
// class, listing the profiles in the order colours flow:
//   display and output: second colour space to device; input: device to second colour
//   space; device link: the link alone. invert swaps the two profiles' places.
// Every profile is released when the call returns, also after an error. A device link
// cannot be inverted.
TIccChain BuildIccChain(const std::string& iccPath, const std::string& secondPath, bool invert);

// Renders the picture through the transform in place: an 8-bit value v enters as v << 8
// and the upper byte of each output channel is kept.
void PreviewTransform(const TTransformHandle& transform, TBitmap24& picture);

// Fills lut by sampling the transform: a 3D grid of size nodes per axis (above 99 taken as
// 99), node (r, g, b) from the input Round(r / (size - 1) x 65535) and so on, or a 1D
// table of size entries (above 99,999 taken as 99,999) from the grey inputs. Raises for a
// size below 2 before anything is sampled. progress hears the planes of red sampled (3D) or
// the entries (1D, every few thousand), on the calling thread.
void SampleTransform(const TTransformHandle& transform, bool is3D, int size, TLUT& lut,
                     const TProgressCallback& progress = {});

}  // namespace vorn
