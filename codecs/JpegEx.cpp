// JPEG through libjpeg(-turbo). Library errors longjmp back into RunGuarded and become
// EPictureError, and so do the warnings that mean lost pixels (data that ends early or is
// corrupt, which libjpeg would fill with grey). Warnings about the markers only (an unknown
// JFIF revision or Adobe transform, a bad ICC profile, stray bytes between segments, scan
// parameters a sequential picture ignores) are ignored: the pixels are whole.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

bool MeansLostPixels(int code) {
  switch (code) {
    case JWRN_JPEG_EOF:           // premature end of the file
    case JWRN_HIT_MARKER:         // premature end of a data segment
    case JWRN_HUFF_BAD_CODE:      // corrupt entropy-coded data
    case JWRN_ARITH_BAD_CODE:     // the same, arithmetic coding
    case JWRN_MUST_RESYNC:        // restart markers out of order: rows skipped
    case JWRN_BOGUS_PROGRESSION:  // progressive scans that do not add up
      return true;
    default:
      return false;
  }
}

void FilterJpegMessage(j_common_ptr info, int level) {
  if (level < 0 && MeansLostPixels(info->err->msg_code)) RaiseJpegError(info);
}

void IgnoreJpegOutput(j_common_ptr) {}

// Every 8 x 8 block of the fullest component costs at least one bit of Huffman code (its DC
// difference), so a Huffman-coded file holds at most 512 pixels per byte. Arithmetic
// coding has no such floor.
constexpr std::int64_t kMostHuffmanPixelsPerByte = 512;

void CheckDataCovers(const jpeg_decompress_struct& info, std::size_t bytes) {
  if (info.arith_code) return;
  const std::int64_t pixels = std::int64_t{info.image_width} * info.image_height;
  if (pixels > kMostHuffmanPixelsPerByte * static_cast<std::int64_t>(bytes))
    throw EPictureError("JPEG: the file is too short for a picture of " +
                        std::to_string(info.image_width) + " x " +
                        std::to_string(info.image_height) + " pixels");
}

constexpr unsigned kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kExifHeaderBytes = 6;  // "Exif\0\0"

// The Orientation of the Exif block (a TIFF directory in an APP1 marker); 1 when absent.
int ExifOrientation(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
    if (marker->marker != kExifMarker || marker->data_length < kExifHeaderBytes ||
        std::memcmp(marker->data, "Exif\0\0", kExifHeaderBytes) != 0)
      continue;
    return TiffOrientationOf(
        std::string_view(reinterpret_cast<const char*>(marker->data) + kExifHeaderBytes,
                         marker->data_length - kExifHeaderBytes));
  }
  return 1;
}

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

  // Reads the header and its Exif orientation; raises EPictureError.
  void ReadHeader(std::string_view data) {
    Run([&] {
      jpeg_create_decompress(&Info_);
      jpeg_mem_src(&Info_, reinterpret_cast<const unsigned char*>(data.data()),
                   static_cast<unsigned long>(data.size()));
      jpeg_save_markers(&Info_, kExifMarker, 0xFFFF);
      jpeg_read_header(&Info_, TRUE);
    });
    CheckPictureSize(Info_.image_width, Info_.image_height, "JPEG: ");
    CheckDataCovers(Info_, data.size());
    Orientation_ = ExifOrientation(Info_);
  }

  void Start(std::string_view data, TPreviewBox box) {
    ReadHeader(data);
    if (SwapsSides(Orientation_)) std::swap(box.Width, box.Height);
    bool cmyk = Info_.jpeg_color_space == JCS_CMYK || Info_.jpeg_color_space == JCS_YCCK;
    Info_.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    Info_.scale_num = 1;
    Info_.scale_denom = ScaleDenominatorFor(Info_.image_width, Info_.image_height, box);
    Run([&] { jpeg_start_decompress(&Info_); });
    if (cmyk) CmykRows_.resize(static_cast<std::size_t>(Info_.output_width) * 4 * kRowsPerBatch);
  }

  TPictureHeader Header() const {
    const bool swapped = SwapsSides(Orientation_);
    const auto width = static_cast<int>(Info_.image_width);
    const auto height = static_cast<int>(Info_.image_height);
    return {swapped ? height : width, swapped ? width : height,
            Info_.data_precision * Info_.num_components};
  }

  const jpeg_decompress_struct& Info() const { return Info_; }
  int Orientation() const { return Orientation_; }

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
  int Orientation_ = 1;
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

int TJpegRowReader::Orientation() const {
  return Decoder_->Orientation();
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
  OrientBitmap(picture.Bitmap, reader.Orientation());
  return picture;
}

TPictureHeader ReadJpegHeader(std::string_view data) {
  TJpegDecoder decoder;
  decoder.ReadHeader(data);
  return decoder.Header();
}

std::string EncodeJpeg(const TBitmap24& bitmap, int quality, TChromaSubsampling subsampling) {
  TJpegRowWriter writer(bitmap.Width(), bitmap.Height(), quality, subsampling);
  writer.WriteRows(bitmap.Data(), bitmap.Stride(), bitmap.Height());
  return writer.Finish();
}

}  // namespace vorn::codecs
