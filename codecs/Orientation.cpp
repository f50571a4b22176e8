// The TIFF and Exif Orientation tag (274): how the stored rows and columns are laid on the
// picture as it is meant to be seen.

#include <string>

#include "codecs/PictureCodecs.h"

namespace vorn::codecs {

namespace {

constexpr std::uint32_t kOrientationTag = 274;
constexpr std::uint32_t kShortType = 3;

// Reads a classic TIFF header and its first directory; an offset outside answers zero.
class TTiffDirectoryBytes {
 public:
  explicit TTiffDirectoryBytes(std::string_view data)
      : Data_(data), Little_(data.size() >= 2 && data[0] == 'I' && data[1] == 'I') {}

  bool IsClassicTiff() const {
    const bool marked =
        Data_.size() >= 8 && (Data_.substr(0, 2) == "II" || Data_.substr(0, 2) == "MM");
    return marked && U16(2) == 42;
  }
  std::uint32_t U16(std::size_t offset) const {
    const unsigned a = Byte(offset), b = Byte(offset + 1);
    return Little_ ? a | b << 8 : a << 8 | b;
  }
  std::uint32_t U32(std::size_t offset) const {
    const std::uint32_t a = U16(offset), b = U16(offset + 2);
    return Little_ ? a | b << 16 : a << 16 | b;
  }
  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= Data_.size() && count <= Data_.size() - offset;
  }

 private:
  unsigned Byte(std::size_t offset) const {
    return offset < Data_.size() ? static_cast<unsigned char>(Data_[offset]) : 0;
  }

  std::string_view Data_;
  bool Little_;
};

// Copies pixel (sourceX, sourceY) of source for every pixel of target, as place says.
template <class Place>
void Remap(const TBitmap24& source, TBitmap24& target, Place&& place) {
  for (int y = 0; y < target.Height(); ++y) {
    std::uint8_t* row = target.ScanLine(y);
    for (int x = 0; x < target.Width(); ++x) {
      const auto [sourceX, sourceY] = place(x, y);
      const std::uint8_t* pixel = source.ScanLine(sourceY) + 3 * sourceX;
      row[3 * x] = pixel[0];
      row[3 * x + 1] = pixel[1];
      row[3 * x + 2] = pixel[2];
    }
  }
}

struct TPoint {
  int X;
  int Y;
};

}  // namespace

bool SwapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

int TiffOrientationOf(std::string_view tiff) {
  const TTiffDirectoryBytes bytes(tiff);
  if (!bytes.IsClassicTiff()) return 1;
  const std::size_t directory = bytes.U32(4);
  if (!bytes.Has(directory, 2)) return 1;
  const std::size_t entries = bytes.U16(directory);
  for (std::size_t i = 0; i < entries && bytes.Has(directory + 2 + 12 * i, 12); ++i) {
    const std::size_t entry = directory + 2 + 12 * i;
    if (bytes.U16(entry) != kOrientationTag) continue;
    if (bytes.U16(entry + 2) != kShortType || bytes.U32(entry + 4) != 1) return 1;
    const std::uint32_t value = bytes.U16(entry + 8);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

void OrientBitmap(TBitmap24& bitmap, int orientation) {
  if (orientation < 2 || orientation > 8) return;
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  TBitmap24 upright = SwapsSides(orientation) ? TBitmap24(h, w) : TBitmap24(w, h);
  Remap(bitmap, upright, [&](int x, int y) -> TPoint {
    switch (orientation) {
      case 2:  // mirrored left to right
        return {w - 1 - x, y};
      case 3:  // turned half a circle
        return {w - 1 - x, h - 1 - y};
      case 4:  // mirrored top to bottom
        return {x, h - 1 - y};
      case 5:  // stored rows are the columns, left to right
        return {y, x};
      case 6:  // stored rows are the columns, right to left
        return {y, h - 1 - x};
      case 7:
        return {w - 1 - y, h - 1 - x};
      default:  // 8: stored columns are the rows, bottom to top
        return {w - 1 - y, x};
    }
  });
  bitmap = std::move(upright);
}

}  // namespace vorn::codecs
