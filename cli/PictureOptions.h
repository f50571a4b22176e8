#pragma once
// Options of the picture commands "hald" and "apply", as typed and checked by the parser.

#include <optional>
#include <string>

namespace vorn::cli {

// The picture types the command line writes, chosen by a name's extension or --format.
enum class TPictureType { Png, Bmp, Jpeg, Tiff };

struct THaldOptions {
  // From --format; without it the output name's extension decides, TIFF when it has none.
  // With Level: PNG or TIFF by the extension, PNG when it has none.
  std::optional<TPictureType> Type;
  // From --level (2 to 16): a standard Hald CLUT of that level instead of the Hald image.
  std::optional<int> Level;
  int Bits = 8;  // --bits 8 or 16, with --level only; 16 gives a 16-bit PNG
  bool Overwrite = false;
  bool Quiet = false;  // no result line (--quiet)
  std::string Output;
};

struct TFit {
  int Width = 0;
  int Height = 0;
};

struct TApplyOptions {
  int InputBits = -1;  // the LUT file's bits per color; -1 lets its format decide
  std::optional<TFit> Fit;
  bool Overwrite = false;
  bool Quiet = false;  // no result line (--quiet)
  std::string Lut;
  std::string Picture;
  std::string Output;
  TPictureType OutputType = TPictureType::Png;  // from the output's extension
};

}  // namespace vorn::cli
