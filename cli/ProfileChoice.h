#pragma once
// The output profile, size and bit depth of a command, checked against the registry as the
// dialogs check them: a size or a bit depth only where the profile lets the user choose.
// Failures raise EUsageError.

#include <optional>
#include <string>

#include "core/VornLut.h"

namespace vorn::cli {

// By number, name, extension or abbreviation (MatchChoice).
const TLutOutputProfile& FindOutputProfile(const std::string& text);
// The size to use: the profile's default without --size; the number (at least 2) otherwise.
int ResolveSizeOption(const std::optional<std::string>& size, const TLutOutputProfile& profile);
// -1 without --bits; 8, 10, 12, 14 or 16 otherwise.
int ResolveBitsOption(const std::optional<std::string>& bits, const TLutOutputProfile& profile);

}  // namespace vorn::cli
