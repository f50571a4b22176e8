#pragma once
// Rows of a picture passed through three steps in bands, so that reading, mapping and
// writing overlap on several threads and the picture is never held whole.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vorn::codecs {

// Each step gets a band's first row and its row count; rows are packed one after another.
struct TBandSteps {
  std::function<void(std::uint8_t* rows, int count)> Read;         // bands in order, one at a time
  std::function<void(std::uint8_t* rows, int count)> Map;          // several bands at once
  std::function<void(const std::uint8_t* rows, int count)> Write;  // in order, one at a time
};

struct TBandLayout {
  std::size_t RowBytes = 0;
  int Height = 0;
  int BandRows = 1;
  int Slots = 2;  // bands held at once: read and not yet written
};

// Passes rows [0, Height) through the steps on `threads` threads (the calling one among
// them), each taking whichever step can go on: a write first, then a read, then a map. The
// first failure of a step stops every thread and is raised here.
void RunBandPipeline(const TBandLayout& layout, int threads, const TBandSteps& steps);

}  // namespace vorn::codecs
