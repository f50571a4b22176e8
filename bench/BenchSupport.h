#pragma once
// What the benchmarks share: a failed set-up reported to the runner, output profiles by
// name, grids sampled from a grade, and LUT files written into a scratch folder.

#include <benchmark/benchmark.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "platform/Files.h"

namespace vorn::bench {

// Runs body; an exception it raises skips the benchmark with its message instead of
// ending the process.
template <typename Body>
void Guarded(benchmark::State& state, Body body) {
  try {
    body();
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
  }
}

// The output profile of that name; raises when there is none.
const TLutOutputProfile& ProfileNamed(const std::string& name);

// A 3D grid of size nodes per axis; the node at red r, green g, blue b (each from 0 to 1)
// is grade(r, g, b).
using TGrade = std::function<TRGB(double r, double g, double b)>;
std::unique_ptr<TLUT> SampleGrid(int size, const TGrade& grade);

// Writes lut through the profile as the file name in dir and returns its path.
std::string WriteLut(const TTemporaryFolder& dir, const std::string& name, const TLUT& lut,
                     const TLutOutputProfile& profile);

// Runs vorn-lut with the arguments, its output thrown away; answers the child's CPU seconds
// (user and system). Raises unless it exits with 0.
double RunVornLut(const std::vector<std::string>& args);

}  // namespace vorn::bench
