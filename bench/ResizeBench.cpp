// Resampling speed: the preview fit of a large photograph, and enlarging a small picture.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imaging/ImageResize2.h"

namespace vorn {
namespace {

TBitmap24 NoisePicture(int width, int height) {
  TBitmap24 picture(width, height);
  std::mt19937 random(42);
  const std::size_t size = picture.Stride() * static_cast<std::size_t>(height);
  for (std::size_t i = 0; i < size; ++i) picture.Data()[i] = static_cast<std::uint8_t>(random());
  return picture;
}

// A 24-megapixel photograph fitted into the 210 x 169 preview box, as the main window does.
void BM_FitPreview6000x4000(benchmark::State& state) {
  const TBitmap24 source = NoisePicture(6000, 4000);
  const TPictureSize size = FitSize(source.Width(), source.Height(), 210, 169);
  const auto filter = static_cast<TResizeFilter>(state.range(0));
  TBitmap24 target;
  for (auto _ : state) {
    Stretch(size.Width, size.Height, filter, target, source, 0.0f);
    benchmark::DoNotOptimize(target.Data());
  }
  state.SetItemsProcessed(state.iterations() * source.Width() * source.Height());
}
BENCHMARK(BM_FitPreview6000x4000)
    ->Arg(rfLanczos3)
    ->Arg(rfBox)
    ->Arg(rfMitchell)
    ->Unit(benchmark::kMillisecond);

void BM_Enlarge640x480To1920x1440(benchmark::State& state) {
  const TBitmap24 source = NoisePicture(640, 480);
  TBitmap24 target;
  for (auto _ : state) {
    Stretch(1920, 1440, rfLanczos3, target, source, 0.0f);
    benchmark::DoNotOptimize(target.Data());
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1440);
}
BENCHMARK(BM_Enlarge640x480To1920x1440)->Unit(benchmark::kMillisecond);

void BM_BuildContributorsShrink6000To210(benchmark::State& state) {
  for (auto _ : state) {
    TContributorList list = BuildContributors(6000, 210, rfLanczos3, 0.0f);
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_BuildContributorsShrink6000To210)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vorn
