#pragma once
// Command-line parsing of vorn-lut. Parsing only looks at the words; checks that need the
// format registry (profile names, selectable size and bits) happen in the commands.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::cli {

// A command line that cannot be run as written; the program exits with status 2.
class EUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TCommand { Help, Version, Formats, Profiles, Info, Convert, Hald, Apply };

enum class TExistingPolicy { Refuse, Overwrite, Skip };

struct TInfoOptions {
  bool Values = false;
  std::vector<std::string> Files;
};

struct TConvertOptions {
  std::string Profile;  // a profile name or its number, as typed
  std::optional<std::string> Size;
  std::optional<std::string> Bits;
  std::string OutputDir;
  TExistingPolicy Existing = TExistingPolicy::Refuse;
  std::vector<std::string> Files;
};

// The picture types the command line writes, chosen by a name's extension or --format.
enum class TPictureType { Png, Bmp, Jpeg, Tiff };

struct THaldOptions {
  // From --format; without it the output name's extension decides, TIFF when it has none.
  std::optional<TPictureType> Type;
  std::string Output;
};

struct TFit {
  int Width = 0;
  int Height = 0;
};

struct TApplyOptions {
  int InputBits = -1;  // the LUT file's bits per color; -1 lets its format decide
  std::optional<TFit> Fit;
  std::string Lut;
  std::string Picture;
  std::string Output;
  TPictureType OutputType = TPictureType::Png;  // from the output's extension
};

struct TArguments {
  TCommand Command = TCommand::Help;
  // For Help: the command whose help is wanted (Help itself for the program's overview).
  TCommand HelpTopic = TCommand::Help;
  TInfoOptions Info;
  TConvertOptions Convert;
  THaldOptions Hald;
  TApplyOptions Apply;
};

// The picture type of a file name's extension (.png, .bmp, .jpg, .jpeg, .tif, .tiff, any
// case), or nothing.
std::optional<TPictureType> PictureTypeOfName(const std::string& path);

// True for "formats", "profiles", "info", "convert", "hald" and "apply".
bool IsCommandName(std::string_view word);

// args excludes the program name. Raises EUsageError.
TArguments ParseArguments(const std::vector<std::string>& args);

}  // namespace vorn::cli
