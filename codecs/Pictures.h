#pragma once
// Picture decoding and encoding by file extension. Decoders give a 24-bit bitmap and the
// picture's bits per channel; a picture that cannot be decoded raises EPictureError whose
// message names the file and the problem.
//
// What the decoders read:
// - BMP: 1, 4 and 8-bit palettised, 24-bit, 32-bit (BI_RGB, or BI_BITFIELDS with 8-bit
//   masks), bottom-up and top-down, uncompressed only.
// - JPEG: 8-bit grey, YCbCr/RGB and CMYK/YCCK (converted to RGB, Adobe inverted CMYK
//   understood).
// - TIFF: the first image; strips, uncompressed, LZW, PackBits or Deflate, with or without
//   the horizontal predictor; grey (1 sample, 1, 8 or 16 bits; 2 samples with alpha),
//   RGB (3 samples, or 4 with alpha), CMYK (4 samples), palette (4 or 8 bits).
// - PNG: every colour type and depth; an alpha channel or tRNS transparency is ignored
//   (the colour values are kept as stored, not composited).
// 16-bit channels are reduced to 8 bits by (v * 255 + 32767) / 65535.
// A TIFF's Orientation tag and a JPEG's Exif orientation are honoured: the picture comes
// upright, as viewers show it (and is written upright, without the tag).
// A picture whose data is damaged or ends before its last pixel (libjpeg's corrupt-data
// and premature-end warnings, libpng's warnings while reading the pixels, libtiff's
// warnings while reading the strips, a BMP shorter than its rows) raises EPictureError:
// none is filled in with grey or black. A header declaring more pixels than the file's
// length can hold is refused before the picture is allocated (uncompressed: the rows'
// bytes; PNG and compressed TIFF: their compression's best ratio; Huffman-coded JPEG: 512
// pixels per byte).

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/PictureTypes.h"
#include "core/WorkProgress.h"
#include "platform/Files.h"

namespace vorn {

// Decodes by extension (case-insensitive): .bmp, .jpg/.jpeg, .tif/.tiff, .png.
// A file that cannot be read raises EFileError.
TDecodedPicture LoadPicture(const std::string& path);

// As LoadPicture, but a JPEG is decoded at a reduced DCT scale (1/2, 1/4 or 1/8) when the
// reduced picture is still at least twice the size the picture gets when it is fitted into
// a maxWidth x maxHeight box. Other types, and a box of zero size, decode in full.
TDecodedPicture LoadPictureForPreview(const std::string& path, int maxWidth, int maxHeight);

// Decodes file content held in memory as the picture type of path's extension; path only
// chooses the decoder and names the picture in messages.
TDecodedPicture DecodePicture(const std::string& path, std::string_view data);

// The size and depth that the header of file content in memory declares, without decoding
// the pixels; path chooses the decoder and names the picture in messages.
TPictureHeader ReadPictureHeader(const std::string& path, std::string_view data);

// A PNG (by content, whatever the name) decoded at 16 bits per channel, as DecodePng48 in
// codecs/PictureCodecs.h; path names the picture in messages.
TPicture48 DecodePng48(const std::string& path, std::string_view data);

// A PNG or TIFF (by path's extension) decoded at 16 bits per channel, upright: grey and RGB
// of 16 bits as stored, lower depths scaled up exactly (DecodePng48, DecodeTiff48 in
// codecs/PictureCodecs.h); another type raises EPictureError. path names the picture in
// messages.
TPicture48 DecodePicture48(const std::string& path, std::string_view data);
// A .png, .tif or .tiff name (any case), which DecodePicture48 decodes.
bool IsPicture48Name(const std::string& path);

// Lower-case extensions with their dot that LoadPicture reads, in dialog order.
const std::vector<std::string>& PictureExtensions();

bool IsPictureExtension(const std::string& path);
// A .jpg or .jpeg name (any case), which LoadPicture decodes as JPEG.
bool IsJpegName(const std::string& path);

// Encoders of 24-bit bitmaps. JPEG quality is 0 to 100 (values outside are clamped).
// Each encodes into memory and then replaces the file, so a failure leaves an existing
// file as it was; with TWriteMode::CreateNew an existing file raises EFileExists. An empty bitmap
// raises EPictureError; a file that cannot be written raises EFileError. 24-bit bottom-up BI_RGB.
void SaveBmp(const std::string& path, const TBitmap24& bitmap,
             TWriteMode mode = TWriteMode::Replace);
// 8-bit RGB, no alpha.
void SavePng(const std::string& path, const TBitmap24& bitmap,
             TWriteMode mode = TWriteMode::Replace);
// 16-bit RGB, no alpha; a picture whose samples do not match its size raises EPictureError.
void SavePng48(const std::string& path, const TPicture48& picture,
               TWriteMode mode = TWriteMode::Replace);
// Uncompressed 8-bit RGB in strips of about 64 KiB.
void SaveTiff(const std::string& path, const TBitmap24& bitmap,
              TWriteMode mode = TWriteMode::Replace);
// Uncompressed 16-bit RGB; raises as SavePng48.
void SaveTiff48(const std::string& path, const TPicture48& picture,
                TWriteMode mode = TWriteMode::Replace);
void SaveJpeg(const std::string& path, const TBitmap24& bitmap, int quality,
              TChromaSubsampling subsampling, TWriteMode mode = TWriteMode::Replace);

// Changes count packed 24-bit pixels (blue, green, red) in place. Called on several threads
// at once, for different pixels.
using TPixelRunMapper = std::function<void(std::uint8_t* pixels, std::size_t count)>;

// A JPEG file mapped pixel by pixel and encoded again as JPEG, in bands of rows: one thread
// decodes while the others map and encode the bands that have arrived (each thread takes
// whatever can go on), so the picture is never held whole. The bytes are those that
// LoadPicture, mapping every pixel and SaveJpeg give, and so are the errors. A JPEG whose
// Exif orientation is not the stored one is turned upright whole first.
class TMappedJpeg {
 public:
  // Reads and converts the JPEG at path (a name that IsJpegName accepts); raises what
  // LoadPicture raises for it. A failure to encode is held for Save, as it would come after
  // every read error. progress hears the rows handed to the encoder, in order, from
  // whichever of the threads encodes them (one at a time).
  TMappedJpeg(const std::string& path, const TPixelRunMapper& map, int quality,
              TChromaSubsampling subsampling, const TProgressCallback& progress = {});
  // Writes the encoded picture to path, raising what SaveJpeg would for a failed encoding.
  void Save(const std::string& path, TWriteMode mode = TWriteMode::Replace) const;

 private:
  void Convert(std::string_view data, const TPixelRunMapper& map, int quality,
               TChromaSubsampling subsampling, const TProgressCallback& progress);
  void ConvertWhole(std::string_view data, const TPixelRunMapper& map, int quality,
                    TChromaSubsampling subsampling, const TProgressCallback& progress);
  template <class Body>
  void HoldEncodingFailure(Body&& body);

  std::string Encoded_;
  std::exception_ptr EncodingFailure_;
};

}  // namespace vorn
