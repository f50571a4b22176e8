#pragma once
// The decoders and encoders behind Pictures.h, one per file type. They work on file
// content in memory and raise EPictureError with the problem alone; Pictures.cpp puts the
// file name in front.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "codecs/PictureTypes.h"

namespace vorn::codecs {

// More pixels than this are refused before anything is allocated (768 MiB as 24-bit).
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

bool IsPictureSizeAllowed(std::int64_t width, std::int64_t height);
// Raises EPictureError "<prefix>illegal picture dimensions W x H" unless allowed.
void CheckPictureSize(std::int64_t width, std::int64_t height, const std::string& prefix);

// A 16-bit channel value rounded to 8 bits.
inline std::uint8_t Reduce16To8(std::uint32_t value) {
  return static_cast<std::uint8_t>((value * 255 + 32767) / 65535);
}

// Runs body under setjmp so that a C library's error callback can longjmp back here;
// answers false when that happened. body must not keep objects with destructors alive
// while it calls into the library: a longjmp skips them.
template <class Body>
bool RunGuarded(std::jmp_buf& jump, Body&& body) {
  if (setjmp(jump) != 0) return false;
  body();
  return true;
}

// The box a preview picture is fitted into; zero means the picture is wanted in full.
struct TPreviewBox {
  int Width = 0;
  int Height = 0;
};

// The TIFF and Exif Orientation (1 to 8; 1 for rows top to bottom, columns left to right).
// Orientations 5 to 8 swap width and height.
bool SwapsSides(int orientation);
// The Orientation tag of a classic TIFF's first directory; 1 when absent or unreadable.
int TiffOrientationOf(std::string_view tiff);
// Turns a picture decoded in stored order upright.
void OrientBitmap(TBitmap24& bitmap, int orientation);
void OrientPicture48(TPicture48& picture, int orientation);

// Decoders raise EPictureError for a picture whose data is damaged or shorter than its
// header declares (before allocating the picture when the file's length cannot fill it),
// rather than fill the missing pixels. A picture comes upright as its orientation says.
TDecodedPicture DecodeBmp(std::string_view data);
TDecodedPicture DecodeJpeg(std::string_view data, TPreviewBox box);
TDecodedPicture DecodeTiff(std::string_view data);
TDecodedPicture DecodePng(std::string_view data);
// Every colour type and depth as 16-bit RGB: lower depths scaled up exactly (v * 257 for 8
// bits), alpha dropped.
TPicture48 DecodePng48(std::string_view data);
// Grey and RGB of 16 bits as they are stored (grey repeated on the three channels); every
// other layout as DecodeTiff decodes it, scaled up by 257. Same checks and orientation as
// DecodeTiff.
TPicture48 DecodeTiff48(std::string_view data);

// The header alone, without decoding the pixels; raises EPictureError, also for a header
// declaring more pixels than the file's length can hold (as the decoders check it).
TPictureHeader ReadBmpHeader(std::string_view data);
TPictureHeader ReadJpegHeader(std::string_view data);
TPictureHeader ReadTiffHeader(std::string_view data);
TPictureHeader ReadPngHeader(std::string_view data);

class TJpegDecoder;  // libjpeg's state, kept out of the headers
class TJpegEncoder;

// A JPEG decoded a few rows at a time into 24-bit rows (blue, green, red), as DecodeJpeg
// decodes it whole. Not for several threads at once, but any one thread at a time.
class TJpegRowReader {
 public:
  // Reads the header and starts decoding (at a reduced DCT scale for box, as DecodeJpeg);
  // raises EPictureError. data must outlive the reader.
  TJpegRowReader(std::string_view data, TPreviewBox box);
  ~TJpegRowReader();
  TJpegRowReader(const TJpegRowReader&) = delete;
  TJpegRowReader& operator=(const TJpegRowReader&) = delete;

  int Width() const;
  int Height() const;
  int BitsPerChannel() const;  // as TDecodedPicture's
  int BitsPerPixel() const;
  // The Exif orientation; the rows come in stored order, Width and Height are as stored.
  int Orientation() const;
  // Decodes the next count rows into first, first + stride, ...; raises EPictureError when
  // the data is damaged or ends before them (each row is then written or not at all).
  void ReadRows(std::uint8_t* first, std::size_t stride, int count);

 private:
  std::unique_ptr<TJpegDecoder> Decoder_;
};

// A JPEG encoded a few rows at a time from 24-bit rows, as EncodeJpeg encodes a bitmap.
// Not for several threads at once, but any one thread at a time.
class TJpegRowWriter {
 public:
  // quality 0 to 100; raises EPictureError.
  TJpegRowWriter(int width, int height, int quality, TChromaSubsampling subsampling);
  ~TJpegRowWriter();
  TJpegRowWriter(const TJpegRowWriter&) = delete;
  TJpegRowWriter& operator=(const TJpegRowWriter&) = delete;

  // The next count rows, from first, first + stride, ...
  void WriteRows(const std::uint8_t* first, std::size_t stride, int count);
  // The file's bytes, once every row was written; raises EPictureError before that.
  std::string Finish();

 private:
  std::unique_ptr<TJpegEncoder> Encoder_;
};

std::string EncodeBmp(const TBitmap24& bitmap);
std::string EncodeJpeg(const TBitmap24& bitmap, int quality, TChromaSubsampling subsampling);
std::string EncodeTiff(const TBitmap24& bitmap);
// Uncompressed 16-bit RGB in strips of about 64 KiB, in the machine's byte order.
std::string EncodeTiff48(const TPicture48& picture);
std::string EncodePng(const TBitmap24& bitmap);
// 16-bit RGB, no alpha.
std::string EncodePng48(const TPicture48& picture);

}  // namespace vorn::codecs
