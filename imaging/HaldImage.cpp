#include "imaging/HaldImage.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "codecs/Pictures.h"
#include "core/TextTools.h"
#include "core/VornLut.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr int kHaldNodeCount = kHaldGridNodes * kHaldGridNodes * kHaldGridNodes;
constexpr int kLutImageTilesPerRow = kLutImageSide / kLutImageGridNodes;

bool HasHaldExtension(const std::string& path) {
  const std::string extension = UpperCase(ExtractFileExt(path));
  for (std::string_view allowed : {".BMP", ".JPEG", ".JPG", ".TIFF", ".TIF"}) {
    if (extension == allowed) return true;
  }
  return false;
}

bool IsHaldHeader(const TPictureHeader& header) {
  return header.BitsPerPixel == 24 && header.Width == kHaldImageSide &&
         header.Height == kHaldImageSide;
}

// Pixel p of the Hald order: rows of 182 pixels, top to bottom.
std::uint8_t* HaldPixel(TBitmap24& picture, int p) {
  return picture.ScanLine(p / kHaldImageSide) + 3 * (p % kHaldImageSide);
}
const std::uint8_t* HaldPixel(const TBitmap24& picture, int p) {
  return picture.ScanLine(p / kHaldImageSide) + 3 * (p % kHaldImageSide);
}

void SetPixel(std::uint8_t* pixel, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  pixel[0] = blue;
  pixel[1] = green;
  pixel[2] = red;
}

const char* ExtensionOf(THaldFileType type) {
  switch (type) {
    case THaldFileType::Bitmap:
      return ".bmp";
    case THaldFileType::Jpeg:
      return ".jpg";
    case THaldFileType::Tiff:
      break;
  }
  return ".tif";
}

}  // namespace

bool IsHaldImageFile(const std::string& path) {
  if (!HasHaldExtension(path)) return false;
  // A Hald picture of 182 x 182 pixels takes some 100 KB; larger files (photographs in a
  // folder of LUTs) are not decoded just to be told apart.
  if (FileSizeOf(path) > kMaxHaldImageFileBytes) return false;
  return IsHaldHeader(ReadPictureHeader(path, ReadWholeFile(path)));
}

void ReadHaldImage(const std::string& path, TLUT& lut) {
  lut.Kind = lk3D;
  lut.Size3D = kHaldGridNodes;
  lut.ReserveGrid(kHaldGridNodes);
  const std::string data = ReadWholeFile(path);
  // The size comes from the header, so that a picture of another size is refused before
  // its pixels are decoded.
  const TPictureHeader header = ReadPictureHeader(path, data);
  if (!IsHaldHeader(header)) {
    throw ELUTError("The picture is not a Hald image: a Hald image is a 24-bit picture of " +
                    IntToStr(kHaldImageSide) + " x " + IntToStr(kHaldImageSide) +
                    " pixels, this one has " + IntToStr(header.Width) + " x " +
                    IntToStr(header.Height) + " pixels of " + IntToStr(header.BitsPerPixel) +
                    " bits.");
  }
  const TDecodedPicture picture = DecodePicture(path, data);
  int p = 0;
  for (int r = 0; r < kHaldGridNodes; ++r) {
    for (int g = 0; g < kHaldGridNodes; ++g) {
      for (int b = 0; b < kHaldGridNodes; ++b, ++p) {
        const std::uint8_t* pixel = HaldPixel(picture.Bitmap, p);
        lut.SetNode(r, g, b, {pixel[2] / 255.0, pixel[1] / 255.0, pixel[0] / 255.0});
      }
    }
  }
}

TBitmap24 MakeHaldImage() {
  std::array<std::uint8_t, kHaldGridNodes> value{};
  for (int k = 0; k < kHaldGridNodes; ++k) {
    value[k] = static_cast<std::uint8_t>(k * 255 / (kHaldGridNodes - 1));
  }
  TBitmap24 picture(kHaldImageSide, kHaldImageSide);
  for (int p = 0; p < kHaldNodeCount; ++p) {
    const int r = p / (kHaldGridNodes * kHaldGridNodes);
    const int g = p / kHaldGridNodes % kHaldGridNodes;
    const int b = p % kHaldGridNodes;
    SetPixel(HaldPixel(picture, p), value[r], value[g], value[b]);
  }
  return picture;
}

std::string HaldImageFileName(const std::string& path, THaldFileType type) {
  const std::string extension = ExtractFileExt(path);
  if (extension.empty()) return path + ExtensionOf(type);
  // A name that ends in a bare dot has no extension either; the dot is not doubled.
  if (extension == ".") return path.substr(0, path.size() - 1) + ExtensionOf(type);
  return path;
}

std::string SaveHaldImage(const TBitmap24& picture, const std::string& path, THaldFileType type,
                          TWriteMode mode) {
  const std::string name = HaldImageFileName(path, type);
  switch (type) {
    case THaldFileType::Bitmap:
      SaveBmp(name, picture, mode);
      break;
    case THaldFileType::Jpeg:
      SaveJpeg(name, picture, 100, TChromaSubsampling::None, mode);
      break;
    case THaldFileType::Tiff:
      SaveTiff(name, picture, mode);
      break;
  }
  return name;
}

std::string GenerateHaldImage(const std::string& path, THaldFileType type, TWriteMode mode) {
  return SaveHaldImage(MakeHaldImage(), path, type, mode);
}

TBitmap24 MakeLutImage() {
  std::array<std::uint8_t, kLutImageGridNodes> value{};
  for (int k = 0; k < kLutImageGridNodes; ++k) {
    value[k] = static_cast<std::uint8_t>(
        RoundHalfEven(static_cast<double>(k) / (kLutImageGridNodes - 1) * 255.0));
  }
  TBitmap24 picture(kLutImageSide, kLutImageSide);
  for (int y = 0; y < kLutImageSide; ++y) {
    std::uint8_t* pixel = picture.ScanLine(y);
    for (int x = 0; x < kLutImageSide; ++x, pixel += 3) {
      const int blue = y / kLutImageGridNodes * kLutImageTilesPerRow + x / kLutImageGridNodes;
      SetPixel(pixel, value[x % kLutImageGridNodes], value[y % kLutImageGridNodes], value[blue]);
    }
  }
  return picture;
}

void WriteLutImage(const TLUT& lut, const std::string& path, TWriteMode mode) {
  TBitmap24 picture = MakeLutImage();
  lut.ApplyToBitmap(picture);
  SavePng(path, picture, mode);
}

}  // namespace vorn
