// "hald" writes the identity Hald image as the window's button does; "apply" maps a picture
// through a LUT as the preview does and writes the result, a PNG or TIFF of 16 bits per
// channel at 16 bits when written as PNG or TIFF. An existing output file is replaced only
// with --overwrite.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/Messages.h"
#include "cli/Progress.h"
#include "codecs/Pictures.h"
#include "core/VornLut.h"
#include "imaging/HaldClut.h"
#include "imaging/HaldImage.h"
#include "imaging/ImageResize2.h"

namespace vorn::cli {

namespace {

constexpr int kApplyJpegQuality = 95;

THaldFileType HaldFileType(TPictureType type) {
  switch (type) {
    case TPictureType::Bmp:
      return THaldFileType::Bitmap;
    case TPictureType::Jpeg:
      return THaldFileType::Jpeg;
    case TPictureType::Png:
    case TPictureType::Tiff:
      break;
  }
  return THaldFileType::Tiff;
}

// Runs step and turns its failure into a command error that names path.
template <class Step>
auto Naming(const std::string& path, Step&& step) {
  try {
    return step();
  } catch (const EFileExists& taken) {
    RaiseExisting(taken.Path());
  } catch (const std::exception& error) {
    throw ECommandError(FileErrorLine(error, path));
  }
}

void LoadLutToApply(const TApplyOptions& options, TLUT& lut, const TWarningHandler& onWarning) {
  Naming(options.Lut,
         [&] { ReportWarnings(LoadLut(options.Lut, lut, -1, options.InputBits), onWarning); });
  if (lut.FormatIndex == -1)
    throw ECommandError(options.Lut + ": no LUT format recognises the file");
  Naming(options.Lut, [&] { RequireLutData(lut, options.Lut); });
}

// The picture as the preview takes it: decoded (a JPEG at a reduced scale when that still
// covers the box) and fitted into the box with Lanczos3, never enlarged.
TBitmap24 LoadPictureToApply(const TApplyOptions& options) {
  if (!options.Fit)
    return Naming(options.Picture, [&] { return LoadPicture(options.Picture).Bitmap; });
  const TFit& box = *options.Fit;
  TBitmap24 picture = Naming(options.Picture, [&] {
    return LoadPictureForPreview(options.Picture, box.Width, box.Height).Bitmap;
  });
  const TPictureSize size = FitSize(picture.Width(), picture.Height(), box.Width, box.Height);
  TBitmap24 fitted;
  Stretch(size.Width, size.Height, rfLanczos3, fitted, picture, 0.0f);
  return fitted;
}

void SavePicture(const std::string& path, TPictureType type, const TBitmap24& picture,
                 TWriteMode mode) {
  switch (type) {
    case TPictureType::Png:
      SavePng(path, picture, mode);
      return;
    case TPictureType::Bmp:
      SaveBmp(path, picture, mode);
      return;
    case TPictureType::Jpeg:
      SaveJpeg(path, picture, kApplyJpegQuality, TChromaSubsampling::None, mode);
      return;
    case TPictureType::Tiff:
      SaveTiff(path, picture, mode);
      return;
  }
}

// JPEG to JPEG at full size never holds the whole picture: the same bytes, sooner.
bool MapsJpegInBands(const TApplyOptions& options) {
  return !options.Fit && options.OutputType == TPictureType::Jpeg && IsJpegName(options.Picture);
}

// A picture of 16 bits per channel keeps them where the output type can hold them; fitted
// (as the preview fits) or written as JPEG or BMP it goes through 8 bits.
bool MayKeepSixteenBits(const TApplyOptions& options) {
  const bool deepOutput =
      options.OutputType == TPictureType::Png || options.OutputType == TPictureType::Tiff;
  return !options.Fit && deepOutput && IsPicture48Name(options.Picture);
}

void SavePicture48(const std::string& path, TPictureType type, const TPicture48& picture,
                   TWriteMode mode) {
  if (type == TPictureType::Tiff)
    SaveTiff48(path, picture, mode);
  else
    SavePng48(path, picture, mode);
}

// The picture read once: its header decides between 16 and 8 bits per channel.
void ApplyKeepingDepth(const TApplyOptions& options, const TLUT& lut,
                       const TProgressCallback& progress) {
  const TWriteMode mode = OutputWriteMode(options.Overwrite);
  const std::string data = Naming(options.Picture, [&] { return ReadWholeFile(options.Picture); });
  const TPictureHeader header =
      Naming(options.Picture, [&] { return ReadPictureHeader(options.Picture, data); });
  if (header.BitsPerChannel == 16) {
    TPicture48 picture =
        Naming(options.Picture, [&] { return DecodePicture48(options.Picture, data); });
    lut.ApplyToRgb48(picture.Rgb, picture.Width, progress);
    Naming(options.Output,
           [&] { SavePicture48(options.Output, options.OutputType, picture, mode); });
    return;
  }
  TBitmap24 picture =
      Naming(options.Picture, [&] { return DecodePicture(options.Picture, data).Bitmap; });
  lut.ApplyToBitmap(picture, progress);
  Naming(options.Output, [&] { SavePicture(options.Output, options.OutputType, picture, mode); });
}

void MapJpegInBands(const TApplyOptions& options, const TLUT& lut,
                    const TProgressCallback& progress) {
  const TPixelMapper mapper(lut);
  const TMappedJpeg mapped = Naming(options.Picture, [&] {
    return TMappedJpeg(
        options.Picture,
        [&](std::uint8_t* pixels, std::size_t count) { mapper.Map(pixels, count); },
        kApplyJpegQuality, TChromaSubsampling::None, progress);
  });
  Naming(options.Output, [&] { mapped.Save(options.Output, OutputWriteMode(options.Overwrite)); });
}

}  // namespace

void WriteHaldImage(const THaldOptions& options, TOutputBuffer& out) {
  if (options.Level) {
    RefuseExisting(options.Output, options.Overwrite);
    Naming(options.Output, [&] {
      WriteIdentityHaldClut(*options.Level, options.Output, options.Bits,
                            OutputWriteMode(options.Overwrite));
    });
    if (!options.Quiet) out << "generated\t" << options.Output << '\n';
    return;
  }
  const THaldFileType type = HaldFileType(options.Type.value_or(TPictureType::Tiff));
  RefuseExisting(options.Output, true);  // an empty name or a folder
  const std::string target = HaldImageFileName(options.Output, type);
  RefuseExisting(target, options.Overwrite);
  Naming(target, [&] { GenerateHaldImage(target, type, OutputWriteMode(options.Overwrite)); });
  if (!options.Quiet) out << "generated\t" << target << '\n';
}

void ApplyLut(const TApplyOptions& options, TOutputBuffer& out, const TWarningHandler& onWarning,
              std::FILE* progressStream) {
  RefuseExisting(options.Output, options.Overwrite);
  auto lut = std::make_unique<TLUT>();
  LoadLutToApply(options, *lut, onWarning);
  // After the load, whose warnings would share the line.
  TBusyLine busy(progressStream, "applying " + EscapeField(options.Lut), !options.Quiet);
  if (MapsJpegInBands(options)) {
    MapJpegInBands(options, *lut, busy.Progress());
  } else if (MayKeepSixteenBits(options)) {
    ApplyKeepingDepth(options, *lut, busy.Progress());
  } else {
    TBitmap24 picture = LoadPictureToApply(options);
    lut->ApplyToBitmap(picture, busy.Progress());
    Naming(options.Output, [&] {
      SavePicture(options.Output, options.OutputType, picture, OutputWriteMode(options.Overwrite));
    });
  }
  if (!options.Quiet) out << "applied\t" << options.Picture << '\t' << options.Output << '\n';
}

}  // namespace vorn::cli
