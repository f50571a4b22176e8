#pragma once
// The bit depths offered for the integer values of a written LUT and for a source file's
// own depth: the window's menus and the command line's --bits and --input-bits take these.

#include <array>
#include <string>

namespace vorn {

inline constexpr std::array<int, 5> kOfferedBitDepths = {8, 10, 12, 14, 16};

// "8, 10, 12, 14 or 16", for messages.
inline std::string OfferedBitDepthsText() {
  std::string text;
  for (std::size_t i = 0; i < kOfferedBitDepths.size(); ++i) {
    if (i > 0) text += i + 1 == kOfferedBitDepths.size() ? " or " : ", ";
    text += std::to_string(kOfferedBitDepths[i]);
  }
  return text;
}

}  // namespace vorn
