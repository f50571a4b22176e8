// PNG through libpng, from and to memory. libpng errors longjmp back into RunGuarded and
// become EPictureError, and so do its warnings once the pixels are being read (libpng reads
// pixel data as benign errors: a damaged or short zlib stream, too much data); warnings
// about the chunks before the pixels (an odd ICC profile, say) are ignored. Alpha and tRNS
// transparency are dropped: the stored colour values are kept as they are.

#include <png.h>

#include <bit>
#include <cstring>
#include <vector>

#include "codecs/PictureCodecs.h"

namespace vorn::codecs {

namespace {

struct TPngErrors {
  std::jmp_buf Jump{};
  char Message[256]{};
  bool ReadingPixels = false;
};

[[noreturn]] void RaisePngError(png_structp png, png_const_charp message) {
  auto* errors = static_cast<TPngErrors*>(png_get_error_ptr(png));
  std::strncpy(errors->Message, message ? message : "unknown error", sizeof errors->Message - 1);
  std::longjmp(errors->Jump, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

void FilterPngWarning(png_structp png, png_const_charp message) {
  if (static_cast<TPngErrors*>(png_get_error_ptr(png))->ReadingPixels) RaisePngError(png, message);
}

// Deflate's best: 258 bytes from a length and a distance code of one bit each.
constexpr std::uint64_t kDeflateBestRatio = 1032;

// The pixels alone, without the rows' filter bytes, are more than the file could inflate to.
void CheckDataCovers(png_uint_32 width, png_uint_32 height, int bitsPerPixel, std::size_t bytes) {
  const std::uint64_t pixelBytes = std::uint64_t{width} * height * bitsPerPixel / 8;
  if (pixelBytes > kDeflateBestRatio * bytes)
    throw EPictureError("PNG: the file is too short for a picture of " + std::to_string(width) +
                        " x " + std::to_string(height) + " pixels");
}

struct TPngSource {
  std::string_view Data;
  std::size_t Position = 0;
};

void ReadPngData(png_structp png, png_bytep target, std::size_t count) {
  auto* source = static_cast<TPngSource*>(png_get_io_ptr(png));
  if (count > source->Data.size() - source->Position) png_error(png, "the file is truncated");
  std::memcpy(target, source->Data.data() + source->Position, count);
  source->Position += count;
}

struct TPngTarget {
  std::string Data;
  bool OutOfMemory = false;
};

void WritePngData(png_structp png, png_bytep source, std::size_t count) {
  auto* target = static_cast<TPngTarget*>(png_get_io_ptr(png));
  try {
    target->Data.append(reinterpret_cast<const char*>(source), count);
  } catch (const std::bad_alloc&) {
    target->OutOfMemory = true;
  }
  if (target->OutOfMemory) png_error(png, "not enough memory");
}

void FlushNothing(png_structp) {}

class TPngDecoder {
 public:
  TPngDecoder() = default;
  ~TPngDecoder() { png_destroy_read_struct(&Png_, &Info_, nullptr); }
  TPngDecoder(const TPngDecoder&) = delete;
  TPngDecoder& operator=(const TPngDecoder&) = delete;

  TPictureHeader ReadHeader(std::string_view data) {
    if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.data()), 0, 8) != 0)
      throw EPictureError("PNG: not a PNG file (bad signature)");
    Create(data);
    Run([&] { png_read_info(Png_, Info_); });
    const png_uint_32 width = png_get_image_width(Png_, Info_);
    const png_uint_32 height = png_get_image_height(Png_, Info_);
    CheckPictureSize(width, height, "PNG: ");
    const int bitsPerPixel = png_get_bit_depth(Png_, Info_) * png_get_channels(Png_, Info_);
    CheckDataCovers(width, height, bitsPerPixel, data.size());
    const int bitsPerChannel = png_get_color_type(Png_, Info_) == PNG_COLOR_TYPE_PALETTE
                                   ? 8
                                   : png_get_bit_depth(Png_, Info_);
    return {static_cast<int>(width), static_cast<int>(height), bitsPerPixel, bitsPerChannel};
  }

  TDecodedPicture Decode(std::string_view data) {
    const TPictureHeader header = ReadHeader(data);
    const auto width = static_cast<png_uint_32>(header.Width);
    const auto height = static_cast<png_uint_32>(header.Height);
    int depth = png_get_bit_depth(Png_, Info_);
    int colourType = png_get_color_type(Png_, Info_);
    TDecodedPicture picture;
    picture.BitsPerChannel = colourType == PNG_COLOR_TYPE_PALETTE ? 8 : depth;
    picture.BitsPerPixel = header.BitsPerPixel;
    bool interlaced = png_get_interlace_type(Png_, Info_) != PNG_INTERLACE_NONE;
    Run([&] { SetTransforms(colourType, depth); });
    std::size_t rowBytes = png_get_rowbytes(Png_, Info_);
    std::size_t pixelBytes = depth == 16 ? 6 : 3;
    if (rowBytes != pixelBytes * width) throw EPictureError("PNG: unexpected row layout");
    picture.Bitmap.SetSize(static_cast<int>(width), static_cast<int>(height));
    Errors_.ReadingPixels = true;
    if (depth != 16)
      ReadRows8(picture.Bitmap);
    else if (interlaced)
      ReadInterlacedRows16(picture.Bitmap);
    else
      ReadRows16(picture.Bitmap);
    return picture;
  }

  TPicture48 Decode48(std::string_view data) {
    const TPictureHeader header = ReadHeader(data);
    const int colourType = png_get_color_type(Png_, Info_);
    const int depth = png_get_bit_depth(Png_, Info_);
    Run([&] { SetTransforms48(colourType, depth); });
    const auto width = static_cast<std::size_t>(header.Width);
    if (png_get_rowbytes(Png_, Info_) != 6 * width)
      throw EPictureError("PNG: unexpected row layout");
    TPicture48 picture{header.Width, header.Height, {}};
    picture.Rgb.resize(3 * width * static_cast<std::size_t>(header.Height));
    std::vector<png_bytep> rows(static_cast<std::size_t>(header.Height));
    for (std::size_t y = 0; y < rows.size(); ++y)
      rows[y] = reinterpret_cast<png_bytep>(picture.Rgb.data() + 3 * width * y);
    Errors_.ReadingPixels = true;
    Run([&] { png_read_image(Png_, rows.data()); });
    return picture;
  }

 private:
  template <class Body>
  void Run(Body&& body) {
    if (!RunGuarded(Errors_.Jump, body))
      throw EPictureError(std::string("PNG: ") + Errors_.Message);
  }

  void Create(std::string_view data) {
    Source_.Data = data;
    Png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &Errors_, RaisePngError, FilterPngWarning);
    if (Png_ != nullptr) Info_ = png_create_info_struct(Png_);
    if (Png_ == nullptr || Info_ == nullptr) throw std::bad_alloc();
    png_set_read_fn(Png_, &Source_, ReadPngData);
  }

  // Everything ends as blue, green, red: 8 bits, or 16 bits (big-endian, red first).
  void SetTransforms(int colourType, int depth) {
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(Png_);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(Png_);
    png_set_strip_alpha(Png_);  // also drops what tRNS expansion may add
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(Png_);
    if (depth != 16) png_set_bgr(Png_);
    png_set_interlace_handling(Png_);
    png_read_update_info(Png_, Info_);
  }

  // Everything ends as red, green, blue of 16 bits in the machine's byte order.
  void SetTransforms48(int colourType, int depth) {
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(Png_);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(Png_);
    png_set_strip_alpha(Png_);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(Png_);
    png_set_expand_16(Png_);
    if constexpr (std::endian::native == std::endian::little) png_set_swap(Png_);
    png_set_interlace_handling(Png_);
    png_read_update_info(Png_, Info_);
  }

  void ReadRows8(TBitmap24& bitmap) {
    std::vector<png_bytep> rows(static_cast<std::size_t>(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) rows[y] = bitmap.ScanLine(y);
    Run([&] { png_read_image(Png_, rows.data()); });
  }

  static void Reduce16Row(const std::uint8_t* rgb16, std::uint8_t* bgr, int width) {
    for (int x = 0; x < width; ++x, rgb16 += 6, bgr += 3) {
      bgr[2] = Reduce16To8(rgb16[0] << 8 | rgb16[1]);
      bgr[1] = Reduce16To8(rgb16[2] << 8 | rgb16[3]);
      bgr[0] = Reduce16To8(rgb16[4] << 8 | rgb16[5]);
    }
  }

  void ReadRows16(TBitmap24& bitmap) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(bitmap.Width()) * 6);
    Run([&] {
      for (int y = 0; y < bitmap.Height(); ++y) {
        png_read_row(Png_, row.data(), nullptr);
        Reduce16Row(row.data(), bitmap.ScanLine(y), bitmap.Width());
      }
    });
  }

  // Interlaced passes revisit every row, so the whole 16-bit picture is kept until the end.
  void ReadInterlacedRows16(TBitmap24& bitmap) {
    std::size_t rowBytes = static_cast<std::size_t>(bitmap.Width()) * 6;
    std::vector<std::uint8_t> pixels(rowBytes * bitmap.Height());
    std::vector<png_bytep> rows(static_cast<std::size_t>(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) rows[y] = pixels.data() + rowBytes * y;
    Run([&] { png_read_image(Png_, rows.data()); });
    for (int y = 0; y < bitmap.Height(); ++y)
      Reduce16Row(rows[y], bitmap.ScanLine(y), bitmap.Width());
  }

  png_structp Png_ = nullptr;
  png_infop Info_ = nullptr;
  TPngErrors Errors_;
  TPngSource Source_;
};

class TPngEncoder {
 public:
  TPngEncoder() = default;
  ~TPngEncoder() { png_destroy_write_struct(&Png_, &Info_); }
  TPngEncoder(const TPngEncoder&) = delete;
  TPngEncoder& operator=(const TPngEncoder&) = delete;

  std::string Encode(const TBitmap24& bitmap) {
    std::vector<png_bytep> rows(static_cast<std::size_t>(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) rows[y] = const_cast<png_bytep>(bitmap.ScanLine(y));
    return EncodeRows(bitmap.Width(), rows, 8, [&] { png_set_bgr(Png_); });
  }

  std::string Encode48(const TPicture48& picture) {
    const auto stride = 3 * static_cast<std::size_t>(picture.Width);
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.Height));
    for (std::size_t y = 0; y < rows.size(); ++y)
      rows[y] =
          reinterpret_cast<png_bytep>(const_cast<std::uint16_t*>(picture.Rgb.data()) + stride * y);
    return EncodeRows(picture.Width, rows, 16, [&] {
      if constexpr (std::endian::native == std::endian::little) png_set_swap(Png_);
    });
  }

 private:
  // libpng copies each row before its transforms run, so the rows are only read.
  template <class Transforms>
  std::string EncodeRows(int width, std::vector<png_bytep>& rows, int depth,
                         Transforms&& transforms) {
    Png_ =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &Errors_, RaisePngError, IgnorePngWarning);
    if (Png_ != nullptr) Info_ = png_create_info_struct(Png_);
    if (Png_ == nullptr || Info_ == nullptr) throw std::bad_alloc();
    bool written = RunGuarded(Errors_.Jump, [&] {
      png_set_write_fn(Png_, &Target_, WritePngData, FlushNothing);
      png_set_IHDR(Png_, Info_, static_cast<png_uint_32>(width),
                   static_cast<png_uint_32>(rows.size()), depth, PNG_COLOR_TYPE_RGB,
                   PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
      png_write_info(Png_, Info_);
      transforms();
      png_write_image(Png_, rows.data());
      png_write_end(Png_, nullptr);
    });
    if (Target_.OutOfMemory) throw std::bad_alloc();
    if (!written) throw EPictureError(std::string("PNG: ") + Errors_.Message);
    return std::move(Target_.Data);
  }

  png_structp Png_ = nullptr;
  png_infop Info_ = nullptr;
  TPngErrors Errors_;
  TPngTarget Target_;
};

}  // namespace

TDecodedPicture DecodePng(std::string_view data) {
  TPngDecoder decoder;
  return decoder.Decode(data);
}

TPictureHeader ReadPngHeader(std::string_view data) {
  TPngDecoder decoder;
  return decoder.ReadHeader(data);
}

TPicture48 DecodePng48(std::string_view data) {
  TPngDecoder decoder;
  return decoder.Decode48(data);
}

std::string EncodePng(const TBitmap24& bitmap) {
  TPngEncoder encoder;
  return encoder.Encode(bitmap);
}

std::string EncodePng48(const TPicture48& picture) {
  TPngEncoder encoder;
  return encoder.Encode48(picture);
}

}  // namespace vorn::codecs
