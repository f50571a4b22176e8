#pragma once
// Imageworks' matrix file (.spimtx): a 3x4 matrix in twelve numbers, three rows of
// "m0 m1 m2 offset", each offset in 16-bit codes (a code c adds c / 65535). Read only; the
// matrix is sampled onto a grid of TLoadContext::SampleSize nodes per axis.

#include <string>

#include "formats/FormatToolkit.h"

namespace vorn {

class TImageworksMatrixFormat : public TLUTFormat {
 public:
  static constexpr double OffsetScale = 65535.0;

  TImageworksMatrixFormat() : TLUTFormat("Imageworks SPI Matrix", true, TFormatAccess::ReadOnly) {}

  // A .spimtx file whose text is twelve numbers, laid out in any blanks and line breaks.
  bool IsFormat(const std::string& path) const override;
  // A 3D record sampled from the matrix, with a comment line that says so. Another count
  // of numbers, a word that is not one, or factors so large that a node overflows raise
  // ELUTError.
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;
};

}  // namespace vorn
