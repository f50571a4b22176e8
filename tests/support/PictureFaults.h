#pragma once
// Pictures that a decoder must refuse or turn upright, made in memory: damaged data, headers
// declaring more pixels than the file holds, and orientation tags written with libjpeg and
// libtiff themselves.

#include <tiffio.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "core/Bitmap.h"

namespace vorn::test {

// A picture with smooth and busy parts, as a photograph has.
inline TBitmap24 TestPhotograph(int width, int height) {
  TBitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(x * 0.05 + y * 0.01));
      p[1] = static_cast<std::uint8_t>((x * 7 + y * 3) % 256);
      p[2] = static_cast<std::uint8_t>(127.5 + 127.5 * std::cos(y * 0.03));
    }
  }
  return picture;
}

inline void PutBigEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

inline void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// ---- JPEG ----

// A JPEG at quality 100 without subsampling, with an Exif block holding the orientation
// (none when orientation is 0). Rows are stored as bitmap holds them.
inline std::string JpegWithOrientation(const TBitmap24& bitmap, int orientation) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(bitmap.Width());
  info.image_height = static_cast<JDIMENSION>(bitmap.Height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  for (int i = 0; i < info.num_components; ++i)
    info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  if (orientation != 0) {
    // "Exif\0\0", a big-endian TIFF header, one directory of one SHORT entry: tag 274.
    std::string exif("Exif\0\0MM\0\x2A", 10);
    PutBigEndian(exif, 8, 4);
    PutBigEndian(exif, 1, 2);
    for (std::uint32_t field : {274u, 3u}) PutBigEndian(exif, field, 2);
    PutBigEndian(exif, 1, 4);
    PutBigEndian(exif, static_cast<std::uint32_t>(orientation) << 16, 4);
    PutBigEndian(exif, 0, 4);
    jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                      static_cast<unsigned>(exif.size()));
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(bitmap.ScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string data(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return data;
}

// The first part of a JPEG with an end-of-picture marker after it, as a careless cut leaves.
inline std::string CutJpeg(const std::string& jpeg, double kept) {
  return jpeg.substr(0, static_cast<std::size_t>(static_cast<double>(jpeg.size()) * kept)) +
         "\xFF\xD9";
}

// A Huffman-coded JPEG whose frame header declares width x height; its data is that of an
// 8 x 8 picture.
inline std::string JpegDeclaring(int width, int height) {
  std::string jpeg = JpegWithOrientation(TBitmap24(8, 8), 0);
  const std::size_t frame = jpeg.find("\xFF\xC0", 0, 2);
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xFF);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

// ---- PNG ----

inline void PutPngChunk(std::string& png, const char* type, const std::string& body) {
  PutBigEndian(png, static_cast<std::uint32_t>(body.size()), 4);
  const std::string typed = type + body;
  png += typed;
  PutBigEndian(png,
               static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                static_cast<uInt>(typed.size()))),
               4);
}

// An 8-bit RGB PNG declaring width x height whose zlib stream holds rows (filter byte and
// red, green, blue samples each) as given, complete or not.
inline std::string PngDeclaring(int width, int height, const std::string& rows) {
  std::string png("\x89PNG\r\n\x1A\n", 8);
  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(width), 4);
  PutBigEndian(header, static_cast<std::uint32_t>(height), 4);
  header += std::string("\x08\x02\x00\x00\x00", 5);
  PutPngChunk(png, "IHDR", header);
  std::vector<Bytef> packed(compressBound(static_cast<uLong>(rows.size())));
  uLongf packedSize = static_cast<uLongf>(packed.size());
  compress(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
           static_cast<uLong>(rows.size()));
  PutPngChunk(png, "IDAT", std::string(reinterpret_cast<const char*>(packed.data()), packedSize));
  PutPngChunk(png, "IEND", "");
  return png;
}

// The raw rows of an 8-bit RGB PNG of the bitmap (filter byte 0).
inline std::string PngRows(const TBitmap24& bitmap) {
  std::string rows;
  for (int y = 0; y < bitmap.Height(); ++y) {
    rows.push_back('\0');
    const std::uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 3) rows += {char(p[2]), char(p[1]), char(p[0])};
  }
  return rows;
}

// ---- TIFF ----

// An 8-bit RGB TIFF written by libtiff with the orientation tag (none when 0) and the
// compression given, in strips of 8 rows. Rows are stored as bitmap holds them.
inline std::string TiffWithOrientation(const TBitmap24& bitmap, int orientation,
                                       std::uint16_t compression = COMPRESSION_NONE) {
  char name[] = "/tmp/vorn-picture-faults-XXXXXX";
  const int descriptor = mkstemp(name);
  TIFF* tiff = TIFFFdOpen(descriptor, name, "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(bitmap.Width()));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(bitmap.Height()));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 8);
  if (orientation != 0) TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
  std::vector<std::uint8_t> row(bitmap.Stride());
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* p = bitmap.ScanLine(y);
    for (std::size_t i = 0; i < row.size(); i += 3) {
      row[i] = p[i + 2];
      row[i + 1] = p[i + 1];
      row[i + 2] = p[i];
    }
    TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(y), 0);
  }
  TIFFClose(tiff);  // closes the descriptor too
  std::string data;
  if (std::FILE* file = std::fopen(name, "rb")) {
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
      data.append(chunk, got);
    std::fclose(file);
  }
  std::remove(name);
  return data;
}

// A PackBits TIFF of the bitmap whose strips, past their first quarter, turn into literal
// runs of 128 bytes that overrun the rows (libtiff drops the excess with a warning).
inline std::string PackBitsTiffWithOverrun(const TBitmap24& bitmap) {
  std::string tiff = TiffWithOrientation(bitmap, 0, COMPRESSION_PACKBITS);
  // libtiff writes the strips first, from byte 8 up to the directory (little-endian here).
  std::size_t directory = 0;
  for (int i = 3; i >= 0; --i) directory = directory << 8 | static_cast<unsigned char>(tiff[4 + i]);
  const std::size_t strips = directory - 8;
  for (std::size_t i = 8 + strips / 4; i < 8 + strips * 3 / 4; ++i) tiff[i] = 0x7F;
  return tiff;
}

// A grey LZW TIFF declaring width x height whose one strip holds 16 bytes.
inline std::string LzwTiffDeclaring(std::uint32_t width, std::uint32_t height) {
  std::string tiff("II\x2A\0", 4);
  PutLittleEndian(tiff, 8, 4);
  const std::uint32_t entries[][3] = {{256, 4, width}, {257, 4, height}, {258, 3, 8},
                                      {259, 3, 5},     {262, 3, 1},      {273, 4, 0},
                                      {277, 3, 1},     {278, 4, height}, {279, 4, 16}};
  const std::uint32_t count = sizeof entries / sizeof entries[0];
  const std::uint32_t stripOffset = 8 + 2 + 12 * count + 4;
  PutLittleEndian(tiff, count, 2);
  for (const auto& entry : entries) {
    PutLittleEndian(tiff, entry[0], 2);
    PutLittleEndian(tiff, entry[1], 2);
    PutLittleEndian(tiff, 1, 4);
    PutLittleEndian(tiff, entry[0] == 273 ? stripOffset : entry[2], 4);
  }
  PutLittleEndian(tiff, 0, 4);
  return tiff + std::string(16, '\x80');
}

// ---- BMP ----

// A 24-bit BMP header declaring width x height, followed by pixelBytes bytes of pixels.
inline std::string BmpDeclaring(int width, int height, std::size_t pixelBytes) {
  std::string bmp = "BM";
  PutLittleEndian(bmp, static_cast<std::uint32_t>(54 + pixelBytes), 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, 54, 4);
  for (std::uint32_t field :
       {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
    PutLittleEndian(bmp, field, 4);
  PutLittleEndian(bmp, 1, 2);
  PutLittleEndian(bmp, 24, 2);
  for (int i = 0; i < 6; ++i) PutLittleEndian(bmp, 0, 4);
  return bmp + std::string(pixelBytes, '\x40');
}

}  // namespace vorn::test
