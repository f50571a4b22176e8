#include "cli/PictureArgs.h"

#include <charconv>

#include "cli/Args.h"
#include "cli/Choice.h"
#include "cli/WordReader.h"
#include "imaging/HaldClut.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

// By name, any letter case, or an extension of the type ("jpeg", "tiff").
TPictureType ParseHaldFormat(const std::string& text) {
  const TChoiceList types{
      "--format", "picture type", false, "", {{"bmp", {}}, {"jpg", {"jpeg"}}, {"tif", {"tiff"}}}};
  constexpr TPictureType kTypes[] = {TPictureType::Bmp, TPictureType::Jpeg, TPictureType::Tiff};
  return kTypes[MatchChoice(types, text)];
}

const char* HaldExtensionOf(TPictureType type) {
  switch (type) {
    case TPictureType::Bmp:
      return ".bmp";
    case TPictureType::Jpeg:
      return ".jpg";
    default:
      return ".tif";
  }
}

// The one output of a picture command: --output, or else the last file.
bool ReadOutputOption(const std::string& word, TWordReader& reader, std::string& output) {
  if (!IsOption(word, "--output")) return false;
  output = reader.ValueOf(word, "--output");
  if (output.empty()) throw EUsageError("option --output needs a file name");
  if (output == kStandardOutput) {
    throw EUsageError(
        "a picture is binary and is not written to the standard output: name a "
        "file with -o FILE");
  }
  return true;
}

// A side of --fit: a whole number from 1 to 65535.
int ParseFitSide(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > 65535) {
    throw EUsageError("--fit needs two whole numbers from 1 to 65535, got '" + text + "'");
  }
  return value;
}

bool HasExtension(const std::string& path) {
  const std::string extension = ExtractFileExt(path);
  return !extension.empty() && extension != ".";
}

// A whole number from low to high, for option.
int ParseWholeNumber(const std::string& option, const std::string& text, int low, int high) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw EUsageError(option + " needs a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high) + ", got '" + text + "'");
  }
  return value;
}

// The standard Hald CLUT is written as PNG or TIFF, chosen by OUT's extension; a name
// without one gets ".png".
void CheckHaldClutOptions(THaldOptions& options, bool bitsGiven) {
  if (options.Type)
    throw EUsageError("--format cannot be used with --level: name OUT .png or .tif");
  if (!HasExtension(options.Output)) {
    if (!options.Output.empty() && options.Output.back() == '.') options.Output.pop_back();
    options.Output += ".png";
  }
  const std::optional<TPictureType> type = PictureTypeOfName(options.Output);
  if (type != TPictureType::Png && type != TPictureType::Tiff) {
    throw EUsageError("a Hald CLUT is written as PNG or TIFF: name '" + options.Output +
                      "' .png, .tif or .tiff");
  }
  if (bitsGiven && options.Bits != 8 && options.Bits != 16)
    throw EUsageError("--bits must be 8 or 16, got " + std::to_string(options.Bits));
  if (options.Bits == 16 && type == TPictureType::Tiff)
    throw EUsageError("--bits 16 needs a PNG: a Hald CLUT in TIFF is written with 8 bits");
  options.Type = type;
}

}  // namespace

std::optional<TPictureType> PictureTypeOfName(const std::string& path) {
  std::string extension = ExtractFileExt(path);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (extension == ".png") return TPictureType::Png;
  if (extension == ".bmp") return TPictureType::Bmp;
  if (extension == ".jpg" || extension == ".jpeg") return TPictureType::Jpeg;
  if (extension == ".tif" || extension == ".tiff") return TPictureType::Tiff;
  return std::nullopt;
}

THaldOptions ParseHald(const std::vector<std::string>& args, TGlobalOptions& globals) {
  THaldOptions options;
  bool bitsGiven = false;
  std::string output;
  std::vector<std::string> files =
      ReadWords(args, "hald", globals, [&](const std::string& word, TWordReader& reader) {
        if (ReadOutputOption(word, reader, output)) return true;
        if (IsOption(word, "--format")) {
          options.Type = ParseHaldFormat(reader.ValueOf(word, "--format"));
        } else if (IsOption(word, "--level")) {
          options.Level = ParseWholeNumber("--level", reader.ValueOf(word, "--level"),
                                           kMinHaldLevel, kMaxHaldLevel);
        } else if (IsOption(word, "--bits")) {
          options.Bits = ParseWholeNumber("--bits", reader.ValueOf(word, "--bits"), 1, 16);
          bitsGiven = true;
        } else if (word == "--overwrite") {
          options.Overwrite = true;
        } else {
          return false;
        }
        return true;
      });
  options.Output = TakeOutput(files, output, "hald", 0, "one output file", "no file");
  if (options.Level) {
    CheckHaldClutOptions(options, bitsGiven);
    return options;
  }
  if (bitsGiven) throw EUsageError("--bits is for a Hald CLUT: give --level too");
  // A name whose extension says another type would hold a picture that does not read back.
  if (options.Type && HasExtension(options.Output) &&
      PictureTypeOfName(options.Output) != options.Type) {
    throw EUsageError("--format does not match the extension of '" + options.Output +
                      "': name it " + HaldExtensionOf(*options.Type) + " or leave out --format");
  }
  // Without --format the name's extension chooses; one that is not a Hald image's would
  // give a file that does not read back as one.
  if (!options.Type && HasExtension(options.Output)) {
    const std::optional<TPictureType> type = PictureTypeOfName(options.Output);
    if (!type || *type == TPictureType::Png) {
      throw EUsageError("cannot tell the picture type of '" + options.Output +
                        "': name it .bmp, .jpg or .tif, or give --format");
    }
    options.Type = type;
  }
  return options;
}

TApplyOptions ParseApply(const std::vector<std::string>& args, TGlobalOptions& globals) {
  TApplyOptions options;
  std::string output;
  std::vector<std::string> files =
      ReadWords(args, "apply", globals, [&](const std::string& word, TWordReader& reader) {
        if (ReadOutputOption(word, reader, output)) return true;
        if (IsOption(word, "--input-bits")) {
          options.InputBits = ParseInputBits(reader.ValueOf(word, "--input-bits"));
        } else if (IsOption(word, "--fit")) {
          const int width = ParseFitSide(reader.ValueOf(word, "--fit"));
          const std::optional<std::string> height = reader.Take();
          if (!height) throw EUsageError("option --fit needs a width and a height");
          options.Fit = TFit{width, ParseFitSide(*height)};
        } else if (word == "--overwrite") {
          options.Overwrite = true;
        } else {
          return false;
        }
        return true;
      });
  options.Output = TakeOutput(files, output, "apply", 2, "a LUT, a picture and an output file",
                              "a LUT and a picture");
  options.Lut = files[0];
  options.Picture = files[1];
  const std::optional<TPictureType> type = PictureTypeOfName(options.Output);
  if (!type) {
    throw EUsageError("cannot tell the picture type of '" + options.Output +
                      "': name it .png, .bmp, .jpg, .jpeg, .tif or .tiff");
  }
  options.OutputType = *type;
  return options;
}

}  // namespace vorn::cli
