#include "codecs/Pictures.h"

#include <algorithm>
#include <new>

#include "codecs/PictureCodecs.h"
#include "platform/Files.h"

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

TDecodedPicture Decode(const std::string& path, std::string_view data, codecs::TPreviewBox box) {
  std::string extension = LowerCaseExtension(path);
  TPictureType type = TypeOf(extension);
  if (type == TPictureType::Unknown)
    throw EPictureError(ReadFailure(path) + "unknown picture type \"" + extension + "\"");
  try {
    return DecodeByType(type, data, box);
  } catch (const EPictureError& problem) {
    throw EPictureError(ReadFailure(path) + problem.what());
  } catch (const std::bad_alloc&) {
    throw EPictureError(ReadFailure(path) + "not enough memory to decode the picture");
  }
}

template <class Encoder>
void Save(const std::string& path, const TBitmap24& bitmap, Encoder&& encode) {
  if (bitmap.Empty()) throw EPictureError(WriteFailure(path) + "the picture is empty");
  std::string encoded;
  try {
    encoded = encode(bitmap);
  } catch (const EPictureError& problem) {
    throw EPictureError(WriteFailure(path) + problem.what());
  } catch (const std::bad_alloc&) {
    throw EPictureError(WriteFailure(path) + "not enough memory to encode the picture");
  }
  WriteWholeFile(path, encoded);
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

const std::vector<std::string>& PictureExtensions() {
  static const std::vector<std::string> extensions{".bmp", ".jpg",  ".jpeg",
                                                   ".tif", ".tiff", ".png"};
  return extensions;
}

bool IsPictureExtension(const std::string& path) {
  return TypeOf(LowerCaseExtension(path)) != TPictureType::Unknown;
}

void SaveBmp(const std::string& path, const TBitmap24& bitmap) {
  Save(path, bitmap, codecs::EncodeBmp);
}

void SavePng(const std::string& path, const TBitmap24& bitmap) {
  Save(path, bitmap, codecs::EncodePng);
}

void SaveTiff(const std::string& path, const TBitmap24& bitmap) {
  Save(path, bitmap, codecs::EncodeTiff);
}

void SaveJpeg(const std::string& path, const TBitmap24& bitmap, int quality,
              TChromaSubsampling subsampling) {
  int clamped = std::clamp(quality, 0, 100);
  Save(path, bitmap,
       [&](const TBitmap24& picture) { return codecs::EncodeJpeg(picture, clamped, subsampling); });
}

}  // namespace vorn
