// Benchmarks of the ICC and merge work: the whole vorn-lut process for icc2lut of a display
// profile to a 33-node grid (target under 0.1 s), lut2icc of a 33-node LUT and merge of three
// 33-node LUTs to 64 nodes, and building each class of profile inside the process.

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "imaging/ICCLib.h"
#include "imaging/LutToIcc.h"
#include "platform/Files.h"

extern char** environ;

namespace {

using vorn::TLUT;
using vorn::TRGB;
using vorn::bench::Guarded;
using vorn::bench::RunVornLut;

constexpr const char* kGridProfile = "Cube 3D Davinci";

// A grade far from the identity: lift, per-channel gamma and saturation.
TRGB Grade(const TRGB& c, double lift) {
  const double luma = 0.2126 * c.R + 0.7152 * c.G + 0.0722 * c.B;
  auto channel = [&](double v, double gamma) {
    const double saturated = std::fabs(luma + 1.2 * (v - luma));
    return std::min(1.0, lift + (1.0 - lift) * std::pow(saturated, gamma));
  };
  return {channel(c.R, 0.9), channel(c.G, 1.0), channel(c.B, 1.1)};
}

std::unique_ptr<TLUT> GradedGrid(int size, double lift) {
  return vorn::bench::SampleGrid(size, [lift](double r, double g, double b) {
    return Grade({r, g, b}, lift);
  });
}

std::string WriteGradedCube(const vorn::TTemporaryFolder& dir, const std::string& name,
                            double lift) {
  return vorn::bench::WriteLut(dir, name, *GradedGrid(33, lift),
                               vorn::bench::ProfileNamed(kGridProfile));
}

// A display profile as calibration software writes them: matrix and curves, version 2.
std::string WriteDisplayProfile(const vorn::TTemporaryFolder& dir) {
  const cmsCIExyY white = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.68, 0.32, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  const vorn::TLcmsToneCurve gamma(cmsBuildGamma(nullptr, 2.2));
  cmsToneCurve* curves[3] = {gamma.get(), gamma.get(), gamma.get()};
  const vorn::TProfileHandle profile(cmsCreateRGBProfile(&white, &primaries, curves));
  cmsSetProfileVersion(profile.Native(), 2.4);
  const std::string path = dir.File("display.icc");
  const bool saved = cmsSaveProfileToFile(profile.Native(), path.c_str());
  if (!saved) throw std::runtime_error("cannot write " + path);
  return path;
}

void BM_Icc2LutProcessDisplayTo33(benchmark::State& state) {
  Guarded(state, [&] {
    const vorn::TTemporaryFolder dir;
    const std::string profile = WriteDisplayProfile(dir);
    const std::string out = dir.File("display.cube");
    for (auto _ : state) {
      RunVornLut(
          {"icc2lut", "--profile", kGridProfile, "--size", "33", "--overwrite", profile, out});
    }
  });
}
BENCHMARK(BM_Icc2LutProcessDisplayTo33)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Lut2IccProcess33(benchmark::State& state) {
  static const char* const kClasses[] = {"input", "display", "link"};
  const char* profileClass = kClasses[state.range(0)];
  state.SetLabel(profileClass);
  Guarded(state, [&] {
    const vorn::TTemporaryFolder dir;
    const std::string cube = WriteGradedCube(dir, "grade.cube", 0.03);
    const std::string out = dir.File("grade.icc");
    for (auto _ : state) {
      RunVornLut({"lut2icc", "--class", profileClass, "--overwrite", cube, out});
    }
  });
}
BENCHMARK(BM_Lut2IccProcess33)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MergeProcessThree33To64(benchmark::State& state) {
  Guarded(state, [&] {
    const vorn::TTemporaryFolder dir;
    const std::string a = WriteGradedCube(dir, "a.cube", 0.02);
    const std::string b = WriteGradedCube(dir, "b.cube", 0.04);
    const std::string c = WriteGradedCube(dir, "c.cube", 0.06);
    const std::string out = dir.File("merged.cube");
    for (auto _ : state) {
      RunVornLut({"merge", "--profile", kGridProfile, "--size", "64", "--overwrite", "--output",
                  out, a, b, c});
    }
  });
}
BENCHMARK(BM_MergeProcessThree33To64)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BuildIccProfile33(benchmark::State& state) {
  static const vorn::TLutIccClass kClasses[] = {
      vorn::TLutIccClass::Input, vorn::TLutIccClass::Display, vorn::TLutIccClass::DeviceLink};
  static const char* const kNames[] = {"input", "display", "link"};
  state.SetLabel(kNames[state.range(0)]);
  Guarded(state, [&] {
    const auto lut = GradedGrid(33, 0.03);
    const vorn::TLutToIccOptions options{kClasses[state.range(0)], "bench", "Copyright (c)"};
    for (auto _ : state) {
      benchmark::DoNotOptimize(vorn::BuildIccProfile(*lut, options).size());
    }
  });
}
BENCHMARK(BM_BuildIccProfile33)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
