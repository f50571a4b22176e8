// "icc2lut", "lut2icc" and "merge": the ICC and merge dialogs without their windows, with
// the dialogs' choices and rules. Options are checked before any file is written; an
// existing output file is replaced only with --overwrite.

#include <functional>
#include <optional>

#include "cli/Commands.h"
#include "cli/Messages.h"
#include "cli/ProfileChoice.h"
#include "cli/Progress.h"
#include "imaging/IccToLut.h"
#include "imaging/LutToIcc.h"
#include "imaging/MergeLuts.h"
#include "platform/Files.h"

namespace vorn::cli {

void RefuseExisting(const std::string& output, bool overwrite) {
  if (output.empty()) throw ECommandError("the output file name is empty");
  if (output.back() == '/' || DirectoryExists(output)) {
    throw ECommandError(output + ": is a folder, not a file");
  }
  if (!overwrite && EntryExists(output)) RaiseExisting(output);
  if (const std::string problem = OutputFolderProblem(output); !problem.empty()) {
    throw ECommandError(problem);
  }
}

void RaiseExisting(const std::string& output) {
  throw ECommandError(output + ": the file already exists (use --overwrite to replace it)");
}

namespace {

void RequireFile(const std::string& path) {
  if (DirectoryExists(path)) throw ECommandError(path + ": is a folder, not a file");
  if (!FileExists(path)) throw ECommandError(path + ": the file does not exist");
}

// The profile the program keeps in the user's cache is no file of the user's: messages call
// it by what it is.
std::string WithoutCachedProfilePath(std::string message) {
  std::string cached = GetSRGBProfileName();
  cached.insert(cached.begin(), '"');
  cached.push_back('"');
  for (std::size_t at = message.find(cached); at != std::string::npos; at = message.find(cached)) {
    message.replace(at, cached.size(), "the built-in sRGB profile");
  }
  return message;
}

// Runs action; its failure is reported against path (FileErrorLine).
void NamedAfter(const std::string& path, const std::function<void()>& action) {
  try {
    action();
  } catch (const EUsageError&) {
    throw;
  } catch (const ECommandError&) {
    throw;
  } catch (const EFileExists& taken) {
    RaiseExisting(taken.Path());
  } catch (const std::exception& error) {
    throw ECommandError(WithoutCachedProfilePath(FileErrorLine(error, path)));
  }
}

// What a colour space other than RGB is, for the message that refuses it.
std::string ColourSpaceWords(cmsColorSpaceSignature space) {
  switch (space) {
    case cmsSigGrayData:
      return "a gray profile describes one channel";
    case cmsSigCmykData:
      return "a CMYK profile describes four inks";
    case cmsSigLabData:
    case cmsSigXYZData:
      return "the profile's device colours are CIE colours, not RGB";
    default:
      return "the profile's device colours are not RGB";
  }
}

// A LUT maps RGB to RGB: the device side of the profile (both sides of a link) must be RGB.
void RequireRgbDevice(const std::string& path, const TProfileHandle& profile,
                      TProfileClass profileClass) {
  const cmsColorSpaceSignature input = cmsGetColorSpace(profile.Native());
  const cmsColorSpaceSignature output =
      profileClass == kClassLink ? cmsGetPCS(profile.Native()) : cmsSigRgbData;
  const cmsColorSpaceSignature other = input != cmsSigRgbData ? input : output;
  if (other == cmsSigRgbData) return;
  throw ECommandError(path + ": " + ColourSpaceWords(other) +
                      " and cannot become an RGB LUT: give an RGB profile");
}

const TLUTFormat& FormatOf(const TLutOutputProfile& profile) {
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  if (format == nullptr) {
    throw ECommandError("the output profile '" + profile.Name + "' has no LUT format");
  }
  return *format;
}

// A device link has one direction and no second colour space.
void CheckChainOptions(const TIcc2LutOptions& options) {
  TProfileClass profileClass = 0;
  NamedAfter(options.Icc, [&] {
    const TProfileHandle profile = OpenProfile(options.Icc);
    profileClass = GetProfileClass(profile);
    if (ClassBuildsTransform(profileClass)) RequireRgbDevice(options.Icc, profile, profileClass);
  });
  if (profileClass == kClassLink && options.Invert) {
    throw EUsageError(options.Icc + " is a device link profile: it has one direction, " +
                      "so --invert cannot be used with it");
  }
  if (profileClass == kClassLink && !options.Second.empty()) {
    throw EUsageError(options.Icc + " is a device link profile: it takes no second profile, " +
                      "so --second cannot be used with it");
  }
  if (!ClassBuildsTransform(profileClass)) {
    throw ECommandError(options.Icc + ": " + NoTransformMessage(profileClass));
  }
}

// "-o -": the file goes to a temporary folder first; a profile that writes a second file
// beside its output cannot go there.
std::optional<TStandardOutputFile> StandardOutputFor(const std::string& output,
                                                     const TLutOutputProfile& profile) {
  if (output != kStandardOutput) return std::nullopt;
  if (FormatOf(profile).WritesCompanion()) {
    throw EUsageError("the output profile '" + profile.Name +
                      "' writes a second file beside its output: name a file with -o FILE");
  }
  return std::make_optional<TStandardOutputFile>(profile.Extension);
}

TLutIccClass ClassOf(const std::string& text) {
  if (text == "display") return TLutIccClass::Display;
  if (text == "link") return TLutIccClass::DeviceLink;
  return TLutIccClass::Input;
}

}  // namespace

void IccToLutCommand(const TIcc2LutOptions& options, TOutputBuffer& out,
                     std::FILE* progressStream) {
  const TLutOutputProfile& profile = FindOutputProfile(options.Profile);
  FormatOf(profile);
  const int size = ResolveSizeOption(options.Size, profile);
  const int bits = ResolveBitsOption(options.Bits, profile);
  RequireFile(options.Icc);
  if (!options.Second.empty()) RequireFile(options.Second);
  const std::optional<TStandardOutputFile> standardOutput =
      StandardOutputFor(options.Output, profile);
  const std::string output = standardOutput ? standardOutput->Path() : options.Output;
  if (!standardOutput) RefuseExisting(output, options.Overwrite);
  CheckChainOptions(options);
  TBusyLine busy(progressStream, "sampling " + EscapeField(options.Icc), !options.Quiet);
  NamedAfter(options.Icc, [&] {
    ConvertIccToLut({options.Icc, options.Second, options.Invert, &profile, size, bits, output,
                     OutputWriteMode(options.Overwrite)},
                    busy.Progress());
  });
  if (standardOutput) {
    standardOutput->CopyTo(out, profile.Name);
  } else if (!options.Quiet) {
    out << "converted\t" << options.Icc << '\t' << options.Output << '\n';
  }
}

void LutToIccCommand(const TLut2IccOptions& options, TOutputBuffer& out,
                     const TWarningHandler& onWarning) {
  RequireFile(options.Lut);
  RefuseExisting(options.Output, options.Overwrite);
  const TGammaTable gamma = MakeCaptureOneGammaTable();
  TLutToIccOptions profile;
  profile.Class = ClassOf(options.Class);
  profile.Description =
      options.Description.value_or(ChangeFileExt(ExtractFileName(options.Lut), ""));
  profile.Copyright = options.Copyright;
  profile.CaptureOneGamma = options.CaptureOneGamma ? &gamma : nullptr;
  NamedAfter(options.Lut, [&] {
    ConvertLutToIcc(options.Lut, options.Output, profile, onWarning,
                    OutputWriteMode(options.Overwrite), options.InputBits);
  });
  if (!options.Quiet) out << "converted\t" << options.Lut << '\t' << options.Output << '\n';
}

void MergeCommand(const TMergeOptions& options, TOutputBuffer& out,
                  const TWarningHandler& onWarning) {
  const TLutOutputProfile& profile = FindOutputProfile(options.Profile);
  if (!FormatOf(profile).Is3D) {
    throw EUsageError("the output profile '" + profile.Name +
                      "' writes 1D LUTs; a merge is a 3D LUT, choose a 3D profile");
  }
  const int size = ResolveSizeOption(options.Size, profile);
  const int bits = ResolveBitsOption(options.Bits, profile);
  for (const std::string& file : options.Files) RequireFile(file);
  const std::optional<TStandardOutputFile> standardOutput =
      StandardOutputFor(options.Output, profile);
  const std::string output = standardOutput ? standardOutput->Path() : options.Output;
  if (!standardOutput) RefuseExisting(output, options.Overwrite);
  try {
    MergeLutsToFile(options.Files, profile, size, bits, output, onWarning,
                    OutputWriteMode(options.Overwrite), options.InputBits);
  } catch (const EFileExists& taken) {
    RaiseExisting(taken.Path());
  } catch (const std::exception& error) {
    throw ECommandError(FileErrorLine(error));
  }
  if (standardOutput) {
    standardOutput->CopyTo(out, profile.Name);
  } else if (!options.Quiet) {
    out << "merged\t" << options.Output << '\n';
  }
}

}  // namespace vorn::cli
