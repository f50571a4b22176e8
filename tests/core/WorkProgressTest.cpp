// Progress of long operations: the time-left estimate, and the reports of the picture loops
// (which must leave the pictures exactly as without a callback).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/LUT.h"
#include "core/WorkProgress.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

// A job of 100 s, one quarter-second update after another; pace(t) is the fraction done at
// t seconds.
TEST(TimeLeftEstimate, FollowsThePaceSmoothlyAndSaysNothingBeforeAFewPercent) {
  struct TCase {
    const char* Name;
    std::function<double(double)> Pace;
    // After this time the estimate is within a second of the truth. The estimate reads the
    // pace since the start, so after a lasting change of pace it follows only slowly.
    double SettledBy;
  };
  const TCase cases[] = {
      {"steady", [](double t) { return t / 100.0; }, 0.0},
      {"twice as slow after 30 s", [](double t) { return t < 30 ? t / 70 : (30 + t) / 140; }, 1e9},
      {"a one-tick stall at 40 s", [](double t) { return (t == 40.0 ? 39.75 : t) / 100.0; }, 45},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTimeLeftEstimate estimate;
    std::optional<double> previous;
    for (double t = 0.25; c.Pace(t) < 1.0; t += 0.25) {
      const double fraction = c.Pace(t);
      const std::optional<double> left = estimate.Update(fraction, t);
      ASSERT_EQ(left.has_value(), fraction >= TTimeLeftEstimate::kFirstFraction) << t;
      if (!left) continue;
      ASSERT_GE(*left, 0.0) << t;
      const double reading = t * (1 - fraction) / fraction;
      if (previous) {
        // Towards the new reading from where the last estimate stands now, never past it,
        // and short of it when they differ: smoothed.
        const double held = *previous - 0.25;
        EXPECT_LE(std::abs(*left - reading), std::abs(held - reading) + 1e-9) << t;
        if (std::abs(held - reading) > 1e-6) {
          EXPECT_LT(std::abs(*left - held), std::abs(reading - held)) << t;
        }
      }
      if (t >= c.SettledBy) {
        const double truth = (1 - fraction) / (c.Pace(t + 1) - fraction);
        EXPECT_NEAR(*left, truth, 1.0) << t;
      }
      previous = left;
    }
    EXPECT_EQ(estimate.Update(1.0, 101.0), 0.0);
  }
}

// Pictures of one row, of one band and of many bands on several threads: the same pixels
// with and without a callback, and reports of rows mapped that end complete.
TEST(ApplyProgress, ReportsEveryRowAndLeavesThePixelsAsWithoutACallback) {
  struct TCase {
    int Width;
    int Height;
  };
  const TCase cases[] = {{1, 1}, {300, 2}, {320, 650}, {2000, 1500}, {1500, 4001}};
  TLUT lut;
  lut.Kind = lk1DAnd3D;
  lut.Size3D = 9;
  for (int r = 0; r < 9; ++r)
    for (int g = 0; g < 9; ++g)
      for (int b = 0; b < 9; ++b) lut.SetNode(r, g, b, {b / 8.0, r * r / 64.0, 1.0 - g / 8.0});
  lut.Size1D = 3;
  for (int i = 0; i < 3; ++i) lut.SetEntry(i, {i / 2.0, std::sqrt(i / 2.0), i * i / 4.0});
  std::mt19937 random(5);
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
    const auto rows = static_cast<std::size_t>(c.Height);
    TBitmap24 picture(c.Width, c.Height);
    for (int y = 0; y < c.Height; ++y) {
      for (int x = 0; x < c.Width * 3; ++x) picture.ScanLine(y)[x] = std::uint8_t(random());
    }
    TBitmap24 quiet = picture;
    lut.ApplyToBitmap(quiet);
    test::TProgressRecord reports8;
    lut.ApplyToBitmap(picture, reports8.Callback());
    EXPECT_EQ(reports8.Problem(rows), "") << "8 bits";
    EXPECT_TRUE(picture == quiet) << "8 bits";

    std::vector<std::uint16_t> deep(rows * 3 * static_cast<std::size_t>(c.Width));
    for (std::uint16_t& sample : deep) sample = std::uint16_t(random());
    std::vector<std::uint16_t> quietDeep = deep;
    lut.ApplyToRgb48(quietDeep, c.Width);
    test::TProgressRecord reports16;
    lut.ApplyToRgb48(deep, c.Width, reports16.Callback());
    EXPECT_EQ(reports16.Problem(rows), "") << "16 bits";
    EXPECT_TRUE(deep == quietDeep) << "16 bits";
  }
}

}  // namespace
}  // namespace vorn
