#include "ui/TimeEstimate.h"

#include <chrono>

#include "platform/Convert.h"

namespace vorn::ui {

namespace {

constexpr double kSecondsPerDay = 24.0 * 60.0 * 60.0;
constexpr double kShortestInterval = 3.0;

}  // namespace

TClock SystemClock() {
  return [] {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(sinceEpoch).count() / kSecondsPerDay;
  };
}

namespace {

std::string Remaining(std::int64_t count, const char* unit) {
  return IntToStr(count) + " " + unit + (count == 1 ? "" : "s") + " remaining";
}

}  // namespace

std::string RemainingTimeText(std::int64_t seconds) {
  if (seconds < 60) return Remaining(seconds, "second");
  if (seconds < 10800) return Remaining(seconds / 60, "minute");
  return Remaining(seconds / 3600, "hour");
}

void TTimeEstimator::Reset() {
  StartTime_ = 0.0;
  LastPosition_ = 0.0;
  Measured_ = false;
}

TTimeEstimate TTimeEstimator::Update(double position, double now) {
  if (StartTime_ == 0.0) StartTime_ = now;
  if (LastPosition_ == 0.0) LastPosition_ = position;
  const double elapsed = now - StartTime_;
  if (elapsed * kSecondsPerDay <= kShortestInterval && !Measured_) return {};
  if (position == LastPosition_) return {};

  const double speed = (position - LastPosition_) / elapsed;
  const std::int64_t seconds = RoundHalfEven((100.0 - position) / speed * kSecondsPerDay);
  TTimeEstimate estimate;
  estimate.HasText = true;
  estimate.HideTime = seconds < 0;
  estimate.Text = RemainingTimeText(seconds);
  Measured_ = Averaged_;
  if (!Averaged_) {
    StartTime_ = now;
    LastPosition_ = position;
  }
  return estimate;
}

}  // namespace vorn::ui
