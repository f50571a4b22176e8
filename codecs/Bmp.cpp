// Windows bitmap files: a 14-byte file header ("BM", size, pixel offset), an information
// header (12 bytes for OS/2 core headers, 40 or more for Windows ones), an optional
// palette, then rows padded to 4 bytes, bottom-up unless the height is negative.

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "codecs/PictureCodecs.h"

namespace vorn::codecs {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

[[noreturn]] void Fail(const std::string& problem) {
  throw EPictureError("BMP: " + problem);
}

class TLittleEndianReader {
 public:
  explicit TLittleEndianReader(std::string_view data) : Data_(data) {}

  std::uint32_t U8(std::size_t offset) const {
    Require(offset, 1);
    return static_cast<unsigned char>(Data_[offset]);
  }
  std::uint32_t U16(std::size_t offset) const { return U8(offset) | U8(offset + 1) << 8; }
  std::uint32_t U32(std::size_t offset) const { return U16(offset) | U16(offset + 2) << 16; }
  std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

  void Require(std::size_t offset, std::size_t count) const {
    if (offset > Data_.size() || count > Data_.size() - offset) Fail("the file is truncated");
  }
  const std::uint8_t* Bytes(std::size_t offset) const {
    return reinterpret_cast<const std::uint8_t*>(Data_.data()) + offset;
  }

 private:
  std::string_view Data_;
};

// Blue, green, red per palette index; indices beyond the file's palette stay black.
using TPalette = std::array<std::array<std::uint8_t, 3>, 256>;

struct TBmpLayout {
  std::int64_t Width = 0;
  std::int64_t Height = 0;
  bool TopDown = false;
  std::uint32_t BitCount = 0;
  std::uint32_t Compression = kBiRgb;
  std::uint32_t ColoursUsed = 0;
  std::size_t PaletteOffset = 0;
  std::size_t PaletteEntrySize = 4;
  std::size_t PixelOffset = 0;
  std::array<int, 3> ChannelShifts{16, 8, 0};  // red, green, blue of 32-bit pixels
};

std::array<int, 3> ReadBitfieldShifts(const TLittleEndianReader& reader) {
  std::array<int, 3> shifts{};
  for (std::size_t i = 0; i < 3; ++i) {
    std::uint32_t mask = reader.U32(kFileHeaderSize + kInfoHeaderSize + 4 * i);
    int shift = mask == 0 ? 0 : std::countr_zero(mask);
    if (mask == 0 || (mask >> shift) != 0xFF)
      Fail("only bit fields of 8 bits per channel are supported");
    shifts[i] = shift;
  }
  return shifts;
}

TBmpLayout ReadLayout(const TLittleEndianReader& reader) {
  reader.Require(0, kFileHeaderSize + 4);
  if (reader.U8(0) != 'B' || reader.U8(1) != 'M') Fail("not a BMP file (no \"BM\" signature)");
  TBmpLayout layout;
  layout.PixelOffset = reader.U32(10);
  std::uint32_t headerSize = reader.U32(14);
  if (headerSize == 12) {
    layout.Width = reader.U16(18);
    layout.Height = reader.U16(20);
    layout.BitCount = reader.U16(24);
    layout.PaletteEntrySize = 3;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= 1024) {
    layout.Width = reader.I32(18);
    std::int64_t height = reader.I32(22);
    layout.TopDown = height < 0;
    layout.Height = height < 0 ? -height : height;
    layout.BitCount = reader.U16(28);
    layout.Compression = reader.U32(30);
    layout.ColoursUsed = reader.U32(46);
  } else {
    Fail("unsupported information header size " + std::to_string(headerSize));
  }
  layout.PaletteOffset = kFileHeaderSize + headerSize;
  if (layout.Compression == kBiBitfields && headerSize == kInfoHeaderSize)
    layout.PaletteOffset += 12;  // the three masks follow the short header
  return layout;
}

void CheckEncoding(const TBmpLayout& layout) {
  std::uint32_t bits = layout.BitCount;
  if (layout.Compression == kBiRle8 || layout.Compression == kBiRle4)
    Fail("RLE compressed bitmaps are not supported");
  bool plain = layout.Compression == kBiRgb &&
               (bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32);
  bool bitfields = layout.Compression == kBiBitfields && bits == 32;
  if (layout.Compression != kBiRgb && layout.Compression != kBiBitfields)
    Fail("unsupported compression type " + std::to_string(layout.Compression));
  if (!plain && !bitfields) Fail("unsupported bit count " + std::to_string(bits));
}

TPalette ReadPalette(const TLittleEndianReader& reader, const TBmpLayout& layout) {
  TPalette palette{};
  std::uint32_t capacity = 1u << layout.BitCount;
  std::uint32_t count = layout.ColoursUsed == 0 ? capacity : std::min(layout.ColoursUsed, capacity);
  reader.Require(layout.PaletteOffset, count * layout.PaletteEntrySize);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = reader.Bytes(layout.PaletteOffset + i * layout.PaletteEntrySize);
    palette[i] = {entry[0], entry[1], entry[2]};
  }
  return palette;
}

void DecodeIndexedRow(const std::uint8_t* source, std::uint8_t* target, int width, int bits,
                      const TPalette& palette) {
  int perByte = 8 / bits;
  unsigned mask = (1u << bits) - 1;
  for (int x = 0; x < width; ++x) {
    int shift = 8 - bits * (x % perByte + 1);
    const auto& colour = palette[(source[x / perByte] >> shift) & mask];
    std::memcpy(target + 3 * x, colour.data(), 3);
  }
}

void Decode32BitRow(const std::uint8_t* source, std::uint8_t* target, int width,
                    const std::array<int, 3>& shifts) {
  for (int x = 0; x < width; ++x, source += 4, target += 3) {
    std::uint32_t pixel =
        source[0] | source[1] << 8 | source[2] << 16 | static_cast<std::uint32_t>(source[3]) << 24;
    target[0] = static_cast<std::uint8_t>(pixel >> shifts[2]);
    target[1] = static_cast<std::uint8_t>(pixel >> shifts[1]);
    target[2] = static_cast<std::uint8_t>(pixel >> shifts[0]);
  }
}

std::size_t FileStride(const TBmpLayout& layout) {
  return (static_cast<std::size_t>(layout.Width) * layout.BitCount + 31) / 32 * 4;
}

// Before the picture is allocated: the file holds every row (the last without padding).
void RequireRows(const TLittleEndianReader& reader, const TBmpLayout& layout) {
  const std::size_t usedBytes = (static_cast<std::size_t>(layout.Width) * layout.BitCount + 7) / 8;
  reader.Require(layout.PixelOffset,
                 FileStride(layout) * static_cast<std::size_t>(layout.Height - 1) + usedBytes);
}

void DecodeRows(const TLittleEndianReader& reader, const TBmpLayout& layout, TBitmap24& bitmap) {
  int width = bitmap.Width();
  int height = bitmap.Height();
  int bits = static_cast<int>(layout.BitCount);
  std::size_t stride = FileStride(layout);
  TPalette palette = bits <= 8 ? ReadPalette(reader, layout) : TPalette{};
  for (int y = 0; y < height; ++y) {
    int fileRow = layout.TopDown ? y : height - 1 - y;
    const std::uint8_t* source = reader.Bytes(layout.PixelOffset + stride * fileRow);
    std::uint8_t* target = bitmap.ScanLine(y);
    if (bits == 24)
      std::memcpy(target, source, bitmap.Stride());
    else if (bits == 32)
      Decode32BitRow(source, target, width, layout.ChannelShifts);
    else
      DecodeIndexedRow(source, target, width, bits, palette);
  }
}

void PutU16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

}  // namespace

TPictureHeader ReadBmpHeader(std::string_view data) {
  const TLittleEndianReader reader(data);
  const TBmpLayout layout = ReadLayout(reader);
  CheckPictureSize(layout.Width, layout.Height, "BMP: ");
  RequireRows(reader, layout);
  return {static_cast<int>(layout.Width), static_cast<int>(layout.Height),
          static_cast<int>(layout.BitCount)};
}

TDecodedPicture DecodeBmp(std::string_view data) {
  TLittleEndianReader reader(data);
  TBmpLayout layout = ReadLayout(reader);
  CheckPictureSize(layout.Width, layout.Height, "BMP: ");
  CheckEncoding(layout);
  if (layout.Compression == kBiBitfields) layout.ChannelShifts = ReadBitfieldShifts(reader);
  RequireRows(reader, layout);
  TDecodedPicture picture;
  picture.BitsPerPixel = static_cast<int>(layout.BitCount);
  picture.BitsPerChannel = 8;
  picture.Bitmap.SetSize(static_cast<int>(layout.Width), static_cast<int>(layout.Height));
  DecodeRows(reader, layout, picture.Bitmap);
  return picture;
}

std::string EncodeBmp(const TBitmap24& bitmap) {
  std::size_t stride = (bitmap.Stride() + 3) / 4 * 4;
  std::size_t imageSize = stride * bitmap.Height();
  std::size_t headersSize = kFileHeaderSize + kInfoHeaderSize;
  if (imageSize + headersSize > 0xFFFFFFFFu) throw EPictureError("BMP: the picture is too large");
  constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
  std::string out;
  out.reserve(headersSize + imageSize);
  out += "BM";
  PutU32(out, static_cast<std::uint32_t>(headersSize + imageSize));
  PutU32(out, 0);
  PutU32(out, static_cast<std::uint32_t>(headersSize));
  PutU32(out, kInfoHeaderSize);
  PutU32(out, static_cast<std::uint32_t>(bitmap.Width()));
  PutU32(out, static_cast<std::uint32_t>(bitmap.Height()));
  PutU16(out, 1);   // planes
  PutU16(out, 24);  // bits per pixel
  PutU32(out, kBiRgb);
  PutU32(out, static_cast<std::uint32_t>(imageSize));
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // important colours
  std::string padding(stride - bitmap.Stride(), '\0');
  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    out.append(reinterpret_cast<const char*>(bitmap.ScanLine(y)), bitmap.Stride());
    out += padding;
  }
  return out;
}

}  // namespace vorn::codecs
