#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "imaging/ImageResize2.h"
#include "platform/Exception.h"
#include "tests/imaging/ResizeTestPictures.h"

namespace vorn {
namespace {

using test::RandomPicture;
using test::Sample;
using test::SolidPicture;

constexpr TResizeFilter kAllFilters[] = {rfBox,     rfTriangle, rfHermite, rfBell,
                                         rfBSpline, rfLanczos3, rfMitchell};

double Sinc(double t) {
  const double pi = 3.14159265358979323846;
  return t == 0 ? 1.0 : std::sin(pi * t) / (pi * t);
}

// The kernels written out in double precision, straight from their definitions.
double ExpectedKernel(TResizeFilter filter, double x) {
  const double a = std::fabs(x);
  switch (filter) {
    case rfBox:
      return (x > -0.5 && x <= 0.5) ? 1 : 0;
    case rfTriangle:
      return a < 1 ? 1 - a : 0;
    case rfHermite:
      return a < 1 ? (2 * a - 3) * x * x + 1 : 0;
    case rfBell:
      return a < 0.5 ? 0.75 - x * x : a < 1.5 ? 0.5 * (a - 1.5) * (a - 1.5) : 0;
    case rfBSpline:
      return a < 1 ? a * a * a / 2 - x * x + 2.0 / 3 : a < 2 ? std::pow(2 - a, 3) / 6 : 0;
    case rfLanczos3:
      return a < 3 ? Sinc(x) * Sinc(x / 3) : 0;
    case rfMitchell:
      return a < 1   ? (7 * a * a * a - 12 * x * x + 16.0 / 3) / 6
             : a < 2 ? (-7.0 / 3 * a * a * a + 12 * x * x - 20 * a + 32.0 / 3) / 6
                     : 0;
  }
  return std::nan("");
}

TEST(FilterKernelTest, MatchesTheFormulasAtSamplePoints) {
  const double points[] = {0, 0.1, 0.25, 0.4, 0.75, 0.99, 1.2, 1.5, 1.75, 2.2, 2.9, 3.5};
  for (TResizeFilter filter : kAllFilters) {
    for (double point : points) {
      for (double x : {point, -point}) {
        if (filter == rfBox && std::fabs(x) == 0.5) continue;  // the asymmetric edge, below
        EXPECT_NEAR(FilterKernel(filter, static_cast<float>(x)), ExpectedKernel(filter, x), 2e-6)
            << "filter " << filter << " at " << x;
      }
    }
  }
}

TEST(FilterKernelTest, BoxIsOpenOnTheLeftAndClosedOnTheRight) {
  EXPECT_EQ(FilterKernel(rfBox, 0.5f), 1.0f);
  EXPECT_EQ(FilterKernel(rfBox, -0.5f), 0.0f);
  EXPECT_EQ(FilterKernel(rfBox, -0.49f), 1.0f);
  EXPECT_EQ(FilterKernel(rfBox, 0.51f), 0.0f);
}

TEST(FilterKernelTest, LanczosIsOneAtTheCentreAndNearZeroAtWholePixels) {
  EXPECT_EQ(FilterKernel(rfLanczos3, 0.0f), 1.0f);
  for (float x : {1.0f, 2.0f, -1.0f, -2.0f})
    EXPECT_LT(std::fabs(FilterKernel(rfLanczos3, x)), 1e-6);
  EXPECT_LT(FilterKernel(rfLanczos3, 1.5f), 0.0f);  // the negative lobe
}

TEST(FilterKernelTest, EveryKernelVanishesFromItsDefaultSupportOn) {
  for (TResizeFilter filter : kAllFilters) {
    const float support = DefaultSupport(filter);
    EXPECT_EQ(FilterKernel(filter, support + 0.01f), 0.0f) << filter;
    EXPECT_EQ(FilterKernel(filter, -support - 0.01f), 0.0f) << filter;
    EXPECT_NE(FilterKernel(filter, support - 0.1f), 0.0f) << filter;
  }
  EXPECT_EQ(DefaultSupport(rfBox), 0.5f);
  EXPECT_EQ(DefaultSupport(rfBell), 1.5f);
  EXPECT_EQ(DefaultSupport(rfLanczos3), 3.0f);
  EXPECT_EQ(DefaultSupport(rfMitchell), 2.0f);
}

TEST(FilterKernelTest, UnknownFilterIsRejected) {
  const auto unknown = static_cast<TResizeFilter>(7);
  EXPECT_THROW(FilterKernel(unknown, 0.0f), Exception);
  EXPECT_THROW(DefaultSupport(unknown), Exception);
  TBitmap24 target;
  EXPECT_THROW(Stretch(2, 2, unknown, target, RandomPicture(4, 4, 1), 0.0f), Exception);
}

TEST(ContributorsTest, BoxShrinkingFourPixelsToTwo) {
  const TContributorList list = BuildContributors(4, 2, rfBox, 0.0f);
  ASSERT_EQ(list.size(), 2u);
  // Position -1 mirrors to pixel 1; position 4 mirrors to 2 * 4 - 1 - 4 = pixel 3.
  EXPECT_EQ(list[0].Contributors, (TContributors{{85, 1}, {85, 0}, {85, 1}}));
  EXPECT_EQ(list[1].Contributors, (TContributors{{85, 2}, {85, 3}, {85, 3}}));
  EXPECT_EQ(list[0].Count(), 3);
}

TEST(ContributorsTest, SameSizeLanczosHasOneFullWeightPerPixel) {
  const TContributorList list = BuildContributors(9, 9, rfLanczos3, 0.0f);
  ASSERT_EQ(list.size(), 9u);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(list[i].Contributors, (TContributors{{256, i}})) << i;
}

TEST(ContributorsTest, TriangleEnlargingSplitsBetweenNeighbours) {
  // Scale (5 - 1) / (3 - 1) = 2: target 1 sits halfway between source 0 and 1.
  const TContributorList list = BuildContributors(3, 5, rfTriangle, 0.0f);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0].Contributors, (TContributors{{256, 0}}));
  EXPECT_EQ(list[1].Contributors, (TContributors{{128, 0}, {128, 1}}));
  EXPECT_EQ(list[4].Contributors, (TContributors{{256, 2}}));
}

TEST(ContributorsTest, SupportBelowOrAtZeroMeansTheDefault) {
  const TContributorList expected = BuildContributors(20, 7, rfMitchell, 2.0f);
  for (float support : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
    const TContributorList list = BuildContributors(20, 7, rfMitchell, support);
    ASSERT_EQ(list.size(), expected.size());
    for (std::size_t i = 0; i < list.size(); ++i)
      EXPECT_EQ(list[i].Contributors, expected[i].Contributors) << support;
  }
}

TEST(ContributorsTest, NarrowSupportCutsTheKernel) {
  // Target 1 of 3 -> 5 is centred at 0.5: the B-spline reaches positions -1..2 at its
  // default support, only 0 and 1 at support 0.3.
  EXPECT_EQ(BuildContributors(3, 5, rfBSpline, 0.0f)[1].Contributors,
            (TContributors{{5, 1}, {123, 0}, {123, 1}, {5, 2}}));
  EXPECT_EQ(BuildContributors(3, 5, rfBSpline, 0.3f)[1].Contributors,
            (TContributors{{123, 0}, {123, 1}}));
}

TEST(ContributorsTest, EmptyLinesHaveNoEntries) {
  EXPECT_TRUE(BuildContributors(0, 5, rfLanczos3, 0.0f).empty());
  EXPECT_TRUE(BuildContributors(5, 0, rfLanczos3, 0.0f).empty());
  EXPECT_TRUE(BuildContributors(-3, 5, rfLanczos3, 0.0f).empty());
}

// Lines shorter than the kernel's reach fold positions back again and again.
TEST(ContributorsTest, TinyLinesKeepEveryIndexInside) {
  for (TResizeFilter filter : {rfLanczos3, rfMitchell, rfBSpline}) {
    for (int source = 1; source <= 3; ++source) {
      for (int target = 1; target <= 12; ++target) {
        for (const TContributorEntry& entry : BuildContributors(source, target, filter, 0.0f)) {
          for (const TContributor& c : entry.Contributors) {
            EXPECT_GE(c.Pixel, 0);
            EXPECT_LT(c.Pixel, source) << filter << " " << source << " -> " << target;
            EXPECT_NE(c.Weight, 0);
          }
        }
      }
    }
  }
  // One pixel enlarged by Lanczos3: positions -3..3 all read pixel 0.
  const TContributorList single = BuildContributors(1, 6, rfLanczos3, 0.0f);
  EXPECT_GT(single[1].Count(), 1);
  for (const TContributor& c : single[1].Contributors) EXPECT_EQ(c.Pixel, 0);
}

TEST(StretchTest, SameSizeLanczosReproducesThePicture) {
  const TBitmap24 source = RandomPicture(37, 23, 7);
  TBitmap24 target;
  Stretch(37, 23, rfLanczos3, target, source, 0.0f);
  EXPECT_EQ(target, source);
}

TEST(StretchTest, BoxShrinkAveragesTheMirroredNeighbourhood) {
  TBitmap24 source(4, 1);
  const std::uint8_t values[] = {10, 40, 100, 220};
  for (int x = 0; x < 4; ++x) source.ScanLine(0)[3 * x + 1] = values[x];
  TBitmap24 target;
  Stretch(2, 1, rfBox, target, source, 0.0f);
  EXPECT_EQ(Sample(target, 0, 0, 1), (85 * 40 + 85 * 10 + 85 * 40) / 255);
  EXPECT_EQ(Sample(target, 1, 0, 1), (85 * 100 + 85 * 220 + 85 * 220) / 255);
}

TEST(StretchTest, ZeroTargetSizesLeaveTheTargetEmpty) {
  const TBitmap24 source = RandomPicture(5, 5, 3);
  for (auto [width, height] :
       {std::pair{0, 4}, std::pair{4, 0}, std::pair{0, 0}, std::pair{-2, 3}}) {
    TBitmap24 target = RandomPicture(6, 6, 4);
    Stretch(width, height, rfLanczos3, target, source, 0.0f);
    EXPECT_TRUE(target.Empty());
    EXPECT_EQ(target.Width(), std::max(width, 0));
  }
}

TEST(StretchTest, EmptySourceLeavesABlackTargetOfTheNewSize) {
  TBitmap24 target = RandomPicture(6, 6, 5);
  Stretch(3, 2, rfLanczos3, target, TBitmap24(0, 7), 0.0f);
  EXPECT_EQ(target, TBitmap24(3, 2));
}

TEST(StretchTest, OnePixelSourceFillsTheTarget) {
  for (TResizeFilter filter : kAllFilters) {
    TBitmap24 target;
    Stretch(5, 4, filter, target, SolidPicture(1, 1, 12, 130, 250), 0.0f);
    EXPECT_EQ(target, SolidPicture(5, 4, 12, 130, 250)) << filter;
  }
}

TEST(StretchTest, TinySourcesKeepASolidColour) {
  for (TResizeFilter filter : {rfLanczos3, rfMitchell}) {
    for (int size = 1; size <= 3; ++size) {
      for (int target = size; target <= 9; ++target) {
        TBitmap24 out;
        Stretch(target, target, filter, out, SolidPicture(size, size, 200, 3, 77), 0.0f);
        EXPECT_EQ(out, SolidPicture(target, target, 200, 3, 77))
            << filter << " " << size << " -> " << target;
      }
    }
  }
}

TEST(StretchTest, OnePixelTargetIsCentredOnTheFirstPixel) {
  // Scale 1/3, reach 3: weight 85 at pixel 0, 57 at positions +-1 and 28 at +-2, the
  // negative positions mirrored onto pixels 1 and 2: (85 * 90 + 114 * 30 + 56 * 30) / 255.
  TBitmap24 source(3, 1);
  source.ScanLine(0)[0] = 90;
  source.ScanLine(0)[3] = 30;
  source.ScanLine(0)[6] = 30;
  TBitmap24 target;
  Stretch(1, 1, rfTriangle, target, source, 0.0f);
  ASSERT_EQ(target.Width(), 1);
  ASSERT_EQ(target.Height(), 1);
  EXPECT_EQ(Sample(target, 0, 0, 0), 50);
}

// The value a target pixel would have without the final clamp to 0..255.
int UnclampedValue(const TContributorEntry& entry, const std::vector<int>& line) {
  int sum = 0;
  int total = 0;
  for (const TContributor& c : entry.Contributors) {
    sum += c.Weight * line[c.Pixel];
    total += c.Weight;
  }
  return sum / total;
}

TEST(StretchTest, NegativeLobesAreClampedAtASharpEdge) {
  const std::vector<int> line = {0, 0, 0, 0, 0, 255, 255, 255, 255, 255};
  TBitmap24 source(10, 1);
  for (int x = 0; x < 10; ++x) source.ScanLine(0)[3 * x + 2] = static_cast<std::uint8_t>(line[x]);
  for (TResizeFilter filter : {rfLanczos3, rfMitchell}) {
    for (int width : {7, 31}) {
      const TContributorList list = BuildContributors(10, width, filter, 0.0f);
      TBitmap24 target;
      Stretch(width, 1, filter, target, source, 0.0f);
      bool over = false;
      bool under = false;
      for (int x = 0; x < width; ++x) {
        const int raw = UnclampedValue(list[x], line);
        over = over || raw > 255;
        under = under || raw < 0;
        EXPECT_EQ(Sample(target, x, 0, 2), std::clamp(raw, 0, 255)) << filter << " " << x;
      }
      EXPECT_TRUE(over) << filter << " " << width;
      if (filter == rfLanczos3) {
        EXPECT_TRUE(under) << width;
      }
    }
  }
}

TEST(StretchTest, SupportBeyondTheKernelChangesNothing) {
  const TBitmap24 source = RandomPicture(40, 9, 11);
  for (TResizeFilter filter : kAllFilters) {
    TBitmap24 expected;
    TBitmap24 wide;
    TBitmap24 endless;
    Stretch(13, 20, filter, expected, source, 0.0f);
    Stretch(13, 20, filter, wide, source, 25.0f);
    Stretch(13, 20, filter, endless, source, std::numeric_limits<float>::infinity());
    EXPECT_EQ(wide, expected) << filter;
    EXPECT_EQ(endless, expected) << filter;
  }
}

TEST(StretchTest, TargetMayBeTheSource) {
  const TBitmap24 original = RandomPicture(30, 20, 13);
  TBitmap24 expected;
  Stretch(11, 8, rfLanczos3, expected, original, 0.0f);
  TBitmap24 picture = original;
  Stretch(11, 8, rfLanczos3, picture, picture, 0.0f);
  EXPECT_EQ(picture, expected);
}

TEST(ResampleTest, FillsTheTargetAtItsOwnSize) {
  const TBitmap24 source = RandomPicture(25, 14, 17);
  TBitmap24 expected;
  Stretch(9, 30, rfBell, expected, source, 0.0f);
  TBitmap24 target(9, 30);
  Resample(rfBell, source, target, 0.0f);
  EXPECT_EQ(target, expected);

  TBitmap24 untouched = RandomPicture(4, 4, 19);
  const TBitmap24 before = untouched;
  Resample(rfBell, TBitmap24(), untouched, 0.0f);
  EXPECT_EQ(untouched, before);
}

TEST(FitSizeTest, ShrinksToTheBoxKeepingProportions) {
  EXPECT_EQ(FitSize(1000, 500, 300, 300), (TPictureSize{300, 150}));
  EXPECT_EQ(FitSize(500, 1000, 300, 300), (TPictureSize{150, 300}));
  EXPECT_EQ(FitSize(2100, 1690, 210, 169), (TPictureSize{210, 169}));
  EXPECT_EQ(FitSize(6000, 4000, 210, 169), (TPictureSize{210, 140}));
}

TEST(FitSizeTest, NeverEnlarges) {
  EXPECT_EQ(FitSize(200, 100, 300, 300), (TPictureSize{200, 100}));
  EXPECT_EQ(FitSize(100, 80, 210, 169), (TPictureSize{100, 80}));
  EXPECT_EQ(FitSize(210, 169, 210, 169), (TPictureSize{210, 169}));
}

TEST(FitSizeTest, RoundsHalvesToEven) {
  EXPECT_EQ(FitSize(10, 5, 5, 100), (TPictureSize{5, 2}));  // 2.5
  EXPECT_EQ(FitSize(10, 7, 5, 100), (TPictureSize{5, 4}));  // 3.5
}

TEST(FitSizeTest, DegenerateSizes) {
  EXPECT_EQ(FitSize(0, 0, 210, 169), (TPictureSize{0, 0}));
  EXPECT_EQ(FitSize(-5, 10, 210, 169), (TPictureSize{0, 10}));
  EXPECT_EQ(FitSize(100, 100, 0, 169), (TPictureSize{0, 0}));
}

}  // namespace
}  // namespace vorn
