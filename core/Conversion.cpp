#include "core/Conversion.h"

#include <algorithm>

#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

int ResolveOutputSize(const std::string& sizeText, const TLutOutputProfile& profile) {
  if (sizeText == "Default") return profile.DefaultSize;
  std::int32_t size = 0;
  return TryStrToInt(sizeText, size) ? size : profile.DefaultSize;
}

std::string OutputPathFor(const std::string& outputFolder, const std::string& fileName,
                          const TLutOutputProfile& profile) {
  std::string name = ChangeFileExt(ExtractFileName(fileName), "." + profile.Extension);
  if (!outputFolder.empty() && outputFolder.back() == '/') return outputFolder + name;
  return outputFolder + "/" + name;
}

void ConvertFile(const std::string& source, const std::string& destination, int formatIndex,
                 const TLutOutputProfile& profile, int size, int bits) {
  if (size < 2) {
    throw Exception("The LUT size " + std::to_string(size) +
                    " is too small: a LUT needs at least 2 nodes or entries.");
  }
  const TLUTFormat* outputFormat = GetFormat(profile.FormatIndex);
  if (!outputFormat) throw Exception("The output \"" + profile.Name + "\" has no LUT format.");

  TLUT sourceLut;
  LoadLut(source, sourceLut, formatIndex);
  if (sourceLut.FormatIndex == -1) {
    throw ELUTError("\"" + source + "\" is not a LUT file of any known format.");
  }
  const TLutKind kind = outputFormat->Is3D ? lk3D : lk1D;
  const int cappedSize = std::min(size, outputFormat->Is3D ? kMaxOutputSize3D : kMaxOutputSize1D);
  const int sourceSize = outputFormat->Is3D ? sourceLut.Size3D : sourceLut.Size1D;
  if (sourceLut.Kind == kind && sourceSize == cappedSize) {
    // Resampling would copy every value unchanged: write the source itself.
    SaveLut(destination, sourceLut, profile, bits);
    return;
  }
  TLUT destinationLut;
  destinationLut.Kind = kind;
  if (outputFormat->Is3D) {
    destinationLut.Size3D = cappedSize;
  } else {
    destinationLut.Size1D = cappedSize;
  }
  destinationLut.ResampleFrom(sourceLut);
  SaveLut(destination, destinationLut, profile, bits);
}

}  // namespace vorn
