#pragma once
// A 24-bit picture in memory: rows top to bottom, three bytes per pixel in the order
// blue, green, red, rows packed without padding.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

class TBitmap24 {
 public:
  TBitmap24() = default;
  TBitmap24(int width, int height) { SetSize(width, height); }

  // Resizes the picture; the content becomes black.
  void SetSize(int width, int height) {
    Width_ = width > 0 ? width : 0;
    Height_ = height > 0 ? height : 0;
    Pixels_.assign(static_cast<std::size_t>(Width_) * Height_ * 3, 0);
  }

  int Width() const { return Width_; }
  int Height() const { return Height_; }
  bool Empty() const { return Width_ == 0 || Height_ == 0; }
  std::size_t Stride() const { return static_cast<std::size_t>(Width_) * 3; }

  std::uint8_t* ScanLine(int y) { return Pixels_.data() + Stride() * y; }
  const std::uint8_t* ScanLine(int y) const { return Pixels_.data() + Stride() * y; }

  std::uint8_t* Data() { return Pixels_.data(); }
  const std::uint8_t* Data() const { return Pixels_.data(); }

  bool operator==(const TBitmap24&) const = default;

 private:
  int Width_ = 0;
  int Height_ = 0;
  std::vector<std::uint8_t> Pixels_;
};

}  // namespace vorn
