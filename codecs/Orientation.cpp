// The TIFF and Exif Orientation tag (274): how the stored rows and columns are laid on the
// picture as it is meant to be seen.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

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

// Where pixel (x, y) of the upright picture is stored: at column X0 + XByX x + XByY y and
// row Y0 + YByX x + YByY y.
struct TStoredPlace {
  int X0, XByX, XByY;
  int Y0, YByX, YByY;
};

TStoredPlace StoredPlace(int orientation, int w, int h) {
  switch (orientation) {
    case 2:  // mirrored left to right
      return {w - 1, -1, 0, 0, 0, 1};
    case 3:  // turned half a circle
      return {w - 1, -1, 0, h - 1, 0, -1};
    case 4:  // mirrored top to bottom
      return {0, 1, 0, h - 1, 0, -1};
    case 5:  // mirrored along the diagonal from the top left
      return {0, 0, 1, 0, 1, 0};
    case 6:  // to be turned a quarter clockwise
      return {0, 0, 1, h - 1, -1, 0};
    case 7:  // mirrored along the diagonal from the top right
      return {w - 1, 0, -1, h - 1, -1, 0};
    default:  // 8: to be turned a quarter anticlockwise
      return {w - 1, 0, -1, 0, 1, 0};
  }
}

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

namespace {

// Copies the three samples of each pixel of a w x h picture stored as orientation says into
// upright, rows packed without padding.
template <class Sample>
void CopyUpright(const Sample* stored, int w, int h, int orientation, Sample* upright) {
  const bool swapped = SwapsSides(orientation);
  const int uprightWidth = swapped ? h : w;
  const int uprightHeight = swapped ? w : h;
  const TStoredPlace place = StoredPlace(orientation, w, h);
  const auto stride = static_cast<std::ptrdiff_t>(w) * 3;
  const std::ptrdiff_t stepAlongRow = 3 * place.XByX + stride * place.YByX;
  Sample* target = upright;
  for (int y = 0; y < uprightHeight; ++y) {
    // An offset rather than a pointer: stepping backwards would leave the buffer at the end.
    std::ptrdiff_t offset = stride * (place.Y0 + place.YByY * y) + 3 * (place.X0 + place.XByY * y);
    for (int x = 0; x < uprightWidth; ++x, offset += stepAlongRow, target += 3) {
      target[0] = stored[offset];
      target[1] = stored[offset + 1];
      target[2] = stored[offset + 2];
    }
  }
}

}  // namespace

void OrientBitmap(TBitmap24& bitmap, int orientation) {
  if (orientation < 2 || orientation > 8) return;
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  TBitmap24 upright = SwapsSides(orientation) ? TBitmap24(h, w) : TBitmap24(w, h);
  CopyUpright(bitmap.Data(), w, h, orientation, upright.Data());
  bitmap = std::move(upright);
}

void OrientPicture48(TPicture48& picture, int orientation) {
  if (orientation < 2 || orientation > 8) return;
  std::vector<std::uint16_t> upright(picture.Rgb.size());
  CopyUpright(picture.Rgb.data(), picture.Width, picture.Height, orientation, upright.data());
  picture.Rgb = std::move(upright);
  if (SwapsSides(orientation)) std::swap(picture.Width, picture.Height);
}

}  // namespace vorn::codecs
