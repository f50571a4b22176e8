#pragma once
// Pictures made by the codec tests and comparisons between them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codecs/Pictures.h"

namespace vorn::test {

// Blue grows to the right, green downwards, red along the diagonal: swapped channels,
// flipped rows and shifted columns all show, and the picture is smooth enough for JPEG.
inline TBitmap24 MakeGradient(int width, int height) {
  TBitmap24 bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
      row[3 * x + 2] = static_cast<std::uint8_t>((x + y) * 255 / std::max(1, width + height - 2));
    }
  }
  return bitmap;
}

// Largest difference of any channel of any pixel; -1 when the sizes differ.
inline int MaxDifference(const TBitmap24& a, const TBitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int worst = 0;
  for (std::size_t i = 0; i < a.Stride() * a.Height(); ++i)
    worst = std::max(worst, std::abs(int{a.Data()[i]} - int{b.Data()[i]}));
  return worst;
}

// Blue, green, red of one pixel as text, for readable failures.
inline std::string PixelText(const TBitmap24& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

// The message of the EPictureError that load raises; fails the test when it raises none.
template <class Load>
std::string PictureErrorOf(Load&& load) {
  try {
    load();
  } catch (const EPictureError& error) {
    return error.what();
  }
  ADD_FAILURE() << "no EPictureError";
  return {};
}

}  // namespace vorn::test
