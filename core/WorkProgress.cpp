#include "core/WorkProgress.h"

#include <algorithm>

namespace vorn {

namespace {
// The share of a new reading in the estimate: a quarter settles within a few seconds of
// quarter-second updates and hides a single slow or fast band.
constexpr double kNewReadingWeight = 0.25;
}  // namespace

std::optional<double> TTimeLeftEstimate::Update(double fraction, double elapsedSeconds) {
  if (fraction >= 1.0) return 0.0;
  if (fraction < kFirstFraction) return std::nullopt;
  const double reading = elapsedSeconds * (1.0 - fraction) / fraction;
  if (!Smoothed_) {
    Smoothed_ = reading;
  } else {
    // What the last estimate says now, had the pace held, moved towards the new reading.
    const double held = std::max(0.0, *Smoothed_ - (elapsedSeconds - LastElapsed_));
    Smoothed_ = held + kNewReadingWeight * (reading - held);
  }
  LastElapsed_ = elapsedSeconds;
  return Smoothed_;
}

}  // namespace vorn
