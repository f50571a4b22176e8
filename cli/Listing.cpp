// The registry listings: one header line, then one tab-separated line per entry.

#include <string_view>

#include "cli/Commands.h"
#include "core/LUTFormat.h"

namespace vorn::cli {

namespace {

bool Reads(const TLUTFormat& format) {
  return format.CanRead();
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
