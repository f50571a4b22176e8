// Loads a LUT of any format the library reads, prints what it holds and writes it through
// another output profile, chosen by name:
//   describe-lut INPUT "OUTPUT PROFILE" OUTPUT
// Run without arguments, it lists the output profiles.

#include <vornlut/VornLut.h>

#include <iostream>
#include <string>

namespace {

const vorn::TLutOutputProfile* FindProfile(const std::string& name) {
  for (const auto& profile : vorn::OutputProfiles()) {
    if (profile->Name == name) return profile.get();
  }
  return nullptr;
}

void Describe(const vorn::TLUT& lut) {
  std::cout << "Format: " << vorn::GetFormat(lut.FormatIndex)->Name << '\n';
  std::cout << "Kind: " << vorn::LutKindName(lut.Kind) << '\n';
  if (lut.HasTable()) std::cout << "Entries: " << lut.Size1D << '\n';
  if (lut.HasGrid()) std::cout << "Nodes per axis: " << lut.Size3D << '\n';
  for (const std::string& comment : lut.Comments) std::cout << "Comment: " << comment << '\n';
}

// The LUT keeps its own size when the profile writes its kind; otherwise it is sampled at
// the profile's default size.
int OutputSize(const vorn::TLUT& lut, const vorn::TLutOutputProfile& profile) {
  const bool writes3D = vorn::GetFormat(profile.FormatIndex)->Is3D;
  if (writes3D && lut.HasGrid()) return lut.Size3D;
  if (!writes3D && lut.HasTable()) return lut.Size1D;
  return profile.DefaultSize;
}

int Usage() {
  std::cerr << "Usage: describe-lut INPUT \"OUTPUT PROFILE\" OUTPUT\n"
            << "libvornlut " << vorn::LibraryVersion() << ", output profiles:\n";
  for (const auto& profile : vorn::OutputProfiles()) std::cerr << "  " << profile->Name << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  vorn::RegisterBuiltInFormats();
  if (argc != 4) return Usage();
  const std::string input = argv[1];
  const std::string output = argv[3];
  const vorn::TLutOutputProfile* profile = FindProfile(argv[2]);
  if (!profile) {
    std::cerr << "No output profile is named \"" << argv[2] << "\".\n";
    return Usage();
  }
  try {
    vorn::TLUT lut;
    for (const vorn::TLoadWarning& warning : vorn::LoadLutFile(input, lut).Warnings) {
      std::cerr << "warning: " << warning.Message << '\n';
    }
    Describe(lut);
    vorn::ConvertFile(input, output, lut.FormatIndex, *profile, OutputSize(lut, *profile), -1);
    std::cout << "Written: " << output << " (" << profile->Name << ")\n";
    return 0;
  } catch (const vorn::Exception& error) {
    std::cerr << vorn::LineText(vorn::ReportError(error, input)) << '\n';
    return 1;
  }
}
