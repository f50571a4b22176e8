#pragma once
// A LUT as a picture, both ways.
//
// The Hald image: 182 x 182 pixels, 24-bit, holding a 32-node grid as 32,768 pixels taken
// row by row (pixel p at row p / 182, column p % 182), p = r * 1024 + g * 32 + b, so blue
// varies fastest. Node index k stands for the 8-bit value k * 255 / 31 (truncated). Row 180
// holds the last 8 nodes; the remaining 356 pixels carry nothing and are written black.
// The user grades the identity picture in an image editor and the graded picture is read
// back as a 3D LUT.
//
// The lookup picture of Open Broadcaster Software: 512 x 512 pixels holding a 64-node grid
// as 64 tiles of 64 x 64, eight tiles to a row; in pixel (x, y) red is node x % 64, green
// node y % 64 and blue node (y / 64) * 8 + x / 64. Node index k stands for Round(k / 63 *
// 255). It is written only.
//
// Pictures are decoded by LoadPicture (codecs/Pictures.h), which picks the decoder by the
// file's extension.

#include <cstdint>
#include <string>

#include "core/Bitmap.h"
#include "core/LUT.h"
#include "platform/Files.h"

namespace vorn {

inline constexpr int kHaldImageSide = 182;
inline constexpr int kHaldGridNodes = 32;
inline constexpr int kLutImageSide = 512;
inline constexpr int kLutImageGridNodes = 64;

// The file types a Hald image is saved as, in the order of the save dialog's filter.
enum class THaldFileType { Bitmap, Jpeg, Tiff };

// The save dialog's filter, one type per THaldFileType.
inline constexpr const char* kHaldImageFilter = "Bitmap File|*.bmp|Jpeg File|*.jpg|Tiff File|*.tif";

// True when the name ends in .bmp, .jpeg, .jpg, .tiff or .tif (any case) and the picture's
// header declares a 24-bit colour picture of 182 x 182 pixels (upright, as its orientation
// says). The pixels are not decoded: a damaged picture is refused by ReadHaldImage. Other
// names, and files above kMaxHaldImageFileBytes, are answered false without reading the
// file; a picture with one of those names whose header cannot be read raises the decoder's
// error.
bool IsHaldImageFile(const std::string& path);
// The largest file detection decodes to see whether it is a Hald image: room for the
// picture's 100 KB and an image editor's metadata beside it.
inline constexpr std::uint64_t kMaxHaldImageFileBytes = std::uint64_t{16} << 20;

// Fills lut with the 32-node grid of a Hald image: node (r, g, b) is the pixel's colour
// divided by 255. Kind and Size3D are set first; the comments stay as they are. A picture
// whose header is not that of a 24-bit 182 x 182 picture is refused with ELUTError before
// its pixels are decoded; a damaged one raises the decoder's EPictureError.
void ReadHaldImage(const std::string& path, TLUT& lut);

// The identity Hald image.
TBitmap24 MakeHaldImage();

// The name the Hald image is written under: path with the type's extension (".bmp",
// ".jpg", ".tif") added when its file name has no extension, unchanged otherwise.
std::string HaldImageFileName(const std::string& path, THaldFileType type);

// Writes the picture as the type says, whatever the name's extension: an uncompressed
// 24-bit BMP, a JPEG at quality 100 without chroma subsampling, or an uncompressed 24-bit
// TIFF, under HaldImageFileName(path, type), which it returns. The file is replaced
// whole, so a failed write leaves an existing file as it was.
std::string SaveHaldImage(const TBitmap24& picture, const std::string& path, THaldFileType type,
                          TWriteMode mode = TWriteMode::Replace);

// Writes the identity Hald image (MakeHaldImage, SaveHaldImage); returns the path written.
std::string GenerateHaldImage(const std::string& path, THaldFileType type,
                              TWriteMode mode = TWriteMode::Replace);

// The identity lookup picture.
TBitmap24 MakeLutImage();

// Writes the lookup picture of lut: the identity lookup picture mapped through the LUT
// (ApplyToBitmap, so any kind and size of LUT is sampled at the picture's 8-bit values),
// as a 24-bit PNG under path as given.
void WriteLutImage(const TLUT& lut, const std::string& path, TWriteMode mode = TWriteMode::Replace);

}  // namespace vorn
