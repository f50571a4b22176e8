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
  std::string Icc;
  std::string Output;
};

struct TLut2IccOptions {
  std::string Class;  // "display", "input" or "link"
  std::optional<std::string> Description;
  std::string Copyright = "Copyright (c)";
  bool CaptureOneGamma = false;
  bool Overwrite = false;
  std::string Lut;
  std::string Output;
};

struct TMergeOptions {
  std::string Profile;
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  bool Overwrite = false;
  std::string Output;
  std::vector<std::string> Files;  // applied in this order
};

}  // namespace vorn::cli
