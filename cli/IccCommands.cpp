// "icc2lut", "lut2icc" and "merge": the ICC and merge dialogs without their windows, with
// the dialogs' choices and rules. Options are checked before any file is written; an
// existing output file is replaced only with --overwrite.

#include <functional>

#include "cli/Commands.h"
#include "cli/ProfileChoice.h"
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
}

void RaiseExisting(const std::string& output) {
  throw ECommandError(output + ": the file already exists (use --overwrite to replace it)");
}

namespace {

void RequireFile(const std::string& path) {
  if (DirectoryExists(path)) throw ECommandError(path + ": is a folder, not a file");
  if (!FileExists(path)) throw ECommandError(path + ": the file does not exist");
}

// Runs action; a failure that does not name path yet is reported against it.
void NamedAfter(const std::string& path, const std::function<void()>& action) {
  try {
    action();
  } catch (const EUsageError&) {
    throw;
  } catch (const EFileExists& taken) {
    RaiseExisting(taken.Path());
  } catch (const std::exception& error) {
    const std::string message = error.what();
    if (message.find(path) != std::string::npos) throw ECommandError(message);
    throw ECommandError(path + ": " + message);
  }
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
  NamedAfter(options.Icc, [&] { profileClass = GetProfileClass(OpenProfile(options.Icc)); });
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

TLutIccClass ClassOf(const std::string& text) {
  if (text == "display") return TLutIccClass::Display;
  if (text == "link") return TLutIccClass::DeviceLink;
  return TLutIccClass::Input;
}

}  // namespace

void IccToLutCommand(const TIcc2LutOptions& options, TOutputBuffer& out) {
  const TLutOutputProfile& profile = FindOutputProfile(options.Profile);
  FormatOf(profile);
  const int size = ResolveSizeOption(options.Size, profile);
  const int bits = ResolveBitsOption(options.Bits, profile);
  RequireFile(options.Icc);
  if (!options.Second.empty()) RequireFile(options.Second);
  RefuseExisting(options.Output, options.Overwrite);
  CheckChainOptions(options);
  NamedAfter(options.Icc, [&] {
    ConvertIccToLut({options.Icc, options.Second, options.Invert, &profile, size, bits,
                     options.Output, OutputWriteMode(options.Overwrite)});
  });
  out << "converted\t" << options.Icc << '\t' << options.Output << '\n';
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
                    OutputWriteMode(options.Overwrite));
  });
  out << "converted\t" << options.Lut << '\t' << options.Output << '\n';
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
  RefuseExisting(options.Output, options.Overwrite);
  try {
    MergeLutsToFile(options.Files, profile, size, bits, options.Output, onWarning,
                    OutputWriteMode(options.Overwrite));
  } catch (const EFileExists& taken) {
    RaiseExisting(taken.Path());
  } catch (const std::exception& error) {
    throw ECommandError(error.what());
  }
  out << "merged\t" << options.Output << '\n';
}

}  // namespace vorn::cli
