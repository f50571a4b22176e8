#include "cli/ProfileChoice.h"

#include <charconv>
#include <climits>
#include <string_view>

#include "cli/Args.h"
#include "cli/Choice.h"

namespace vorn::cli {

namespace {

constexpr std::string_view kListProfilesHint = " (run 'vorn-lut profiles' to list them)";

bool IsUnsignedDecimal(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Decimal digits to int; values past the int range saturate.
int ParseSaturated(std::string_view digits) {
  long long value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec == std::errc::result_out_of_range || value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

}  // namespace

const TLutOutputProfile& FindOutputProfile(const std::string& text) {
  const auto& profiles = OutputProfiles();
  TChoiceList list{"--profile", "output profile", true, std::string(kListProfilesHint), {}};
  for (const auto& profile : profiles)
    list.Entries.push_back({profile->Name, {profile->Extension}});
  return *profiles[MatchChoice(list, text)];
}

int ResolveSizeOption(const std::optional<std::string>& size, const TLutOutputProfile& profile) {
  if (!size) return profile.DefaultSize;
  if (!profile.SizeSelectable) {
    throw EUsageError("the output profile '" + profile.Name + "' has a fixed size of " +
                      std::to_string(profile.DefaultSize) + "; --size cannot be used with it");
  }
  std::string_view digits = *size;
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  if (!IsUnsignedDecimal(digits)) {
    if (!digits.empty() && digits[0] == '-' && IsUnsignedDecimal(digits.substr(1))) {
      throw EUsageError("--size must be at least 2, got " + *size);
    }
    throw EUsageError("--size needs a whole number, got '" + *size + "'");
  }
  const int value = ParseSaturated(digits);
  if (value < 2) throw EUsageError("--size must be at least 2, got " + *size);
  return value;
}

int ResolveBitsOption(const std::optional<std::string>& bits, const TLutOutputProfile& profile) {
  if (!bits) return -1;
  if (!profile.BitsSelectable) {
    throw EUsageError("the output profile '" + profile.Name +
                      "' has a fixed bit depth; --bits cannot be used with it");
  }
  return ParseBitDepth("--bits", *bits);
}

}  // namespace vorn::cli
