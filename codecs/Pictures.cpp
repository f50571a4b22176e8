#include "codecs/Pictures.h"

#include <algorithm>
#include <new>
#include <optional>

#include "codecs/BandPipeline.h"
#include "codecs/PictureCodecs.h"
#include "platform/Files.h"
#include "platform/WorkerPool.h"

namespace vorn {

namespace {

enum class TPictureType { Bmp, Jpeg, Tiff, Png, Unknown };

std::string LowerCaseExtension(const std::string& path) {
  std::string ext = ExtractFileExt(path);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return ext;
}

TPictureType TypeOf(const std::string& extension) {
  if (extension == ".bmp") return TPictureType::Bmp;
  if (extension == ".jpg" || extension == ".jpeg") return TPictureType::Jpeg;
  if (extension == ".tif" || extension == ".tiff") return TPictureType::Tiff;
  if (extension == ".png") return TPictureType::Png;
  return TPictureType::Unknown;
}

std::string ReadFailure(const std::string& path) {
  return "Cannot read picture \"" + path + "\": ";
}
std::string WriteFailure(const std::string& path) {
  return "Cannot write picture \"" + path + "\": ";
}

TDecodedPicture DecodeByType(TPictureType type, std::string_view data, codecs::TPreviewBox box) {
  switch (type) {
    case TPictureType::Bmp:
      return codecs::DecodeBmp(data);
    case TPictureType::Jpeg:
      return codecs::DecodeJpeg(data, box);
    case TPictureType::Tiff:
      return codecs::DecodeTiff(data);
    case TPictureType::Png:
      return codecs::DecodePng(data);
    case TPictureType::Unknown:
      break;
  }
  throw EPictureError("unknown picture type");
}

// Runs decode, naming path in the message of its failure.
template <class Decoder>
auto Decoding(const std::string& path, Decoder&& decode) {
  try {
    return decode();
  } catch (const EPictureError& problem) {
    throw EPictureError(ReadFailure(path) + problem.what());
  } catch (const std::bad_alloc&) {
    throw EPictureError(ReadFailure(path) + "not enough memory to decode the picture");
  }
}

TDecodedPicture Decode(const std::string& path, std::string_view data, codecs::TPreviewBox box) {
  std::string extension = LowerCaseExtension(path);
  TPictureType type = TypeOf(extension);
  if (type == TPictureType::Unknown)
    throw EPictureError(ReadFailure(path) + "unknown picture type \"" + extension + "\"");
  return Decoding(path, [&] { return DecodeByType(type, data, box); });
}

// Writes what encode gives to path, naming path in the message of its failure.
template <class Encoder>
void WriteEncoded(const std::string& path, TWriteMode mode, Encoder&& encode) {
  std::string encoded;
  try {
    encoded = encode();
  } catch (const EPictureError& problem) {
    throw EPictureError(WriteFailure(path) + problem.what());
  } catch (const std::bad_alloc&) {
    throw EPictureError(WriteFailure(path) + "not enough memory to encode the picture");
  }
  WriteWholeFile(path, encoded, mode);
}

template <class Encoder>
void Save(const std::string& path, TWriteMode mode, const TBitmap24& bitmap, Encoder&& encode) {
  if (bitmap.Empty()) throw EPictureError(WriteFailure(path) + "the picture is empty");
  WriteEncoded(path, mode, [&] { return encode(bitmap); });
}

// Bands of about this many pixels, in whole groups of 16 rows (a JPEG's tallest block
// row), a few per thread: small enough to stay in the caches between the steps.
constexpr int kBandPixels = 1 << 17;
constexpr int kBandRowMultiple = 16;
constexpr int kSlotsPerThread = 3;

codecs::TBandLayout JpegBands(int width, int height, int threads) {
  const int rows = std::max(1, kBandPixels / width);
  const int bandRows = (rows + kBandRowMultiple - 1) / kBandRowMultiple * kBandRowMultiple;
  return {static_cast<std::size_t>(width) * 3, height, std::min(bandRows, height),
          kSlotsPerThread * threads};
}

}  // namespace

TDecodedPicture LoadPicture(const std::string& path) {
  return LoadPictureForPreview(path, 0, 0);
}

TDecodedPicture LoadPictureForPreview(const std::string& path, int maxWidth, int maxHeight) {
  if (TypeOf(LowerCaseExtension(path)) == TPictureType::Unknown) return Decode(path, {}, {});
  std::string data = ReadWholeFile(path);
  return Decode(path, data, {std::max(maxWidth, 0), std::max(maxHeight, 0)});
}

TDecodedPicture DecodePicture(const std::string& path, std::string_view data) {
  return Decode(path, data, {});
}

TPictureHeader ReadPictureHeader(const std::string& path, std::string_view data) {
  const TPictureType type = TypeOf(LowerCaseExtension(path));
  return Decoding(path, [&] {
    switch (type) {
      case TPictureType::Bmp:
        return codecs::ReadBmpHeader(data);
      case TPictureType::Jpeg:
        return codecs::ReadJpegHeader(data);
      case TPictureType::Tiff:
        return codecs::ReadTiffHeader(data);
      case TPictureType::Png:
        return codecs::ReadPngHeader(data);
      case TPictureType::Unknown:
        break;
    }
    throw EPictureError("unknown picture type \"" + LowerCaseExtension(path) + "\"");
  });
}

TPicture48 DecodePng48(const std::string& path, std::string_view data) {
  return Decoding(path, [&] { return codecs::DecodePng48(data); });
}

TPicture48 DecodePicture48(const std::string& path, std::string_view data) {
  const std::string extension = LowerCaseExtension(path);
  return Decoding(path, [&] {
    switch (TypeOf(extension)) {
      case TPictureType::Png:
        return codecs::DecodePng48(data);
      case TPictureType::Tiff:
        return codecs::DecodeTiff48(data);
      default:
        throw EPictureError("no 16-bit decoder for \"" + extension + "\"");
    }
  });
}

bool IsPicture48Name(const std::string& path) {
  const TPictureType type = TypeOf(LowerCaseExtension(path));
  return type == TPictureType::Png || type == TPictureType::Tiff;
}

const std::vector<std::string>& PictureExtensions() {
  static const std::vector<std::string> extensions{".bmp", ".jpg",  ".jpeg",
                                                   ".tif", ".tiff", ".png"};
  return extensions;
}

bool IsPictureExtension(const std::string& path) {
  return TypeOf(LowerCaseExtension(path)) != TPictureType::Unknown;
}

bool IsJpegName(const std::string& path) {
  return TypeOf(LowerCaseExtension(path)) == TPictureType::Jpeg;
}

void SaveBmp(const std::string& path, const TBitmap24& bitmap, TWriteMode mode) {
  Save(path, mode, bitmap, codecs::EncodeBmp);
}

void SavePng(const std::string& path, const TBitmap24& bitmap, TWriteMode mode) {
  Save(path, mode, bitmap, codecs::EncodePng);
}

namespace {

template <class Encoder>
void Save48(const std::string& path, TWriteMode mode, const TPicture48& picture, Encoder&& encode) {
  const std::size_t samples = std::size_t{3} *
                              static_cast<std::size_t>(std::max(picture.Width, 0)) *
                              static_cast<std::size_t>(std::max(picture.Height, 0));
  if (samples == 0) throw EPictureError(WriteFailure(path) + "the picture is empty");
  if (picture.Rgb.size() != samples)
    throw EPictureError(WriteFailure(path) + "the samples do not fill the picture");
  WriteEncoded(path, mode, [&] { return encode(picture); });
}

}  // namespace

void SavePng48(const std::string& path, const TPicture48& picture, TWriteMode mode) {
  Save48(path, mode, picture, codecs::EncodePng48);
}

void SaveTiff48(const std::string& path, const TPicture48& picture, TWriteMode mode) {
  Save48(path, mode, picture, codecs::EncodeTiff48);
}

void SaveTiff(const std::string& path, const TBitmap24& bitmap, TWriteMode mode) {
  Save(path, mode, bitmap, codecs::EncodeTiff);
}

void SaveJpeg(const std::string& path, const TBitmap24& bitmap, int quality,
              TChromaSubsampling subsampling, TWriteMode mode) {
  int clamped = std::clamp(quality, 0, 100);
  Save(path, mode, bitmap,
       [&](const TBitmap24& picture) { return codecs::EncodeJpeg(picture, clamped, subsampling); });
}

TMappedJpeg::TMappedJpeg(const std::string& path, const TPixelRunMapper& map, int quality,
                         TChromaSubsampling subsampling, const TProgressCallback& progress) {
  const std::string data = ReadWholeFile(path);
  Decoding(path, [&] { Convert(data, map, std::clamp(quality, 0, 100), subsampling, progress); });
}

void TMappedJpeg::Save(const std::string& path, TWriteMode mode) const {
  WriteEncoded(path, mode, [&] {
    if (EncodingFailure_) std::rethrow_exception(EncodingFailure_);
    return Encoded_;
  });
}

template <class Body>
void TMappedJpeg::HoldEncodingFailure(Body&& body) {
  if (EncodingFailure_) return;
  try {
    body();
  } catch (...) {
    EncodingFailure_ = std::current_exception();
  }
}

void TMappedJpeg::Convert(std::string_view data, const TPixelRunMapper& map, int quality,
                          TChromaSubsampling subsampling, const TProgressCallback& progress) {
  codecs::TJpegRowReader reader(data, {});
  if (reader.Orientation() != 1) {
    ConvertWhole(data, map, quality, subsampling, progress);
    return;
  }
  const auto height = static_cast<std::size_t>(reader.Height());
  std::size_t rowsWritten = 0;  // by the one writing thread of the moment
  const int width = reader.Width();
  const auto stride = static_cast<std::size_t>(width) * 3;
  std::optional<codecs::TJpegRowWriter> writer;
  HoldEncodingFailure([&] { writer.emplace(width, reader.Height(), quality, subsampling); });
  const int threads = ResolveJobs(0);
  codecs::RunBandPipeline(
      JpegBands(width, reader.Height(), threads), threads,
      {[&](std::uint8_t* rows, int count) { reader.ReadRows(rows, stride, count); },
       [&](std::uint8_t* rows, int count) { map(rows, static_cast<std::size_t>(width) * count); },
       [&](const std::uint8_t* rows, int count) {
         HoldEncodingFailure([&] { writer->WriteRows(rows, stride, count); });
         rowsWritten += static_cast<std::size_t>(count);
         ReportProgress(progress, rowsWritten, height);
       }});
  HoldEncodingFailure([&] { Encoded_ = writer->Finish(); });
}

void TMappedJpeg::ConvertWhole(std::string_view data, const TPixelRunMapper& map, int quality,
                               TChromaSubsampling subsampling, const TProgressCallback& progress) {
  TBitmap24 picture = codecs::DecodeJpeg(data, {}).Bitmap;
  map(picture.Data(), static_cast<std::size_t>(picture.Width()) * picture.Height());
  HoldEncodingFailure([&] { Encoded_ = codecs::EncodeJpeg(picture, quality, subsampling); });
  const auto rows = static_cast<std::size_t>(picture.Height());
  ReportProgress(progress, rows, rows);
}

}  // namespace vorn
