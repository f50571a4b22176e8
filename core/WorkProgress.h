#pragma once
// How far a long operation (sampling a profile, mapping a large picture) has gone, told to
// whoever shows it, and an estimate of the time it still needs.

#include <cstddef>
#include <functional>
#include <optional>

namespace vorn {

// Hears that done of total units (planes, entries, rows) are finished. The operation calls
// it every few milliseconds' worth of work at most; calls never overlap, done never
// decreases and the last call has done == total. An empty callback is never called and
// leaves the operation as fast as without one.
using TProgressCallback = std::function<void(std::size_t done, std::size_t total)>;

inline void ReportProgress(const TProgressCallback& progress, std::size_t done, std::size_t total) {
  if (progress) progress(done, total);
}

// The seconds an operation still needs, from the fraction done after some seconds, smoothed
// over the updates so that a brief change of pace moves it only part of the way. None until
// kFirstFraction of the work is done, when the pace says too little.
class TTimeLeftEstimate {
 public:
  static constexpr double kFirstFraction = 0.03;

  std::optional<double> Update(double fraction, double elapsedSeconds);

 private:
  std::optional<double> Smoothed_;
  double LastElapsed_ = 0.0;
};

}  // namespace vorn
