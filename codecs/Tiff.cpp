// TIFF through libtiff, reading from and writing to memory. Each TIFF handle gets its own
// error and warning handlers, so libtiff prints nothing and the first error it reports
// becomes the message of the EPictureError. A warning while the strips are read (data that
// ends early or does not decode, which libtiff would leave as zeros) is an error too;
// warnings about the directory (unknown tags, say) are not.

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/PictureCodecs.h"

namespace vorn::codecs {

namespace {

constexpr const char* kUnsupportedVersion = "TIFF: Unsupported version";
constexpr const char* kIllegalDimensions = "TIFF: Illegal image dimensions";
constexpr const char* kUnsupportedBits = "TIFF: Unsupported Bits Per Sample";
constexpr const char* kUnsupportedPhotometric = "TIFF: Unsupported photometric interpretation";
constexpr const char* kUnsupportedCompression = "TIFF: Unsupported compression scheme";
constexpr const char* kInvalidLzwCode = "TIF LZW: invalid opcode.";

[[noreturn]] void Fail(const std::string& problem) {
  throw EPictureError(problem);
}

// ---- memory streams for TIFFClientOpenExt ----

struct TTiffStream {
  std::string_view Input;  // reading
  std::string Output;      // writing
  bool Writing = false;
  std::size_t Position = 0;
  bool OutOfMemory = false;

  std::size_t Size() const { return Writing ? Output.size() : Input.size(); }
};

TTiffStream& StreamOf(thandle_t handle) {
  return *static_cast<TTiffStream*>(handle);
}

tmsize_t ReadStream(thandle_t handle, void* buffer, tmsize_t size) {
  TTiffStream& stream = StreamOf(handle);
  if (stream.Writing || size < 0 || stream.Position >= stream.Input.size()) return 0;
  std::size_t count =
      std::min(static_cast<std::size_t>(size), stream.Input.size() - stream.Position);
  std::memcpy(buffer, stream.Input.data() + stream.Position, count);
  stream.Position += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteStream(thandle_t handle, void* buffer, tmsize_t size) {
  TTiffStream& stream = StreamOf(handle);
  if (!stream.Writing || size < 0) return 0;
  std::size_t count = static_cast<std::size_t>(size);
  try {
    if (stream.Output.size() < stream.Position + count)
      stream.Output.resize(stream.Position + count);
  } catch (const std::bad_alloc&) {
    stream.OutOfMemory = true;
    return 0;
  }
  std::memcpy(stream.Output.data() + stream.Position, buffer, count);
  stream.Position += count;
  return size;
}

toff_t SeekStream(thandle_t handle, toff_t offset, int whence) {
  TTiffStream& stream = StreamOf(handle);
  std::int64_t base = whence == SEEK_CUR   ? static_cast<std::int64_t>(stream.Position)
                      : whence == SEEK_END ? static_cast<std::int64_t>(stream.Size())
                                           : 0;
  // toff_t is unsigned: a backward seek arrives as a wrapped-around offset.
  constexpr std::int64_t kLimit = std::int64_t{1} << 40;
  std::int64_t delta = static_cast<std::int64_t>(offset);
  if (delta > kLimit || delta < -kLimit) return static_cast<toff_t>(-1);
  std::int64_t target = base + delta;
  if (target < 0 || target > kLimit) return static_cast<toff_t>(-1);
  stream.Position = static_cast<std::size_t>(target);
  return static_cast<toff_t>(target);
}

int CloseStream(thandle_t) {
  return 0;
}
toff_t SizeOfStream(thandle_t handle) {
  return StreamOf(handle).Size();
}
int MapStream(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapStream(thandle_t, void*, toff_t) {}

// ---- messages ----

struct TTiffMessages {
  std::string FirstError;
  std::string FirstErrorModule;
  bool ReadingPixels = false;
  std::string FirstPixelWarning;
};

int KeepFirstError(TIFF*, void* userData, const char* module, const char* format, va_list args) {
  auto& messages = *static_cast<TTiffMessages*>(userData);
  if (messages.FirstError.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    messages.FirstError = text;
    messages.FirstErrorModule = module ? module : "";
  }
  return 1;  // handled: keeps libtiff's global handlers (stderr) out of it
}

int KeepFirstPixelWarning(TIFF*, void* userData, const char*, const char* format, va_list args) {
  auto& messages = *static_cast<TTiffMessages*>(userData);
  if (messages.ReadingPixels && messages.FirstPixelWarning.empty()) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    messages.FirstPixelWarning = text;
  }
  return 1;
}

struct TTiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TTiffHandle = std::unique_ptr<TIFF, TTiffCloser>;

struct TOptionsFreer {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

TTiffHandle OpenTiff(TTiffStream& stream, TTiffMessages& messages, const char* mode) {
  std::unique_ptr<TIFFOpenOptions, TOptionsFreer> options(TIFFOpenOptionsAlloc());
  if (!options) throw std::bad_alloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepFirstError, &messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), KeepFirstPixelWarning, &messages);
  return TTiffHandle(TIFFClientOpenExt("picture", mode, &stream, ReadStream, WriteStream,
                                       SeekStream, CloseStream, SizeOfStream, MapStream,
                                       UnmapStream, options.get()));
}

// ---- reading ----

enum class TTiffColour { Grey, InvertedGrey, Rgb, Palette, Cmyk };

struct TTiffLayout {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::uint16_t BitsPerSample = 1;
  std::uint16_t SamplesPerPixel = 1;
  std::uint16_t Compression = COMPRESSION_NONE;
  std::uint16_t Photometric = PHOTOMETRIC_MINISBLACK;
  std::uint16_t Planar = PLANARCONFIG_CONTIG;
  std::uint16_t SampleFormat = SAMPLEFORMAT_UINT;
  std::uint16_t Orientation = ORIENTATION_TOPLEFT;
  TTiffColour Colour = TTiffColour::Grey;
};

class TClassicTiffBytes {
 public:
  explicit TClassicTiffBytes(std::string_view data)
      : Data_(data), Little_(data.size() >= 2 && data[0] == 'I') {}

  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= Data_.size() && count <= Data_.size() - offset;
  }
  std::uint32_t U16(std::size_t offset) const {
    unsigned a = Byte(offset), b = Byte(offset + 1);
    return Little_ ? a | b << 8 : a << 8 | b;
  }
  std::uint32_t U32(std::size_t offset) const {
    std::uint32_t a = U16(offset), b = U16(offset + 2);
    return Little_ ? a | b << 16 : a << 16 | b;
  }

 private:
  unsigned Byte(std::size_t offset) const { return static_cast<unsigned char>(Data_[offset]); }

  std::string_view Data_;
  bool Little_;
};

void CheckHeader(std::string_view data) {
  if (data.size() < 8) Fail(kUnsupportedVersion);
  bool little = data[0] == 'I' && data[1] == 'I';
  bool big = data[0] == 'M' && data[1] == 'M';
  std::uint32_t version = TClassicTiffBytes(data).U16(2);
  if (!(little || big) || (version != 42 && version != 43)) Fail(kUnsupportedVersion);
}

// libtiff refuses a zero width or height with messages of its own, so the first directory
// of a classic TIFF is looked at first. Anything unreadable here is left to libtiff.
void CheckFirstDirectoryDimensions(std::string_view data) {
  TClassicTiffBytes bytes(data);
  if (bytes.U16(2) != 42) return;
  std::size_t directory = bytes.U32(4);
  if (!bytes.Has(directory, 2)) return;
  std::size_t entries = bytes.U16(directory);
  std::int64_t size[2] = {-1, -1};  // width, height
  for (std::size_t i = 0; i < entries && bytes.Has(directory + 2 + 12 * i, 12); ++i) {
    std::size_t entry = directory + 2 + 12 * i;
    std::uint32_t tag = bytes.U16(entry);
    std::uint32_t type = bytes.U16(entry + 2);
    if ((tag != TIFFTAG_IMAGEWIDTH && tag != TIFFTAG_IMAGELENGTH) || bytes.U32(entry + 4) != 1)
      continue;
    if (type == TIFF_SHORT || type == TIFF_LONG)
      size[tag - TIFFTAG_IMAGEWIDTH] =
          type == TIFF_SHORT ? bytes.U16(entry + 8) : bytes.U32(entry + 8);
  }
  for (std::int64_t extent : size)
    if (extent == 0) Fail(kIllegalDimensions);
}

bool IsSupportedCompression(std::uint16_t compression) {
  return compression == COMPRESSION_NONE || compression == COMPRESSION_LZW ||
         compression == COMPRESSION_PACKBITS || compression == COMPRESSION_ADOBE_DEFLATE ||
         compression == COMPRESSION_DEFLATE;
}

TTiffColour ColourOf(const TTiffLayout& layout) {
  switch (layout.Photometric) {
    case PHOTOMETRIC_MINISBLACK:
      return TTiffColour::Grey;
    case PHOTOMETRIC_MINISWHITE:
      return TTiffColour::InvertedGrey;
    case PHOTOMETRIC_RGB:
      return TTiffColour::Rgb;
    case PHOTOMETRIC_PALETTE:
      return TTiffColour::Palette;
    case PHOTOMETRIC_SEPARATED:
      return TTiffColour::Cmyk;
    default:
      Fail(kUnsupportedPhotometric);
  }
}

bool AreBitsSupported(const TTiffLayout& layout) {
  if (layout.SampleFormat != SAMPLEFORMAT_UINT && layout.SampleFormat != SAMPLEFORMAT_VOID)
    return false;
  int bits = layout.BitsPerSample;
  switch (layout.Colour) {
    case TTiffColour::Grey:
    case TTiffColour::InvertedGrey:
      return bits == 1 || bits == 8 || bits == 16;
    case TTiffColour::Palette:
      return bits == 1 || bits == 2 || bits == 4 || bits == 8;
    case TTiffColour::Rgb:
    case TTiffColour::Cmyk:
      return bits == 8 || bits == 16;
  }
  return false;
}

void CheckSamples(const TTiffLayout& layout, TIFF* tiff) {
  int needed = layout.Colour == TTiffColour::Rgb ? 3 : layout.Colour == TTiffColour::Cmyk ? 4 : 1;
  int samples = layout.SamplesPerPixel;
  bool singleOnly = layout.Colour == TTiffColour::Palette || layout.BitsPerSample == 1;
  if (samples < needed || samples > 8 || (singleOnly && samples != 1))
    Fail("TIFF: Unsupported number of samples per pixel (" + std::to_string(samples) + ")");
  std::uint16_t inkSet = INKSET_CMYK;
  if (layout.Colour == TTiffColour::Cmyk) TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
  if (inkSet != INKSET_CMYK) Fail(kUnsupportedPhotometric);
  bool separate = layout.Planar == PLANARCONFIG_SEPARATE && samples > 1;
  if (separate && layout.Colour != TTiffColour::Rgb && layout.Colour != TTiffColour::Grey)
    Fail("TIFF: Unsupported planar configuration");
}

TTiffLayout ReadLayout(TIFF* tiff) {
  TTiffLayout layout;
  if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.Width) ||
      !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.Height) ||
      !IsPictureSizeAllowed(layout.Width, layout.Height))
    Fail(kIllegalDimensions);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &layout.Compression);
  if (!IsSupportedCompression(layout.Compression)) Fail(kUnsupportedCompression);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.BitsPerSample);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.SamplesPerPixel);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &layout.Planar);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &layout.SampleFormat);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &layout.Orientation);
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.Photometric))
    layout.Photometric = layout.SamplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  layout.Colour = ColourOf(layout);
  if (!AreBitsSupported(layout)) Fail(kUnsupportedBits);
  CheckSamples(layout, tiff);
  if (TIFFIsTiled(tiff)) Fail("TIFF: tiled pictures are not supported");
  return layout;
}

// Blue, green, red of each palette index.
std::vector<std::uint8_t> ReadPalette(TIFF* tiff, int bits) {
  std::uint16_t* red = nullptr;
  std::uint16_t* green = nullptr;
  std::uint16_t* blue = nullptr;
  if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue))
    Fail("TIFF: the palette picture has no colour map");
  std::size_t count = std::size_t{1} << bits;
  // Some old writers store 8-bit values in the 16-bit colour map.
  bool eightBit = true;
  for (std::size_t i = 0; i < count; ++i)
    if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eightBit = false;
  auto convert = [&](std::uint16_t v) {
    return eightBit ? static_cast<std::uint8_t>(v) : Reduce16To8(v);
  };
  std::vector<std::uint8_t> palette(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    palette[3 * i] = convert(blue[i]);
    palette[3 * i + 1] = convert(green[i]);
    palette[3 * i + 2] = convert(red[i]);
  }
  return palette;
}

class TTiffRowConverter {
 public:
  TTiffRowConverter(const TTiffLayout& layout, std::vector<std::uint8_t> palette)
      : Layout_(layout), Palette_(std::move(palette)) {}

  // Converts one contiguous row (all samples of each pixel together).
  void Convert(const void* row, std::uint8_t* bgr, int width) const {
    if (Layout_.BitsPerSample == 16)
      ConvertSamples(static_cast<const std::uint16_t*>(row), bgr, width, Reduce16To8);
    else if (Layout_.BitsPerSample == 8)
      ConvertSamples(static_cast<const std::uint8_t*>(row), bgr, width,
                     [](std::uint8_t v) { return v; });
    else
      ConvertPacked(static_cast<const std::uint8_t*>(row), bgr, width);
  }

  // Converts one row of a single plane into the channel of bgr that the plane holds.
  void ConvertPlane(const void* row, std::uint8_t* bgr, int width, int plane) const {
    int channel = Layout_.Colour == TTiffColour::Rgb ? 2 - plane : 0;
    for (int x = 0; x < width; ++x) {
      bgr[3 * x + channel] = Layout_.BitsPerSample == 16
                                 ? Reduce16To8(static_cast<const std::uint16_t*>(row)[x])
                                 : static_cast<const std::uint8_t*>(row)[x];
      if (Layout_.Colour != TTiffColour::Rgb) bgr[3 * x + 1] = bgr[3 * x + 2] = bgr[3 * x];
    }
  }

 private:
  template <class Sample, class Reduce>
  void ConvertSamples(const Sample* row, std::uint8_t* bgr, int width, Reduce reduce) const {
    int step = Layout_.SamplesPerPixel;
    for (int x = 0; x < width; ++x, row += step, bgr += 3) {
      switch (Layout_.Colour) {
        case TTiffColour::Rgb:
          bgr[0] = reduce(row[2]), bgr[1] = reduce(row[1]), bgr[2] = reduce(row[0]);
          break;
        case TTiffColour::Grey:
          bgr[0] = bgr[1] = bgr[2] = reduce(row[0]);
          break;
        case TTiffColour::InvertedGrey:
          bgr[0] = bgr[1] = bgr[2] = static_cast<std::uint8_t>(255 - reduce(row[0]));
          break;
        case TTiffColour::Cmyk:
          CmykToBgr(reduce(row[0]), reduce(row[1]), reduce(row[2]), reduce(row[3]), bgr);
          break;
        case TTiffColour::Palette:
          std::memcpy(bgr, &Palette_[3 * row[0]], 3);
          break;
      }
    }
  }

  static void CmykToBgr(unsigned c, unsigned m, unsigned y, unsigned k, std::uint8_t* bgr) {
    auto ink = [k](unsigned v) {
      return static_cast<std::uint8_t>(((255 - v) * (255 - k) + 127) / 255);
    };
    bgr[0] = ink(y), bgr[1] = ink(m), bgr[2] = ink(c);
  }

  // 1, 2 or 4 bits per sample, one sample per pixel, most significant bits first.
  void ConvertPacked(const std::uint8_t* row, std::uint8_t* bgr, int width) const {
    int bits = Layout_.BitsPerSample;
    int perByte = 8 / bits;
    unsigned mask = (1u << bits) - 1;
    for (int x = 0; x < width; ++x, bgr += 3) {
      unsigned value = (row[x / perByte] >> (8 - bits * (x % perByte + 1))) & mask;
      if (Layout_.Colour == TTiffColour::Palette) {
        std::memcpy(bgr, &Palette_[3 * value], 3);
      } else {
        bool white = (value != 0) == (Layout_.Colour == TTiffColour::Grey);
        bgr[0] = bgr[1] = bgr[2] = white ? 255 : 0;
      }
    }
  }

  TTiffLayout Layout_;
  std::vector<std::uint8_t> Palette_;
};

class TTiffReader {
 public:
  explicit TTiffReader(std::string_view data) {
    Stream_.Input = data;
    Tiff_ = OpenTiff(Stream_, Messages_, "rm");  // the stream has no mapping anyway
    if (!Tiff_) Fail(LibraryProblem("cannot read the file header"));
  }

  TPictureHeader Header() const {
    const TTiffLayout layout = ReadLayout(Tiff_.get());
    CheckDataCovers(layout);
    const bool swapped = SwapsSides(layout.Orientation);
    const auto width = static_cast<int>(layout.Width);
    const auto height = static_cast<int>(layout.Height);
    return {swapped ? height : width, swapped ? width : height,
            layout.BitsPerSample * layout.SamplesPerPixel, BitsPerChannelOf(layout)};
  }

  TDecodedPicture Decode() {
    TTiffLayout layout = ReadLayout(Tiff_.get());
    Compression_ = layout.Compression;
    CheckDataCovers(layout);
    std::vector<std::uint8_t> palette;
    if (layout.Colour == TTiffColour::Palette)
      palette = ReadPalette(Tiff_.get(), layout.BitsPerSample);
    TTiffRowConverter converter(layout, std::move(palette));
    TDecodedPicture picture;
    picture.BitsPerChannel = BitsPerChannelOf(layout);
    picture.BitsPerPixel = layout.BitsPerSample * layout.SamplesPerPixel;
    picture.Bitmap.SetSize(static_cast<int>(layout.Width), static_cast<int>(layout.Height));
    Messages_.ReadingPixels = true;
    if (layout.Planar == PLANARCONFIG_SEPARATE && layout.SamplesPerPixel > 1)
      ReadPlanes(layout, converter, picture.Bitmap);
    else
      ReadRows(converter, picture.Bitmap);
    OrientBitmap(picture.Bitmap, layout.Orientation);
    return picture;
  }

  TPicture48 Decode48() {
    const TTiffLayout layout = ReadLayout(Tiff_.get());
    if (!HasSixteenBitLevels(layout)) return WidenTo16(Decode());
    Compression_ = layout.Compression;
    CheckDataCovers(layout);
    const auto width = static_cast<std::size_t>(layout.Width);
    TPicture48 picture{static_cast<int>(layout.Width), static_cast<int>(layout.Height), {}};
    picture.Rgb.resize(3 * width * layout.Height);
    Messages_.ReadingPixels = true;
    if (layout.Planar == PLANARCONFIG_SEPARATE && layout.SamplesPerPixel > 1)
      ReadPlanes48(layout, picture);
    else
      ReadRows48(layout, picture);
    OrientPicture48(picture, layout.Orientation);
    return picture;
  }

 private:
  static int BitsPerChannelOf(const TTiffLayout& layout) {
    return layout.Colour == TTiffColour::Palette ? 8 : layout.BitsPerSample;
  }

  // Grey and RGB of 16 bits are read as they are; every other layout through the 8-bit
  // decoder.
  static bool HasSixteenBitLevels(const TTiffLayout& layout) {
    return layout.BitsPerSample == 16 && layout.Colour != TTiffColour::Palette &&
           layout.Colour != TTiffColour::Cmyk;
  }

  static TPicture48 WidenTo16(const TDecodedPicture& decoded) {
    const TBitmap24& bitmap = decoded.Bitmap;
    TPicture48 picture{bitmap.Width(), bitmap.Height(), {}};
    picture.Rgb.resize(bitmap.Stride() * static_cast<std::size_t>(bitmap.Height()));
    const std::uint8_t* bgr = bitmap.Data();
    for (std::size_t i = 0; i < picture.Rgb.size(); i += 3) {
      picture.Rgb[i] = static_cast<std::uint16_t>(bgr[i + 2] * 257);
      picture.Rgb[i + 1] = static_cast<std::uint16_t>(bgr[i + 1] * 257);
      picture.Rgb[i + 2] = static_cast<std::uint16_t>(bgr[i] * 257);
    }
    return picture;
  }

  static std::uint16_t Level16(const TTiffLayout& layout, std::uint16_t sample) {
    return layout.Colour == TTiffColour::InvertedGrey ? static_cast<std::uint16_t>(65535 - sample)
                                                      : sample;
  }

  void ReadRows48(const TTiffLayout& layout, TPicture48& picture) {
    std::vector<std::uint64_t> buffer = ScanlineBuffer();
    const auto* samples = reinterpret_cast<const std::uint16_t*>(buffer.data());
    const bool rgb = layout.Colour == TTiffColour::Rgb;
    const std::size_t step = layout.SamplesPerPixel;
    std::uint16_t* target = picture.Rgb.data();
    for (int y = 0; y < picture.Height; ++y) {
      ReadScanline(buffer.data(), y, 0);
      const std::uint16_t* pixel = samples;
      for (int x = 0; x < picture.Width; ++x, pixel += step, target += 3) {
        target[0] = Level16(layout, pixel[0]);
        target[1] = rgb ? pixel[1] : target[0];
        target[2] = rgb ? pixel[2] : target[0];
      }
    }
  }

  void ReadPlanes48(const TTiffLayout& layout, TPicture48& picture) {
    std::vector<std::uint64_t> buffer = ScanlineBuffer();
    const auto* samples = reinterpret_cast<const std::uint16_t*>(buffer.data());
    const bool rgb = layout.Colour == TTiffColour::Rgb;
    const auto width = static_cast<std::size_t>(picture.Width);
    for (int plane = 0; plane < (rgb ? 3 : 1); ++plane) {
      for (int y = 0; y < picture.Height; ++y) {
        ReadScanline(buffer.data(), y, plane);
        std::uint16_t* target = picture.Rgb.data() + 3 * width * static_cast<std::size_t>(y);
        for (std::size_t x = 0; x < width; ++x, target += 3) {
          const std::uint16_t level = Level16(layout, samples[x]);
          if (rgb) {
            target[plane] = level;
          } else {
            target[0] = target[1] = target[2] = level;
          }
        }
      }
    }
  }

  // libtiff's LZW decoder names either itself or the file as the module of its errors;
  // failures of libtiff's own reading name a TIFF... function.
  std::string LibraryProblem(const std::string& fallback) const {
    bool decoderError =
        !Messages_.FirstError.empty() && Messages_.FirstErrorModule.rfind("TIFF", 0) != 0;
    if (Compression_ == COMPRESSION_LZW && decoderError) return kInvalidLzwCode;
    return "TIFF: " + (Messages_.FirstError.empty() ? fallback : Messages_.FirstError);
  }

  // Refuses a header that promises more pixels than the file can hold before the bitmap is
  // allocated: uncompressed, the rows' bytes; compressed, those bytes at the compression's
  // best ratio (LZW's longest strings, some 4 KB from a 12-bit code, lead).
  void CheckDataCovers(const TTiffLayout& layout) const {
    constexpr std::uint64_t kBestCompressionRatio = 4096;
    const std::uint64_t bitsPerRow =
        std::uint64_t{layout.Width} * layout.BitsPerSample * layout.SamplesPerPixel;
    const std::uint64_t rawBytes = (bitsPerRow + 7) / 8 * layout.Height;
    const std::uint64_t ratio = layout.Compression == COMPRESSION_NONE ? 1 : kBestCompressionRatio;
    if (rawBytes > ratio * Stream_.Input.size())
      Fail("TIFF: the file is too short for the picture size");
  }

  std::vector<std::uint64_t> ScanlineBuffer() const {
    tmsize_t size = TIFFScanlineSize(Tiff_.get());
    if (size <= 0) Fail(LibraryProblem("invalid scan line size"));
    return std::vector<std::uint64_t>(static_cast<std::size_t>(size) / 8 + 1);
  }

  void ReadScanline(void* buffer, int y, int plane) {
    if (TIFFReadScanline(Tiff_.get(), buffer, static_cast<std::uint32_t>(y),
                         static_cast<std::uint16_t>(plane)) < 0)
      Fail(LibraryProblem("cannot read row " + std::to_string(y)));
    if (!Messages_.FirstPixelWarning.empty()) Fail("TIFF: " + Messages_.FirstPixelWarning);
  }

  void ReadRows(const TTiffRowConverter& converter, TBitmap24& bitmap) {
    std::vector<std::uint64_t> buffer = ScanlineBuffer();
    for (int y = 0; y < bitmap.Height(); ++y) {
      ReadScanline(buffer.data(), y, 0);
      converter.Convert(buffer.data(), bitmap.ScanLine(y), bitmap.Width());
    }
  }

  // Planes are read one after the other so that each compressed strip is decoded once.
  void ReadPlanes(const TTiffLayout& layout, const TTiffRowConverter& converter,
                  TBitmap24& bitmap) {
    std::vector<std::uint64_t> buffer = ScanlineBuffer();
    int planes = layout.Colour == TTiffColour::Rgb ? 3 : 1;
    for (int plane = 0; plane < planes; ++plane) {
      for (int y = 0; y < bitmap.Height(); ++y) {
        ReadScanline(buffer.data(), y, plane);
        converter.ConvertPlane(buffer.data(), bitmap.ScanLine(y), bitmap.Width(), plane);
      }
    }
  }

  TTiffStream Stream_;
  TTiffMessages Messages_;
  std::uint16_t Compression_ = COMPRESSION_NONE;
  TTiffHandle Tiff_;  // last: closed before the stream and messages it refers to go
};

// ---- writing ----

class TTiffWriter {
 public:
  TTiffWriter() {
    Stream_.Writing = true;
    Tiff_ = OpenTiff(Stream_, Messages_, "w");
    if (!Tiff_) Fail(Problem());
  }

  std::string Encode(const TBitmap24& bitmap) {
    SetFields(bitmap.Width(), bitmap.Height(), 8);
    WriteRows(bitmap);
    return Finish();
  }

  std::string Encode48(const TPicture48& picture) {
    SetFields(picture.Width, picture.Height, 16);
    const auto stride = 3 * static_cast<std::size_t>(picture.Width);
    // libtiff may swap the bytes of a row in place, so each row is copied first.
    std::vector<std::uint16_t> row(stride);
    for (int y = 0; y < picture.Height; ++y) {
      std::copy_n(picture.Rgb.data() + stride * static_cast<std::size_t>(y), stride, row.data());
      if (TIFFWriteScanline(Tiff_.get(), row.data(), static_cast<std::uint32_t>(y), 0) < 0)
        Fail(Problem());
    }
    return Finish();
  }

 private:
  void SetFields(int width, int height, int bits) {
    TIFF* tiff = Tiff_.get();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3 * (bits / 8);
    std::uint32_t rowsPerStrip =
        std::max<std::uint32_t>(1, static_cast<std::uint32_t>(65536 / rowBytes));
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 72.0);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 72.0);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }

  std::string Finish() {
    if (!TIFFFlush(Tiff_.get())) Fail(Problem());
    Tiff_.reset();
    if (Stream_.OutOfMemory) throw std::bad_alloc();
    return std::move(Stream_.Output);
  }

  std::string Problem() const {
    if (Stream_.OutOfMemory) throw std::bad_alloc();
    return "TIFF: " +
           (Messages_.FirstError.empty() ? std::string("write error") : Messages_.FirstError);
  }

  void WriteRows(const TBitmap24& bitmap) {
    std::vector<std::uint8_t> rgb(bitmap.Stride());
    for (int y = 0; y < bitmap.Height(); ++y) {
      const std::uint8_t* bgr = bitmap.ScanLine(y);
      for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = bgr[i + 2];
        rgb[i + 1] = bgr[i + 1];
        rgb[i + 2] = bgr[i];
      }
      if (TIFFWriteScanline(Tiff_.get(), rgb.data(), static_cast<std::uint32_t>(y), 0) < 0)
        Fail(Problem());
    }
  }

  TTiffStream Stream_;
  TTiffMessages Messages_;
  TTiffHandle Tiff_;
};

}  // namespace

TDecodedPicture DecodeTiff(std::string_view data) {
  CheckHeader(data);
  CheckFirstDirectoryDimensions(data);
  TTiffReader reader(data);
  return reader.Decode();
}

TPictureHeader ReadTiffHeader(std::string_view data) {
  CheckHeader(data);
  CheckFirstDirectoryDimensions(data);
  const TTiffReader reader(data);
  return reader.Header();
}

TPicture48 DecodeTiff48(std::string_view data) {
  CheckHeader(data);
  CheckFirstDirectoryDimensions(data);
  TTiffReader reader(data);
  return reader.Decode48();
}

std::string EncodeTiff(const TBitmap24& bitmap) {
  TTiffWriter writer;
  return writer.Encode(bitmap);
}

std::string EncodeTiff48(const TPicture48& picture) {
  TTiffWriter writer;
  return writer.Encode48(picture);
}

}  // namespace vorn::codecs
