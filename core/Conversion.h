#pragma once
// The per-file conversion pipeline shared by the desktop batch and the command line:
// load with detection, resample into a record of the profile's kind and size, save.

#include <string>

#include "core/LUTFormat.h"

namespace vorn {

inline constexpr int kMaxOutputSize3D = 99;
inline constexpr int kMaxOutputSize1D = 99999;

// The size text of the conversion: "Default", an empty or unreadable text give the
// profile's default size; otherwise the number.
int ResolveOutputSize(const std::string& sizeText, const TLutOutputProfile& profile);

// Output folder + "/" + file name with its last extension replaced by the profile's.
std::string OutputPathFor(const std::string& outputFolder, const std::string& fileName,
                          const TLutOutputProfile& profile);

// Loads source (format detected again with -1), resamples it to the profile's kind and
// the given size (capped at 99 nodes per axis or 99,999 entries) and saves it with the
// bits (-1 = the profile's default). A source that no format claims raises an error
// that names it. Sizes below 2 raise an error before anything is read or written.
void ConvertFile(const std::string& source, const std::string& destination, int formatIndex,
                 const TLutOutputProfile& profile, int size, int bits);

}  // namespace vorn
