#pragma once
// Options of the ICC and merge commands, as typed; checks that need the format registry or
// the files happen when the command runs.

#include <optional>
#include <string>
#include <vector>

namespace vorn::cli {

struct TIcc2LutOptions {
  std::string Profile;  // output profile name or number
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  std::string Second;  // "" for the standard sRGB profile
  bool Invert = false;
  bool Overwrite = false;
  bool Quiet = false;  // no result line (--quiet)
  std::string Icc;
  std::string Output;  // "-" for standard output
};

struct TLut2IccOptions {
  std::string Class;   // "display", "input" or "link"
  int InputBits = -1;  // the LUT file's bits per color; -1 lets its format decide
  std::optional<std::string> Description;
  std::string Copyright = "Copyright (c)";
  bool CaptureOneGamma = false;
  bool Overwrite = false;
  bool Quiet = false;  // no result line (--quiet)
  std::string Lut;
  std::string Output;
};

struct TMergeOptions {
  std::string Profile;
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  int InputBits = -1;  // the files' bits per color; -1 lets their formats decide
  bool Overwrite = false;
  bool Quiet = false;              // no result line (--quiet)
  std::string Output;              // "-" for standard output
  std::vector<std::string> Files;  // applied in this order
};

}  // namespace vorn::cli
