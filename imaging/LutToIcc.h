#pragma once
// LUTs to ICC profiles. The written profile carries the LUT's mapping measured against the
// standard sRGB profile (GetSRGBProfileName), so that turning it back into a LUT with the
// ICC-to-LUT rules gives the LUT again:
// - Input: the transform from the profile to sRGB maps every colour as the LUT does; the
//   profile's other direction (sRGB to the profile) is the LUT's inverse.
// - Display: the transform from sRGB to the profile maps as the LUT does; the other
//   direction is the inverse.
// - Device Link: the link maps as the LUT does.
// Profiles are ICC version 2.4 with lut16Type tables (readable by every ICC reader, v2-only
// ones such as ArgyllCMS included), perceptual rendering intent, a description and a
// copyright text. A Display profile holds the same tables for the relative colorimetric
// intent (AToB1 and BToA1 share the data of AToB0 and BToA0); an Input profile leaves them out
// on purpose, and a device link holds AToB0 alone, the intent of its header. docs/icc.md has
// what other colour managers make of the profiles and why: in a perceptual chain into a
// version 4 output profile, or in a perceptual chain with black-point compensation asked
// for, an Input profile loses a lifted black, as the ICC rules map the profile's black onto
// the output's black; and LittleCMS's precalculated integer transforms put a LUT's dimmed
// white back at white, whatever the class.
//
// "Adjust Gamma for Capture One": Capture One hands an ICC profile device values coded with
// a gamma of 1.8 rather than sRGB's curve. With the option the profile's device side takes
// and gives values in that coding: a device value d is decoded with the 1.8 gamma table
// (1024 entries of (i / 1023)^1.8, linear interpolation between them) and re-coded with the
// sRGB curve before the LUT sees it, and the LUT's output is decoded with the sRGB curve and
// re-coded through the inverse of the table before it leaves as a device value. In sRGB
// coding the profile therefore still does exactly what the LUT does. The device side is the
// input of an Input profile, the output of a Display profile and both ends of a device link.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/VornLut.h"
#include "platform/Export.h"

namespace vorn {

enum class TLutIccClass { Display, Input, DeviceLink };

inline constexpr int kGammaTableSize = 1024;
using TGammaTable = std::array<std::uint16_t, kGammaTableSize>;

// Entry i is Round((i / 1023)^1.8 x 65535), halves to the even neighbour.
VORN_API TGammaTable MakeCaptureOneGammaTable();

struct TLutToIccOptions {
  TLutIccClass Class = TLutIccClass::Input;
  std::string Description;
  std::string Copyright = "Copyright (c)";
  // The 1.8 gamma table when "Adjust Gamma for Capture One" is on; null when it is off.
  const TGammaTable* CaptureOneGamma = nullptr;
};

// The ICC file image of the LUT's mapping. Values the LUT puts outside [0, 1] are clamped.
VORN_API std::string BuildIccProfile(const TLUT& lut, const TLutToIccOptions& options);

// The warning for a LUT whose output values leave [0, 1], which a profile clips: "values
// from -0.1 to 2 were clipped to [0, 1] in the ICC profile." (the lowest and highest
// values); none for a LUT within [0, 1].
std::optional<TLoadWarning> ClippedValuesWarning(const std::string& lutPath, const TLUT& lut);

// Loads the LUT (format detected from the file), builds its profile and writes it. A LUT
// that cannot be read, or holds no LUT data (RequireLutData), raises its error and nothing
// is written; onWarning hears the load's warnings and then ClippedValuesWarning's (a
// handler that raises, as --strict does, stops the conversion before anything is written).
// inputBits is the LUT file's own bit depth where it does not state it (-1: its format
// decides).
VORN_API void ConvertLutToIcc(const std::string& lutPath, const std::string& profilePath,
                              const TLutToIccOptions& options,
                              const TWarningHandler& onWarning = {},
                              TWriteMode mode = TWriteMode::Replace, int inputBits = -1);

}  // namespace vorn
