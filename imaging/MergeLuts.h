#pragma once
// Merging LUTs: one 3D LUT whose node (r, g, b) holds the input passed through every listed
// LUT in list order (1D, 3D and 1D-and-3D sources alike, each evaluated as it interpolates
// on its own), saved through an output profile.

#include <string>
#include <vector>

#include "core/VornLut.h"
#include "platform/Export.h"

namespace vorn {

// Fills merged (3D, size nodes per axis) from the files in order. Every file is loaded
// (format detected) before this returns; a file that cannot be read raises its error with
// its name, a file no format claims or one that holds no LUT data (RequireLutData) raises
// an error that names it. Sizes below 2 raise.
// onWarning hears each file's load warnings. inputBits is the files' own bit depth where
// they do not state it (-1: their formats decide).
VORN_API void MergeLutFiles(const std::vector<std::string>& paths, int size, TLUT& merged,
                            const TWarningHandler& onWarning = {}, int inputBits = -1);

// MergeLutFiles with the size capped at 99, then SaveLut with the bits (-1 = the profile's
// default). Nothing is written when a file fails to load.
VORN_API void MergeLutsToFile(const std::vector<std::string>& paths,
                              const TLutOutputProfile& profile, int size, int bits,
                              const std::string& outputPath, const TWarningHandler& onWarning = {},
                              TWriteMode mode = TWriteMode::Replace, int inputBits = -1);

}  // namespace vorn
