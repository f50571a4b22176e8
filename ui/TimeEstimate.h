#pragma once
// The remaining-time estimate of the progress window, without Qt. Times are in days
// (a date-time as a real), positions in percent.

#include <cstdint>
#include <functional>
#include <string>

namespace vorn::ui {

// The current time in days; tests give their own.
using TClock = std::function<double()>;
// Days since the Unix epoch from the system clock.
TClock SystemClock();

// "N seconds remaining" below a minute, whole minutes below three hours, whole hours after;
// one of a unit is singular ("1 minute remaining").
std::string RemainingTimeText(std::int64_t seconds);

struct TTimeEstimate {
  bool HasText = false;  // false: the label keeps its text
  std::string Text;
  bool HideTime = false;  // a negative estimate: stop showing the time
};

// Measures the speed over intervals of more than three seconds and estimates the rest
// from the speed of the last interval, not the average since the start; or, averaged, from
// the speed since the first update, which holds steady over a batch of files of unequal
// sizes.
class TTimeEstimator {
 public:
  void SetAveraged(bool averaged) { Averaged_ = averaged; }
  void Reset();
  TTimeEstimate Update(double position, double now);

 private:
  double StartTime_ = 0.0;     // 0 = not started
  double LastPosition_ = 0.0;  // 0 = not taken
  bool Averaged_ = false;
  bool Measured_ = false;  // an averaged estimate was given: the first interval is over
};

}  // namespace vorn::ui
