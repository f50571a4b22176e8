// JPEG through libjpeg(-turbo). Library errors longjmp back into RunGuarded and become
// EPictureError; warnings are ignored except a premature end of the data, which means the
// file is truncated and the picture would be partly grey.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "codecs/PictureCodecs.h"
#include "platform/Memory.h"

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

// The encoded bytes, in a buffer of ours rather than libjpeg's memory destination, which
// leaves a freed pointer behind when the encoder is destroyed half-way (as it is when the
// read feeding it fails). A full buffer doubles; no room is libjpeg's out-of-memory error.
struct TByteDestination : jpeg_destination_mgr {
  TByteBuffer Bytes;
};

constexpr std::size_t kFirstOutputBytes = std::size_t{1} << 16;

bool TryResize(TByteBuffer& bytes, std::size_t size) {
  try {
    bytes.Resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

TByteDestination& DestinationOf(j_compress_ptr info) {
  return *static_cast<TByteDestination*>(info->dest);
}

void StartOutput(j_compress_ptr info) {
  TByteDestination& destination = DestinationOf(info);
  if (!TryResize(destination.Bytes, kFirstOutputBytes)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 10);
  destination.next_output_byte = reinterpret_cast<JOCTET*>(destination.Bytes.Data());
  destination.free_in_buffer = destination.Bytes.Size();
}

// libjpeg asks only once the buffer is full.
boolean GrowOutput(j_compress_ptr info) {
  TByteDestination& destination = DestinationOf(info);
  const std::size_t used = destination.Bytes.Size();
  if (!TryResize(destination.Bytes, used * 2)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 10);
  destination.next_output_byte = reinterpret_cast<JOCTET*>(destination.Bytes.Data()) + used;
  destination.free_in_buffer = used;
  return TRUE;
}

void EndOutput(j_compress_ptr info) {
  TByteDestination& destination = DestinationOf(info);
  destination.Bytes.Resize(destination.Bytes.Size() - destination.free_in_buffer);
}

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

}  // namespace

class TJpegDecoder {
 public:
  // jpeg_destroy_decompress copes with a structure that was never created, so nothing
  // that can fail happens before the destructor is guaranteed to run.
  TJpegDecoder() { InstallErrors(Info_, Errors_); }
  ~TJpegDecoder() { jpeg_destroy_decompress(&Info_); }
  TJpegDecoder(const TJpegDecoder&) = delete;
  TJpegDecoder& operator=(const TJpegDecoder&) = delete;

  void Start(std::string_view data, TPreviewBox box) {
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
    if (cmyk) CmykRows_.resize(static_cast<std::size_t>(Info_.output_width) * 4 * kRowsPerBatch);
  }

  const jpeg_decompress_struct& Info() const { return Info_; }

  void ReadRows(std::uint8_t* first, std::size_t stride, int count) {
    bool endedEarly = false;
    Run([&] {
      JSAMPROW rows[kRowsPerBatch];
      for (int done = 0; done < count;) {
        const int batch = std::min(kRowsPerBatch, count - done);
        for (int i = 0; i < batch; ++i) rows[i] = RowTarget(first, stride, done + i, i);
        const auto got =
            static_cast<int>(jpeg_read_scanlines(&Info_, rows, static_cast<JDIMENSION>(batch)));
        if (got == 0) {
          endedEarly = true;
          return;
        }
        if (!CmykRows_.empty()) ConvertCmykRows(rows, first + stride * done, stride, got);
        done += got;
      }
    });
    if (endedEarly) throw EPictureError("JPEG: the picture data ends early");
  }

 private:
  template <class Body>
  void Run(Body&& body) {
    if (!RunGuarded(Errors_.Jump, body))
      throw EPictureError(std::string("JPEG: ") + Errors_.Message);
  }

  // CMYK rows are decoded into a buffer of their own and converted into the target.
  std::uint8_t* RowTarget(std::uint8_t* first, std::size_t stride, int row, int batchRow) {
    if (CmykRows_.empty()) return first + stride * static_cast<std::size_t>(row);
    return CmykRows_.data() + static_cast<std::size_t>(Info_.output_width) * 4 * batchRow;
  }

  void ConvertCmykRows(JSAMPROW* cmyk, std::uint8_t* bgr, std::size_t stride, int count) const {
    for (int i = 0; i < count; ++i)
      CmykRowToBgr(cmyk[i], bgr + stride * static_cast<std::size_t>(i),
                   static_cast<int>(Info_.output_width), Info_.saw_Adobe_marker);
  }

  jpeg_decompress_struct Info_{};
  TJpegErrors Errors_;
  std::vector<std::uint8_t> CmykRows_;  // empty unless the picture is CMYK or YCCK
};

class TJpegEncoder {
 public:
  TJpegEncoder() { InstallErrors(Info_, Errors_); }
  ~TJpegEncoder() { jpeg_destroy_compress(&Info_); }
  TJpegEncoder(const TJpegEncoder&) = delete;
  TJpegEncoder& operator=(const TJpegEncoder&) = delete;

  void Start(int width, int height, int quality, TChromaSubsampling subsampling) {
    Run([&] {
      jpeg_create_compress(&Info_);
      Destination_.init_destination = StartOutput;
      Destination_.empty_output_buffer = GrowOutput;
      Destination_.term_destination = EndOutput;
      Info_.dest = &Destination_;
      Info_.image_width = static_cast<JDIMENSION>(width);
      Info_.image_height = static_cast<JDIMENSION>(height);
      Info_.input_components = 3;
      Info_.in_color_space = JCS_EXT_BGR;
      jpeg_set_defaults(&Info_);
      jpeg_set_quality(&Info_, quality, TRUE);
      SetSubsampling(Info_, subsampling);
      jpeg_start_compress(&Info_, TRUE);
    });
  }

  // A short write is left to jpeg_finish_compress, which refuses a picture missing rows.
  void WriteRows(const std::uint8_t* first, std::size_t stride, int count) {
    Run([&] {
      JSAMPROW rows[kRowsPerBatch];
      for (int done = 0; done < count;) {
        const int batch = std::min(kRowsPerBatch, count - done);
        // libjpeg reads the rows only; its interface just lacks const.
        for (int i = 0; i < batch; ++i)
          rows[i] = const_cast<std::uint8_t*>(first + stride * static_cast<std::size_t>(done + i));
        const auto put =
            static_cast<int>(jpeg_write_scanlines(&Info_, rows, static_cast<JDIMENSION>(batch)));
        if (put == 0) return;
        done += put;
      }
    });
  }

  std::string Finish() {
    Run([&] { jpeg_finish_compress(&Info_); });
    return std::string(Destination_.Bytes.Data(), Destination_.Bytes.Size());
  }

 private:
  template <class Body>
  void Run(Body&& body) {
    if (!RunGuarded(Errors_.Jump, body))
      throw EPictureError(std::string("JPEG: ") + Errors_.Message);
  }

  jpeg_compress_struct Info_{};
  TJpegErrors Errors_;
  TByteDestination Destination_{};
};

TJpegRowReader::TJpegRowReader(std::string_view data, TPreviewBox box)
    : Decoder_(std::make_unique<TJpegDecoder>()) {
  Decoder_->Start(data, box);
}

TJpegRowReader::~TJpegRowReader() = default;

int TJpegRowReader::Width() const {
  return static_cast<int>(Decoder_->Info().output_width);
}

int TJpegRowReader::Height() const {
  return static_cast<int>(Decoder_->Info().output_height);
}

int TJpegRowReader::BitsPerChannel() const {
  return Decoder_->Info().data_precision;
}

int TJpegRowReader::BitsPerPixel() const {
  return Decoder_->Info().data_precision * Decoder_->Info().num_components;
}

void TJpegRowReader::ReadRows(std::uint8_t* first, std::size_t stride, int count) {
  Decoder_->ReadRows(first, stride, count);
}

TJpegRowWriter::TJpegRowWriter(int width, int height, int quality, TChromaSubsampling subsampling)
    : Encoder_(std::make_unique<TJpegEncoder>()) {
  Encoder_->Start(width, height, quality, subsampling);
}

TJpegRowWriter::~TJpegRowWriter() = default;

void TJpegRowWriter::WriteRows(const std::uint8_t* first, std::size_t stride, int count) {
  Encoder_->WriteRows(first, stride, count);
}

std::string TJpegRowWriter::Finish() {
  return Encoder_->Finish();
}

TDecodedPicture DecodeJpeg(std::string_view data, TPreviewBox box) {
  TJpegRowReader reader(data, box);
  TDecodedPicture picture;
  picture.BitsPerChannel = reader.BitsPerChannel();
  picture.BitsPerPixel = reader.BitsPerPixel();
  picture.Bitmap.SetSize(reader.Width(), reader.Height());
  reader.ReadRows(picture.Bitmap.Data(), picture.Bitmap.Stride(), reader.Height());
  return picture;
}

std::string EncodeJpeg(const TBitmap24& bitmap, int quality, TChromaSubsampling subsampling) {
  TJpegRowWriter writer(bitmap.Width(), bitmap.Height(), quality, subsampling);
  writer.WriteRows(bitmap.Data(), bitmap.Stride(), bitmap.Height());
  return writer.Finish();
}

}  // namespace vorn::codecs
