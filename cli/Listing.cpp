// The registry listings: one header line, then one tab-separated line per entry; or one
// JSON document.

#include <string_view>

#include "cli/Commands.h"
#include "cli/LutJson.h"
#include "core/VornLut.h"

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

TJson FormatsJson() {
  TJson formats = TJson::array();
  const auto& registered = LutFormats();
  for (std::size_t i = 0; i < registered.size(); ++i) {
    const TLUTFormat& format = *registered[i];
    const int index = static_cast<int>(i);
    TJson entry;
    entry["number"] = index;
    entry["name"] = format.Name;
    entry["type"] = format.Is3D ? "3D" : "1D";
    entry["reads"] = Reads(format);
    entry["writes"] = Writes(index);
    formats.push_back(std::move(entry));
  }
  return TJson{{"formats", std::move(formats)}};
}

TJson ProfilesJson() {
  TJson profiles = TJson::array();
  const auto& registered = OutputProfiles();
  for (std::size_t i = 0; i < registered.size(); ++i) {
    const TLutOutputProfile& profile = *registered[i];
    const TLUTFormat* format = GetFormat(profile.FormatIndex);
    TJson entry;
    entry["number"] = static_cast<int>(i);
    entry["name"] = profile.Name;
    entry["extension"] = profile.Extension;
    entry["format"] = format ? TJson(format->Name) : TJson(nullptr);
    entry["format_number"] = profile.FormatIndex;
    entry["type"] = format ? TJson(format->Is3D ? "3D" : "1D") : TJson(nullptr);
    entry["default_size"] = profile.DefaultSize;
    entry["default_bits"] = profile.DefaultBits;
    entry["size_selectable"] = profile.SizeSelectable;
    entry["bits_selectable"] = profile.BitsSelectable;
    profiles.push_back(std::move(entry));
  }
  return TJson{{"profiles", std::move(profiles)}};
}

}  // namespace

void ListFormats(const TListingOptions& options, TOutputBuffer& out) {
  if (options.Json) {
    AppendJson(FormatsJson(), out);
    return;
  }
  out << "Number\tName\tType\tReads\tWrites\n";
  const auto& formats = LutFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const TLUTFormat& format = *formats[i];
    const int index = static_cast<int>(i);
    out << index << '\t' << format.Name << '\t' << (format.Is3D ? "3D" : "1D") << '\t'
        << YesNo(Reads(format)) << '\t' << YesNo(Writes(index)) << '\n';
  }
}

void ListProfiles(const TListingOptions& options, TOutputBuffer& out) {
  if (options.Json) {
    AppendJson(ProfilesJson(), out);
    return;
  }
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
