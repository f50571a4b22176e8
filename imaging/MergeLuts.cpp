#include "imaging/MergeLuts.h"

#include <algorithm>
#include <memory>

#include "core/VornLut.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

[[noreturn]] void Prefixed(const std::string& path, const std::exception& error) {
  const std::string message = error.what();
  if (message.find(path) != std::string::npos) throw;
  throw Exception("\"" + path + "\": " + message);
}

}  // namespace

void MergeLutFiles(const std::vector<std::string>& paths, int size, TLUT& merged,
                   const TWarningHandler& onWarning, int inputBits) {
  if (size < 2) {
    throw Exception("The LUT size " + IntToStr(size) +
                    " is too small: a LUT needs at least 2 nodes per axis.");
  }
  if (paths.empty()) throw Exception("There are no LUT files to merge.");
  merged.Kind = lk3D;
  merged.Size3D = size;
  merged.Comments.clear();
  const double step = 1.0 / (size - 1);
  for (int r = 0; r < size; ++r) {
    for (int g = 0; g < size; ++g) {
      for (int b = 0; b < size; ++b) merged.SetNode(r, g, b, {r * step, g * step, b * step});
    }
  }
  // One source record at a time: each LUT is applied to every node before the next loads.
  auto source = std::make_unique<TLUT>();
  for (const std::string& path : paths) {
    try {
      ReportWarnings(LoadLut(path, *source, -1, inputBits), onWarning);
      if (source->FormatIndex == -1) throw ELUTError(NotALutMessage(path));
      RequireLutData(*source, path);
    } catch (const std::exception& error) {
      Prefixed(path, error);
    }
    merged.Comments.push_back("Merged: " + ExtractFileName(path));
    for (int r = 0; r < size; ++r) {
      for (int g = 0; g < size; ++g) {
        for (int b = 0; b < size; ++b) {
          merged.SetNode(r, g, b, source->Evaluate(merged.GetNode(r, g, b)));
        }
      }
    }
  }
}

void MergeLutsToFile(const std::vector<std::string>& paths, const TLutOutputProfile& profile,
                     int size, int bits, const std::string& outputPath,
                     const TWarningHandler& onWarning, TWriteMode mode, int inputBits) {
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  if (format == nullptr || !format->Is3D) {
    throw Exception("The output \"" + profile.Name + "\" is not a 3D LUT format.");
  }
  auto merged = std::make_unique<TLUT>();
  MergeLutFiles(paths, std::min(size, kMaxOutputSize3D), *merged, onWarning, inputBits);
  SaveLut(outputPath, *merged, profile, bits, {}, mode);
}

}  // namespace vorn
