// Benchmarks of the picture work: ReadHaldImage of a 182 x 182 TIFF, WriteLutImage of a
// 64-node grid, and the whole "vorn-lut apply" process mapping a 24-megapixel JPEG through a
// 33-node LUT, held on one core (target: under half a second). The apply figures are the
// wall time of the process and its CPU time (user and system), which other work on the
// machine does not inflate.

#include <benchmark/benchmark.h>
#include <sched.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "codecs/Pictures.h"
#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "imaging/HaldImage.h"
#include "platform/Files.h"

extern char** environ;

namespace {

using vorn::TLUT;
using vorn::TRGB;

constexpr int kPhotoWidth = 6000;
constexpr int kPhotoHeight = 4000;
constexpr const char* kGridProfile = "Cube 3D Davinci";

TRGB Grade(double r, double g, double b) {
  const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  auto channel = [&](double c, double gamma, double lift) {
    return lift + (1.0 - lift) * std::pow(std::fabs(luma + 1.25 * (c - luma)), gamma);
  };
  return {channel(r, 0.9, 0.01), channel(g, 1.0, 0.0), channel(b, 1.1, 0.02)};
}

std::unique_ptr<TLUT> GradedGrid(int size) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = vorn::lk3D;
  lut->Size3D = size;
  const double step = 1.0 / (size - 1);
  for (int r = 0; r < size; ++r)
    for (int g = 0; g < size; ++g)
      for (int b = 0; b < size; ++b) lut->SetNode(r, g, b, Grade(r * step, g * step, b * step));
  return lut;
}

// A photograph's worth of pixels: smooth shading with the grain of a real picture, so that
// colours repeat no more than in a photograph.
vorn::TBitmap24 PhotoLikePicture() {
  vorn::TBitmap24 picture(kPhotoWidth, kPhotoHeight);
  std::uint32_t noise = 12345;
  for (int y = 0; y < kPhotoHeight; ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < kPhotoWidth; ++x, p += 3) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28) - 8;
      const double u = static_cast<double>(x) / kPhotoWidth;
      const double v = static_cast<double>(y) / kPhotoHeight;
      const double base[3] = {0.5 + 0.4 * std::sin(7 * u + 3 * v), 0.45 + 0.4 * std::cos(5 * v - u),
                              0.5 + 0.35 * std::sin(11 * u * v + 1)};
      for (int c = 0; c < 3; ++c) {
        const int value = static_cast<int>(base[c] * 255) + grain;
        p[2 - c] = static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
      }
    }
  }
  return picture;
}

void PinToOneCore() {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  if (sched_setaffinity(0, sizeof one, &one) != 0) throw std::runtime_error("cannot pin to a core");
}

void BM_ReadHaldImageTiff(benchmark::State& state) {
  vorn::bench::Guarded(state, [&] {
    const vorn::TTemporaryFolder dir;
    const std::string path = dir.File("hald.tif");
    vorn::SaveTiff(path, vorn::MakeHaldImage());
    auto lut = std::make_unique<TLUT>();
    for (auto _ : state) {
      vorn::ReadHaldImage(path, *lut);
      benchmark::DoNotOptimize(lut->GetNode(0, 0, 0));
    }
  });
}
BENCHMARK(BM_ReadHaldImageTiff)->Unit(benchmark::kMicrosecond);

void BM_WriteLutImage64(benchmark::State& state) {
  vorn::bench::Guarded(state, [&] {
    const vorn::TTemporaryFolder dir;
    const auto lut = GradedGrid(64);
    const std::string path = dir.File("lookup.png");
    for (auto _ : state) vorn::WriteLutImage(*lut, path);
  });
}
BENCHMARK(BM_WriteLutImage64)->Unit(benchmark::kMillisecond);

void BM_ApplyProcess33To24MegapixelJpeg(benchmark::State& state) {
  vorn::bench::Guarded(state, [&] {
    const vorn::TTemporaryFolder dir;
    const std::string lut = dir.File("grade.cube");
    vorn::SaveLut(lut, *GradedGrid(33), vorn::bench::ProfileNamed(kGridProfile), -1);
    const std::string photo = dir.File("photo.jpg");
    vorn::SaveJpeg(photo, PhotoLikePicture(), 90, vorn::TChromaSubsampling::s420);
    const std::string out = dir.File("graded.jpg");
    PinToOneCore();
    double cpu = 0.0;
    for (auto _ : state) cpu += vorn::bench::RunVornLut({"apply", "--overwrite", lut, photo, out});
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["target_s"] = 0.5;
  });
}
BENCHMARK(BM_ApplyProcess33To24MegapixelJpeg)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
