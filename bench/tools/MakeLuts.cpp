// Writes small LUT files with the program's own writers, through every registered output
// profile, so that a new format is covered the day it is registered:
//
//   vorn_make_luts seeds FOLDER         the fuzzer's seeds: each profile at two small sizes,
//                                       and each text file also cut in half, with CR LF
//                                       breaks and with an unreadable value line amid the
//                                       values (the readers' error paths)
//   vorn_make_luts mixed FOLDER COUNT   COUNT small files, the readable profiles in turn at
//                                       2, 3 or 5 nodes (1D: 4 to 64 entries), every tenth an
//                                       unknown text file: the detection benchmark
//   vorn_make_luts luts FOLDER COUNT    the same without unknown files: the load benchmark
//   vorn_make_luts icc FOLDER           the ICC fuzzer's seeds: a graded LUT written as a
//                                       profile of every class, with and without the
//                                       Capture One gamma, and the standard sRGB profile

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "formats/Registration.h"
#include "imaging/ICCLib.h"
#include "imaging/LutToIcc.h"
#include "platform/Files.h"

namespace {

using namespace vorn;

// A graded LUT of the profile's kind: every node or entry differs, one value leaves [0, 1].
void FillGraded(TLUT& lut, bool is3D, int size) {
  lut.Comments = {"seed for the fuzzer", "graded"};
  if (is3D) {
    lut.Kind = lk3D;
    lut.Size3D = size;
    const double top = size - 1.0;
    for (int r = 0; r < size; ++r)
      for (int g = 0; g < size; ++g)
        for (int b = 0; b < size; ++b)
          lut.SetNode(r, g, b, {std::pow(r / top, 0.9), 0.02 + 0.96 * g / top, 1.05 * b / top});
  } else {
    lut.Kind = lk1D;
    lut.Size1D = size;
    const double top = size - 1.0;
    for (int i = 0; i < size; ++i) {
      lut.SetEntry(i, {std::pow(i / top, 0.8), i / top, std::pow(i / top, 1.2)});
    }
  }
}

bool IsText(const std::string& data) {
  for (unsigned char c : data) {
    if (c == 0 || (c < 32 && c != '\n' && c != '\r' && c != '\t')) return false;
  }
  return true;
}

// Cut in half, CR LF breaks, and "nan 0 0" in place of the middle line.
void WriteVariants(const std::string& path, const std::string& data) {
  const std::string stem = ChangeFileExt(path, "");
  const std::string ext = ExtractFileExt(path);
  WriteWholeFile(stem + "-half" + ext, data.substr(0, data.size() / 2));
  std::string crlf;
  for (char c : data) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  WriteWholeFile(stem + "-crlf" + ext, crlf);
  const std::size_t middle = data.find('\n', data.size() / 2);
  const std::size_t next = middle == std::string::npos ? middle : data.find('\n', middle + 1);
  if (next != std::string::npos) {
    WriteWholeFile(stem + "-nan" + ext, data.substr(0, middle + 1) + "nan 0 0" + data.substr(next));
  }
}

void Write(TLUT& lut, const std::string& path, const TLutOutputProfile& profile, int size) {
  const TLUTFormat& format = *GetFormat(profile.FormatIndex);
  FillGraded(lut, format.Is3D, size);
  SaveLut(path, lut, profile, -1);
}

std::string ProfilePath(const std::string& folder, std::size_t index, const std::string& tag,
                        const TLutOutputProfile& profile) {
  return folder + "/profile-" + std::to_string(index) + "-" + tag + "." + profile.Extension;
}

int WriteSeeds(const std::string& folder) {
  TLUT lut;
  int written = 0;
  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    const TLutOutputProfile& profile = *OutputProfiles()[i];
    const bool is3D = GetFormat(profile.FormatIndex)->Is3D;
    for (const int size : {is3D ? 2 : 4, is3D ? 5 : 33}) {
      const std::string path = ProfilePath(folder, i, std::to_string(size), profile);
      Write(lut, path, profile, size);
      const std::string data = ReadWholeFile(path);
      if (IsText(data)) WriteVariants(path, data);
      ++written;
    }
  }
  return written;
}

int WriteMixed(const std::string& folder, int count, bool withUnknown) {
  // The profiles whose files detection recognises (a Dolby DD3 file is read only when its
  // format is named).
  std::vector<std::size_t> readable;
  TLUT lut;
  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    const TLutOutputProfile& profile = *OutputProfiles()[i];
    if (!GetFormat(profile.FormatIndex)->CanRead()) continue;
    const std::string probe = ProfilePath(folder, i, "probe", profile);
    Write(lut, probe, profile, GetFormat(profile.FormatIndex)->Is3D ? 2 : 4);
    if (DetectFormat(probe) == profile.FormatIndex) readable.push_back(i);
    std::filesystem::remove(probe);
  }
  if (readable.empty()) throw std::runtime_error("no output profile writes a readable format");
  for (int n = 0; n < count; ++n) {
    if (withUnknown && n % 10 == 9) {
      WriteWholeFile(folder + "/unknown-" + std::to_string(n) + ".txt",
                     "not a LUT of any kind\n1 2 3\n");
      continue;
    }
    const std::size_t index = readable[static_cast<std::size_t>(n) % readable.size()];
    const TLutOutputProfile& profile = *OutputProfiles()[index];
    const bool is3D = GetFormat(profile.FormatIndex)->Is3D;
    // Grid sizes every writer takes (Lustre 3D writes 2^A + 1 nodes only).
    const int size = is3D ? 1 + (1 << (n % 3)) : 4 << (n % 5);
    Write(lut, ProfilePath(folder, index, std::to_string(n), profile), profile, size);
  }
  return count;
}

int WriteIccSeeds(const std::string& folder) {
  TLUT lut;
  FillGraded(lut, true, 5);
  const TGammaTable gamma = MakeCaptureOneGammaTable();
  int written = 0;
  for (const auto& [name, kind] :
       {std::pair{"display", TLutIccClass::Display}, std::pair{"input", TLutIccClass::Input},
        std::pair{"link", TLutIccClass::DeviceLink}}) {
    for (const TGammaTable* table : {static_cast<const TGammaTable*>(nullptr), &gamma}) {
      TLutToIccOptions options;
      options.Class = kind;
      options.Description = std::string("seed ") + name;
      options.CaptureOneGamma = table;
      const std::string path =
          folder + "/" + name + (table != nullptr ? "-capture-one" : "") + ".icc";
      WriteWholeFile(path, BuildIccProfile(lut, options));
      ++written;
    }
  }
  WriteWholeFile(folder + "/srgb.icc", ReadWholeFile(GetSRGBProfileName()));
  return written + 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!(((mode == "seeds" || mode == "icc") && argc == 3) ||
        ((mode == "mixed" || mode == "luts") && argc == 4))) {
    std::fprintf(stderr,
                 "usage: vorn_make_luts seeds FOLDER | icc FOLDER | mixed FOLDER COUNT | "
                 "luts FOLDER COUNT\n");
    return 2;
  }
  const std::string folder = argv[2];
  try {
    std::filesystem::create_directories(folder);
    RegisterBuiltInFormats();
    const int written = mode == "seeds" ? WriteSeeds(folder)
                        : mode == "icc" ? WriteIccSeeds(folder)
                                        : WriteMixed(folder, std::atoi(argv[3]), mode == "mixed");
    std::printf("vorn_make_luts: %d files from %zu output profiles in %s\n", written,
                OutputProfiles().size(), folder.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vorn_make_luts: %s\n", error.what());
    return 1;
  }
  return 0;
}
