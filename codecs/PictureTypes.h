#pragma once
// What every picture decoder and encoder shares: the decoded picture, the error they raise
// and the chroma subsampling choices of the JPEG encoder.

#include <cstdint>
#include <string>
#include <vector>

#include "core/Bitmap.h"
#include "platform/Exception.h"

namespace vorn {

class EPictureError : public Exception {
 public:
  using Exception::Exception;
};

struct TDecodedPicture {
  TBitmap24 Bitmap;
  // Bits per channel of the file (8 or 16; 1 for bilevel pictures, 2 or 4 for low-depth
  // grey PNG). Palettised pictures count their palette's 8 bits.
  int BitsPerChannel = 8;
  // Bits per pixel as the file stores them: 24 for 8-bit RGB, 8 for 8-bit grey or an
  // 8-bit palette index, 32 for 8-bit RGBA or CMYK, 48 for 16-bit RGB, 1 for bilevel.
  // Only 24 means the file itself is a 24-bit colour picture.
  int BitsPerPixel = 24;
};

// What a picture's header declares, the picture turned upright as its orientation says.
// BitsPerPixel is as TDecodedPicture's; BitsPerChannel is TDecodedPicture's for PNG and
// TIFF, 8 for BMP and JPEG.
struct TPictureHeader {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 24;
  int BitsPerChannel = 8;
};

// A picture of 16 bits per channel: red, green, blue for each pixel, rows top to bottom,
// packed without padding.
struct TPicture48 {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint16_t> Rgb;
};

enum class TChromaSubsampling { s420, s422, None };

}  // namespace vorn
