#include "codecs/BandPipeline.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

#include "platform/WorkerPool.h"

namespace vorn::codecs {

namespace {

// Band b lives in slot b % Slots from its read until its write; bands are read, handed to
// mappers and written in order, and mapped in any order.
class TBandSchedule {
 public:
  TBandSchedule(const TBandLayout& layout, const TBandSteps& steps)
      : Layout_(layout),
        Steps_(steps),
        Bands_((layout.Height + layout.BandRows - 1) / layout.BandRows),
        Rows_(layout.RowBytes * static_cast<std::size_t>(layout.BandRows) *
              static_cast<std::size_t>(layout.Slots)),
        Mapped_(static_cast<std::size_t>(layout.Slots), false) {}

  void Work() {
    std::unique_lock lock(Mutex_);
    while (!Failure_ && Written_ < Bands_) {
      if (CanWrite()) {
        const int band = Written_;
        Writing_ = true;
        RunUnlocked(lock, [&] { Steps_.Write(RowsOf(band), RowCount(band)); });
        Writing_ = false;
        Mapped_[Slot(band)] = false;
        ++Written_;
      } else if (CanRead()) {
        const int band = Read_;
        Reading_ = true;
        RunUnlocked(lock, [&] { Steps_.Read(RowsOf(band), RowCount(band)); });
        Reading_ = false;
        ++Read_;
      } else if (HandedToMap_ < Read_) {
        const int band = HandedToMap_++;
        RunUnlocked(lock, [&] { Steps_.Map(RowsOf(band), RowCount(band)); });
        Mapped_[Slot(band)] = true;
      } else {
        Changed_.wait(lock);
        continue;
      }
      Changed_.notify_all();
    }
  }

  void RaiseFailure() const {
    if (Failure_) std::rethrow_exception(Failure_);
  }

 private:
  bool CanWrite() const { return !Writing_ && Written_ < Read_ && Mapped_[Slot(Written_)]; }
  bool CanRead() const { return !Reading_ && Read_ < Bands_ && Read_ < Written_ + Layout_.Slots; }

  std::size_t Slot(int band) const { return static_cast<std::size_t>(band % Layout_.Slots); }
  int RowCount(int band) const {
    return std::min(Layout_.BandRows, Layout_.Height - band * Layout_.BandRows);
  }
  std::uint8_t* RowsOf(int band) {
    return Rows_.data() +
           Slot(band) * Layout_.RowBytes * static_cast<std::size_t>(Layout_.BandRows);
  }

  template <class Step>
  void RunUnlocked(std::unique_lock<std::mutex>& lock, Step&& step) {
    lock.unlock();
    std::exception_ptr failure;
    try {
      step();
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    if (failure && !Failure_) Failure_ = failure;
  }

  const TBandLayout Layout_;
  const TBandSteps& Steps_;
  const int Bands_;
  // Only bands that Read filled reach Map and Write, so the slots need no zeroing beyond
  // what the vector does once for a few bands.
  std::vector<std::uint8_t> Rows_;
  std::vector<bool> Mapped_;  // by slot

  std::mutex Mutex_;
  std::condition_variable Changed_;
  int Read_ = 0;
  int HandedToMap_ = 0;
  int Written_ = 0;
  bool Reading_ = false;
  bool Writing_ = false;
  std::exception_ptr Failure_;
};

}  // namespace

void RunBandPipeline(const TBandLayout& layout, int threads, const TBandSteps& steps) {
  TBandSchedule schedule(layout, steps);
  const auto workers = static_cast<std::size_t>(std::max(threads, 1));
  RunForEachIndex(workers, threads, [&](std::size_t) { schedule.Work(); });
  schedule.RaiseFailure();
}

}  // namespace vorn::codecs
