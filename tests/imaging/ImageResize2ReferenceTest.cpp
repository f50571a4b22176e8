// Compares Stretch bit for bit with a plain, slow resampler written independently here:
// contributors built per target pixel, a horizontal pass over rows and a vertical pass that
// walks the intermediate picture column by column.

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <vector>

#include "imaging/ImageResize2.h"
#include "tests/imaging/ResizeTestPictures.h"

namespace vorn {
namespace {

struct RefContributor {
  int weight;
  int pixel;
};
using RefEntry = std::vector<RefContributor>;

int RefRound(double value) {
  // The default floating-point mode rounds to nearest, ties to even.
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  return static_cast<int>(std::nearbyint(value));
}

int RefMirror(int position, int size) {
  for (;;) {
    if (position < 0) {
      position = -position;
    } else if (position >= size) {
      position = 2 * size - 1 - position;
    } else {
      return position;
    }
  }
}

std::vector<RefEntry> RefContributors(int source, int target, TResizeFilter filter, float support) {
  if (support == 0.0f) support = DefaultSupport(filter);
  float scale = (source == 1 || target == 1) ? static_cast<float>(target) / source
                                             : static_cast<float>(target - 1) / (source - 1);
  std::vector<RefEntry> entries(target);
  for (int i = 0; i < target; ++i) {
    float centre = static_cast<float>(i) / scale;
    float reach = scale >= 1.0f ? support : support / scale;
    int low = static_cast<int>(std::floor(static_cast<double>(centre) - reach));
    int high = static_cast<int>(std::ceil(static_cast<double>(centre) + reach));
    for (int j = low; j <= high; ++j) {
      double distance = static_cast<double>(centre) - j;
      int weight;
      if (scale >= 1.0f) {
        weight = RefRound(FilterKernel(filter, static_cast<float>(distance)) * 256.0);
      } else {
        float x = static_cast<float>(distance * scale);
        weight = RefRound(static_cast<double>(FilterKernel(filter, x)) * scale * 256.0);
      }
      if (weight != 0) entries[i].push_back({weight, RefMirror(j, source)});
    }
  }
  return entries;
}

struct RefChannels {
  std::vector<int> red, green, blue;
  explicit RefChannels(int size) : red(size), green(size), blue(size) {}
  void Load(int index, const std::uint8_t* pixel) {
    blue[index] = pixel[0];
    green[index] = pixel[1];
    red[index] = pixel[2];
  }
};

int RefDivide(int sum, int total) {
  if (total != 0) return sum / total;
  return static_cast<int>(std::floor(sum / 256.0));
}

std::uint8_t RefByte(int value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  return static_cast<std::uint8_t>(value);
}

void RefCombine(const RefEntry& entry, const RefChannels& channels, std::uint8_t* out) {
  int total = 0, red = 0, green = 0, blue = 0;
  for (const RefContributor& c : entry) {
    total += c.weight;
    red += c.weight * channels.red[c.pixel];
    green += c.weight * channels.green[c.pixel];
    blue += c.weight * channels.blue[c.pixel];
  }
  out[0] = RefByte(RefDivide(blue, total));
  out[1] = RefByte(RefDivide(green, total));
  out[2] = RefByte(RefDivide(red, total));
}

TBitmap24 RefStretch(const TBitmap24& source, int width, int height, TResizeFilter filter,
                     float support) {
  TBitmap24 target(width, height);
  if (source.Empty() || target.Empty()) return target;
  const int sourceWidth = source.Width();
  const int sourceHeight = source.Height();
  TBitmap24 work(width, sourceHeight);

  std::vector<RefEntry> columns = RefContributors(sourceWidth, width, filter, support);
  RefChannels row(sourceWidth);
  for (int y = 0; y < sourceHeight; ++y) {
    for (int x = 0; x < sourceWidth; ++x) row.Load(x, source.ScanLine(y) + 3 * x);
    for (int i = 0; i < width; ++i) RefCombine(columns[i], row, work.ScanLine(y) + 3 * i);
  }

  std::vector<RefEntry> rows = RefContributors(sourceHeight, height, filter, support);
  RefChannels column(sourceHeight);
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < sourceHeight; ++y) column.Load(y, work.ScanLine(y) + 3 * x);
    for (int j = 0; j < height; ++j) RefCombine(rows[j], column, target.ScanLine(j) + 3 * x);
  }
  return target;
}

struct SizeCase {
  int sourceWidth, sourceHeight, width, height;
};

// Shrinking, enlarging, both at once, the same size, and lines down to one pixel.
constexpr SizeCase kSizes[] = {{64, 48, 21, 16}, {17, 11, 5, 4},   {9, 7, 23, 19}, {40, 3, 13, 8},
                               {3, 40, 8, 13},   {12, 12, 12, 12}, {1, 1, 4, 3},   {2, 2, 7, 7},
                               {3, 5, 1, 1},     {1, 9, 6, 2},     {2, 3, 1, 9},   {300, 7, 11, 7},
                               {5, 6, 33, 2}};

class ReferenceTest : public ::testing::TestWithParam<TResizeFilter> {};

TEST_P(ReferenceTest, MatchesTheReferenceAtTheDefaultSupport) {
  unsigned seed = 100;
  for (const SizeCase& size : kSizes) {
    const TBitmap24 source = test::RandomPicture(size.sourceWidth, size.sourceHeight, ++seed);
    TBitmap24 target;
    Stretch(size.width, size.height, GetParam(), target, source, 0.0f);
    EXPECT_EQ(target, RefStretch(source, size.width, size.height, GetParam(), 0.0f))
        << size.sourceWidth << "x" << size.sourceHeight << " -> " << size.width << "x"
        << size.height;
  }
}

TEST_P(ReferenceTest, MatchesTheReferenceAtOtherSupports) {
  const TBitmap24 source = test::RandomPicture(50, 30, 7);
  for (float support : {0.3f, 1.3f, 4.5f}) {
    for (auto [width, height] : {std::pair{19, 11}, std::pair{70, 45}}) {
      TBitmap24 target;
      Stretch(width, height, GetParam(), target, source, support);
      EXPECT_EQ(target, RefStretch(source, width, height, GetParam(), support))
          << "support " << support << ", " << width << "x" << height;
    }
  }
}

// Large factors give many taps per pixel and, past 512 times, weights that round to 0.
TEST_P(ReferenceTest, MatchesTheReferenceAtLargeFactors) {
  const TBitmap24 wide = test::RandomPicture(1500, 4, 3);
  for (int width : {1, 2, 3, 9}) {
    TBitmap24 target;
    Stretch(width, 4, GetParam(), target, wide, 0.0f);
    EXPECT_EQ(target, RefStretch(wide, width, 4, GetParam(), 0.0f)) << width;
  }
  const TBitmap24 small = test::RandomPicture(3, 2, 5);
  TBitmap24 target;
  Stretch(200, 90, GetParam(), target, small, 0.0f);
  EXPECT_EQ(target, RefStretch(small, 200, 90, GetParam(), 0.0f));
}

INSTANTIATE_TEST_SUITE_P(AllFilters, ReferenceTest,
                         ::testing::Values(rfBox, rfTriangle, rfHermite, rfBell, rfBSpline,
                                           rfLanczos3, rfMitchell));

}  // namespace
}  // namespace vorn
