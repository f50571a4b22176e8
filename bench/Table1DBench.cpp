// Benchmarks of the 1D tables: load and save of a 65,536-entry Autodesk Lustre 1D file and a
// 4096-entry Cube 1D file, the load of a 4096-entry Imageworks spi1d file beside it, and the
// conversion's sampling of a 64-node grid along its grey axis into a 65,536-entry table.

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/BenchSupport.h"
#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "platform/Files.h"

namespace {

using vorn::TLUT;
using vorn::bench::Guarded;
using vorn::bench::ProfileNamed;

constexpr int kLustreEntries = 65536;
constexpr int kCubeEntries = 4096;
constexpr int kGridNodes = 64;

// Curves with many significant digits, different per channel.
std::unique_ptr<TLUT> MakeCurves(int size) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = vorn::lk1D;
  lut->Size1D = size;
  for (int i = 0; i < size; ++i) {
    const double x = i / (size - 1.0);
    lut->SetEntry(i, {std::pow(x, 0.45), 0.012 + 0.97 * x * x, std::sqrt(x) * 0.93});
  }
  return lut;
}

std::unique_ptr<TLUT> MakeGrid(int size) {
  return vorn::bench::SampleGrid(size, [](double x, double y, double z) {
    return vorn::TRGB{std::pow(x, 0.9) * 0.8 + 0.2 * y, y * y, 0.5 * z + 0.5 * x * z};
  });
}

// Loads a file of the profile written from curves of the given size.
void LoadTable(benchmark::State& state, const char* profileName, const char* fileName,
               int entries) {
  Guarded(state, [&] {
    const vorn::TTemporaryFolder dir("vorn-bench");
    const std::string path =
        vorn::bench::WriteLut(dir, fileName, *MakeCurves(entries), ProfileNamed(profileName));
    auto lut = std::make_unique<TLUT>();
    for (auto _ : state) {
      vorn::LoadLut(path, *lut, -1);
      benchmark::DoNotOptimize(lut->Entry(entries - 1)[2]);
    }
    if (lut->Size1D != entries) state.SkipWithError("the table did not load whole");
    state.SetItemsProcessed(state.iterations() * entries);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  });
}

void SaveTable(benchmark::State& state, const char* profileName, const char* fileName,
               int entries) {
  Guarded(state, [&] {
    const vorn::TTemporaryFolder dir("vorn-bench");
    const std::string path = dir.File(fileName);
    const auto lut = MakeCurves(entries);
    const vorn::TLutOutputProfile& profile = ProfileNamed(profileName);
    for (auto _ : state) vorn::SaveLut(path, *lut, profile, -1);
    state.SetItemsProcessed(state.iterations() * entries);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  });
}

void BM_LoadLustre1D65536(benchmark::State& state) {
  LoadTable(state, "Autodesk Lustre 1D", "in.lut", kLustreEntries);
}
BENCHMARK(BM_LoadLustre1D65536)->Unit(benchmark::kMillisecond);

void BM_SaveLustre1D65536(benchmark::State& state) {
  SaveTable(state, "Autodesk Lustre 1D", "out.lut", kLustreEntries);
}
BENCHMARK(BM_SaveLustre1D65536)->Unit(benchmark::kMillisecond);

void BM_LoadCube1D4096(benchmark::State& state) {
  LoadTable(state, "Cube 1D", "in.cube", kCubeEntries);
}
BENCHMARK(BM_LoadCube1D4096)->Unit(benchmark::kMicrosecond);

// The same curves as an Imageworks spi1d (three components per entry line), beside the cube.
void BM_LoadSpi1D4096(benchmark::State& state) {
  LoadTable(state, "Imageworks spi1d", "in.spi1d", kCubeEntries);
}
BENCHMARK(BM_LoadSpi1D4096)->Unit(benchmark::kMicrosecond);

void BM_SaveCube1D4096(benchmark::State& state) {
  SaveTable(state, "Cube 1D", "out.cube", kCubeEntries);
}
BENCHMARK(BM_SaveCube1D4096)->Unit(benchmark::kMicrosecond);

// A grid converted to a 1D output: one trilinear evaluation per table entry.
void BM_ResampleGrid64To1D65536(benchmark::State& state) {
  const auto source = MakeGrid(kGridNodes);
  auto table = std::make_unique<TLUT>();
  table->Kind = vorn::lk1D;
  table->Size1D = kLustreEntries;
  for (auto _ : state) {
    table->ResampleFrom(*source);
    benchmark::DoNotOptimize(table->Entry(kLustreEntries - 1)[0]);
  }
  state.SetItemsProcessed(state.iterations() * kLustreEntries);
}
BENCHMARK(BM_ResampleGrid64To1D65536)->Unit(benchmark::kMillisecond);

}  // namespace
