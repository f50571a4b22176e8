// JPEG through libjpeg(-turbo). Library errors longjmp back into RunGuarded and become
// EPictureError; warnings are ignored except a premature end of the data, which means the
// file is truncated and the picture would be partly grey.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "codecs/PictureCodecs.h"

namespace vorn::codecs {

namespace {

constexpr int kRowsPerBatch = 16;

struct TJpegErrors {
  jpeg_error_mgr Manager{};
  std::jmp_buf Jump{};
  char Message[JMSG_LENGTH_MAX]{};
};

void RaiseJpegError(j_common_ptr info) {
  auto* errors = static_cast<TJpegErrors*>(info->client_data);
  info->err->format_message(info, errors->Message);
  std::longjmp(errors->Jump, 1);
}

void FilterJpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) RaiseJpegError(info);
}

void IgnoreJpegOutput(j_common_ptr) {}

template <class Info>
void InstallErrors(Info& info, TJpegErrors& errors) {
  info.err = jpeg_std_error(&errors.Manager);
  errors.Manager.error_exit = RaiseJpegError;
  errors.Manager.emit_message = FilterJpegMessage;
  errors.Manager.output_message = IgnoreJpegOutput;
  info.client_data = &errors;
}

// 1, 2, 4 or 8: the largest DCT reduction that leaves the picture at least twice the size
// it gets in the box.
unsigned ScaleDenominatorFor(unsigned width, unsigned height, TPreviewBox box) {
  if (box.Width <= 0 || box.Height <= 0) return 1;
  double scale = std::min(static_cast<double>(box.Width) / width,
                          static_cast<double>(height == 0 ? 1 : box.Height) / height);
  unsigned denominator = 1;
  while (denominator < 8 && 2.0 * denominator * 2.0 * scale <= 1.0) denominator *= 2;
  return denominator;
}

std::uint8_t MultiplyBytes(unsigned a, unsigned b) {
  return static_cast<std::uint8_t>((a * b + 127) / 255);
}

// Adobe writes CMYK inverted (0 is full ink); other writers store plain ink amounts.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
    unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
    unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
    unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    bgr[0] = MultiplyBytes(y, k);
    bgr[1] = MultiplyBytes(m, k);
    bgr[2] = MultiplyBytes(c, k);
  }
}

class TJpegDecoder {
 public:
  TJpegDecoder() { InstallErrors(Info_, Errors_); }
  ~TJpegDecoder() { jpeg_destroy_decompress(&Info_); }
  TJpegDecoder(const TJpegDecoder&) = delete;
  TJpegDecoder& operator=(const TJpegDecoder&) = delete;

  // jpeg_destroy_decompress copes with a structure that was never created, so nothing
  // that can fail happens before the destructor is guaranteed to run.
  TDecodedPicture Decode(std::string_view data, TPreviewBox box) {
    Run([&] {
      jpeg_create_decompress(&Info_);
      jpeg_mem_src(&Info_, reinterpret_cast<const unsigned char*>(data.data()),
                   static_cast<unsigned long>(data.size()));
      jpeg_read_header(&Info_, TRUE);
    });
    CheckPictureSize(Info_.image_width, Info_.image_height, "JPEG: ");
    bool cmyk = Info_.jpeg_color_space == JCS_CMYK || Info_.jpeg_color_space == JCS_YCCK;
    Info_.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    Info_.scale_num = 1;
    Info_.scale_denom = ScaleDenominatorFor(Info_.image_width, Info_.image_height, box);
    Run([&] { jpeg_start_decompress(&Info_); });
    TDecodedPicture picture;
    picture.BitsPerChannel = Info_.data_precision;
    picture.BitsPerPixel = Info_.data_precision * Info_.num_components;
    picture.Bitmap.SetSize(static_cast<int>(Info_.output_width),
                           static_cast<int>(Info_.output_height));
    if (cmyk)
      ReadCmykRows(picture.Bitmap);
    else
      ReadBgrRows(picture.Bitmap);
    return picture;
  }

 private:
  template <class Body>
  void Run(Body&& body) {
    if (!RunGuarded(Errors_.Jump, body))
      throw EPictureError(std::string("JPEG: ") + Errors_.Message);
  }

  void CheckComplete() {
    if (Info_.output_scanline < Info_.output_height)
      throw EPictureError("JPEG: the picture data ends early");
  }

  void ReadBgrRows(TBitmap24& bitmap) {
    Run([&] {
      JSAMPROW rows[kRowsPerBatch];
      while (Info_.output_scanline < Info_.output_height) {
        JDIMENSION first = Info_.output_scanline;
        JDIMENSION count = std::min<JDIMENSION>(kRowsPerBatch, Info_.output_height - first);
        for (JDIMENSION i = 0; i < count; ++i) rows[i] = bitmap.ScanLine(first + i);
        if (jpeg_read_scanlines(&Info_, rows, count) == 0) break;
      }
    });
    CheckComplete();
  }

  void ReadCmykRows(TBitmap24& bitmap) {
    int width = bitmap.Width();
    bool inverted = Info_.saw_Adobe_marker;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(width) * 4 * kRowsPerBatch);
    std::uint8_t* base = buffer.data();
    Run([&] {
      JSAMPROW rows[kRowsPerBatch];
      for (int i = 0; i < kRowsPerBatch; ++i)
        rows[i] = base + static_cast<std::size_t>(width) * 4 * i;
      while (Info_.output_scanline < Info_.output_height) {
        JDIMENSION first = Info_.output_scanline;
        JDIMENSION count = std::min<JDIMENSION>(kRowsPerBatch, Info_.output_height - first);
        JDIMENSION got = jpeg_read_scanlines(&Info_, rows, count);
        if (got == 0) break;
        for (JDIMENSION i = 0; i < got; ++i)
          CmykRowToBgr(rows[i], bitmap.ScanLine(first + i), width, inverted);
      }
    });
    CheckComplete();
  }

  jpeg_decompress_struct Info_{};
  TJpegErrors Errors_;
};

void SetSubsampling(jpeg_compress_struct& info, TChromaSubsampling subsampling) {
  int horizontal = subsampling == TChromaSubsampling::None ? 1 : 2;
  int vertical = subsampling == TChromaSubsampling::s420 ? 2 : 1;
  info.comp_info[0].h_samp_factor = horizontal;
  info.comp_info[0].v_samp_factor = vertical;
  for (int i = 1; i < info.num_components; ++i) {
    info.comp_info[i].h_samp_factor = 1;
    info.comp_info[i].v_samp_factor = 1;
  }
}

class TJpegEncoder {
 public:
  TJpegEncoder() { InstallErrors(Info_, Errors_); }
  ~TJpegEncoder() {
    jpeg_destroy_compress(&Info_);
    std::free(Buffer_);
  }
  TJpegEncoder(const TJpegEncoder&) = delete;
  TJpegEncoder& operator=(const TJpegEncoder&) = delete;

  std::string Encode(const TBitmap24& bitmap, int quality, TChromaSubsampling subsampling) {
    Run([&] {
      jpeg_create_compress(&Info_);
      jpeg_mem_dest(&Info_, &Buffer_, &Size_);
      Info_.image_width = static_cast<JDIMENSION>(bitmap.Width());
      Info_.image_height = static_cast<JDIMENSION>(bitmap.Height());
      Info_.input_components = 3;
      Info_.in_color_space = JCS_EXT_BGR;
      jpeg_set_defaults(&Info_);
      jpeg_set_quality(&Info_, quality, TRUE);
      SetSubsampling(Info_, subsampling);
      jpeg_start_compress(&Info_, TRUE);
      WriteRows(bitmap);
      jpeg_finish_compress(&Info_);
    });
    return std::string(reinterpret_cast<const char*>(Buffer_), Size_);
  }

 private:
  template <class Body>
  void Run(Body&& body) {
    if (!RunGuarded(Errors_.Jump, body))
      throw EPictureError(std::string("JPEG: ") + Errors_.Message);
  }

  void WriteRows(const TBitmap24& bitmap) {
    JSAMPROW rows[kRowsPerBatch];
    while (Info_.next_scanline < Info_.image_height) {
      JDIMENSION first = Info_.next_scanline;
      JDIMENSION count = std::min<JDIMENSION>(kRowsPerBatch, Info_.image_height - first);
      // libjpeg reads the rows only; its interface just lacks const.
      for (JDIMENSION i = 0; i < count; ++i)
        rows[i] = const_cast<std::uint8_t*>(bitmap.ScanLine(first + i));
      if (jpeg_write_scanlines(&Info_, rows, count) == 0) break;
    }
  }

  jpeg_compress_struct Info_{};
  TJpegErrors Errors_;
  unsigned char* Buffer_ = nullptr;  // grown by libjpeg with malloc
  unsigned long Size_ = 0;
};

}  // namespace

TDecodedPicture DecodeJpeg(std::string_view data, TPreviewBox box) {
  TJpegDecoder decoder;
  return decoder.Decode(data, box);
}

std::string EncodeJpeg(const TBitmap24& bitmap, int quality, TChromaSubsampling subsampling) {
  TJpegEncoder encoder;
  return encoder.Encode(bitmap, quality, subsampling);
}

}  // namespace vorn::codecs
