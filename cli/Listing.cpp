// The registry listings: one header line, then one tab-separated line per entry.

#include <array>
#include <string_view>

#include "cli/Commands.h"
#include "core/LUTFormat.h"

namespace vorn::cli {

namespace {

// Formats that only write: their detection never claims a file. The registry has no
// flag for this, so the list lives here.
constexpr std::array<std::string_view, 5> kWriteOnlyFormats = {
    "Nucoda 1D", "Cine-tal 1D", "Shake 1D", "Adobe Primeire Look", "OBS 3D"};

bool Reads(const TLUTFormat& format) {
  for (std::string_view name : kWriteOnlyFormats) {
    if (format.Name == name) return false;
  }
  return true;
}

// A format writes when some output profile names it.
bool Writes(int formatIndex) {
  for (const auto& profile : OutputProfiles()) {
    if (profile->FormatIndex == formatIndex) return true;
  }
  return false;
}

std::string_view YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

void ListFormats(TOutputBuffer& out) {
  out << "Number\tName\tType\tReads\tWrites\n";
  const auto& formats = LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const TLUTFormat& format = *formats[i];
    const int index = static_cast<int>(i);
    out << index << '\t' << format.Name << '\t' << (format.Is3D ? "3D" : "1D") << '\t'
        << YesNo(Reads(format)) << '\t' << YesNo(Writes(index)) << '\n';
  }
}

void ListProfiles(TOutputBuffer& out) {
  out << "Number\tName\tExtension\tDefaultSize\tDefaultBits\tSizeSelectable\tBitsSelectable\n";
  const auto& profiles = OutputProfiles();
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const TLutOutputProfile& profile = *profiles[i];
    out << static_cast<int>(i) << '\t' << profile.Name << '\t' << profile.Extension << '\t'
        << profile.DefaultSize << '\t' << profile.DefaultBits << '\t'
        << YesNo(profile.SizeSelectable) << '\t' << YesNo(profile.BitsSelectable) << '\n';
  }
}

}  // namespace vorn::cli
