#pragma once
// Pictures for the resampling tests.

#include <cstdint>
#include <random>

#include "core/Bitmap.h"

namespace vorn::test {

inline TBitmap24 RandomPicture(int width, int height, unsigned seed) {
  TBitmap24 picture(width, height);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::size_t size = picture.Stride() * static_cast<std::size_t>(picture.Height());
  for (std::size_t i = 0; i < size; ++i)
    picture.Data()[i] = static_cast<std::uint8_t>(byte(random));
  return picture;
}

inline TBitmap24 SolidPicture(int width, int height, std::uint8_t blue, std::uint8_t green,
                              std::uint8_t red) {
  TBitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.ScanLine(y)[3 * x] = blue;
      picture.ScanLine(y)[3 * x + 1] = green;
      picture.ScanLine(y)[3 * x + 2] = red;
    }
  }
  return picture;
}

inline std::uint8_t Sample(const TBitmap24& picture, int x, int y, int channel) {
  return picture.ScanLine(y)[3 * x + channel];
}

}  // namespace vorn::test
