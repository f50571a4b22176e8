#pragma once
// Separable picture resampling with integer contributor weights: a horizontal pass into
// an intermediate picture, then a vertical pass into the target.
//
// Numerics: kernels work in single precision; the scale of an axis is
// (target - 1) / (source - 1) in single precision, or target / source when either size is 1.
// Target pixel i is centred on source position i / scale. Each source pixel j within the
// support gets the weight Round(kernel(centre - j) * 256) when enlarging or keeping the size,
// and Round(kernel((centre - j) * scale) * scale * 256) when shrinking (halves to even, the
// products formed in double from the single-precision values). Positions outside the line
// are mirrored: -j below 0, 2 * size - 1 - j at or past the end, repeatedly until the
// position lies inside (lines shorter than the kernel's reach), so every contributor reads
// a pixel of the line.

#include <vector>

#include "core/Bitmap.h"

namespace vorn {

enum TResizeFilter {
  rfBox = 0,
  rfTriangle = 1,
  rfHermite = 2,
  rfBell = 3,
  rfBSpline = 4,
  rfLanczos3 = 5,
  rfMitchell = 6
};

// The kernel value at signed distance x (in source pixels); throws vorn::Exception for a
// value outside TResizeFilter.
float FilterKernel(TResizeFilter filter, float x);
// The support the filter uses when it is given 0; it is also the distance beyond which the
// kernel is 0. Throws vorn::Exception for a value outside TResizeFilter.
float DefaultSupport(TResizeFilter filter);

struct TContributor {
  int Weight = 0;  // kernel value times 256, rounded; never 0
  int Pixel = 0;   // source pixel index, always inside the line
  bool operator==(const TContributor&) const = default;
};
using TContributors = std::vector<TContributor>;

// The source pixels that make up one target pixel, in the order of their source positions
// before mirroring.
struct TContributorEntry {
  TContributors Contributors;
  int Count() const { return static_cast<int>(Contributors.size()); }
};
using TContributorList = std::vector<TContributorEntry>;

// One entry per target pixel of a line of sourceSize pixels resampled to targetSize pixels.
// Empty when either size is 0 or less. A support that is not above 0 (or not a number)
// means the filter's default support.
TContributorList BuildContributors(int sourceSize, int targetSize, TResizeFilter filter,
                                   float support);

// target becomes newWidth x newHeight (black), then is filled from source; support 0 = the
// filter's default support. A size of 0 or less leaves the target empty; an empty source
// leaves it black. target and source may be the same picture.
void Stretch(int newWidth, int newHeight, TResizeFilter filter, TBitmap24& target,
             const TBitmap24& source, float support);

// Fills target, whose size is already set, from source; does nothing when either is empty.
// target and source may be the same picture.
void Resample(TResizeFilter filter, const TBitmap24& source, TBitmap24& target, float support);

struct TPictureSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TPictureSize&) const = default;
};

// The size that fits the box keeping the proportions; never enlarges. The scale is the
// smaller of the two single-precision quotients box / source; the sizes are rounded to the
// nearest integer, halves to even. A source without area is returned as it is (negative
// sizes as 0); a box without area gives 0 x 0.
TPictureSize FitSize(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight);

}  // namespace vorn
