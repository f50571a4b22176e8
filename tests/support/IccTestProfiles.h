#pragma once
// ICC profiles made by LittleCMS for the tests, written into a folder: one per device class
// and a few that LittleCMS cannot build a transform from.

#include <string>

namespace vorn::test {

enum class TTestProfile {
  Display,           // 'mntr' matrix/TRC, wide primaries and gamma 2.2 (version 2)
  DisplayV4,         // the same as version 4
  Input,             // 'scnr' matrix/TRC, invertible
  InputForwardOnly,  // 'scnr' with only a device-to-PCS table: cannot be inverted
  Output,            // 'prtr' RGB matrix/TRC
  DeviceLink,        // 'link' RGB to RGB, from the display profile to sRGB
  Abstract,          // 'abst' Lab to Lab
  NamedColor,        // 'nmcl'
  ColorSpace,        // 'spac'
  GrayDisplay,       // 'mntr' but grey: no RGB transform can be built
};

// Writes the profile as dir/name and returns the path.
std::string WriteTestProfile(const std::string& dir, const std::string& name, TTestProfile kind);

}  // namespace vorn::test
