// Benchmarks of the LUT core and the text formats: load and save of each format family at
// 33 nodes beside Cube 3D (and Cube 3D at 64, the Common LUT Format at 65), the format toolkit's
// value-line reader and grid writer on their own (the hot path of every text format), the XML
// reader, resampling, trilinear evaluation throughput, the whole per-file conversion and the
// comparison of two 64-node grids.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Conversion.h"
#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "core/TextFile.h"
#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "formats/XMLNode.h"
#include "imaging/LutComparison.h"
#include "platform/Files.h"

namespace {

using vorn::TLUT;
using vorn::TRGB;
using vorn::bench::Guarded;
using vorn::bench::ProfileNamed;

constexpr int kBigGrid = 64;
constexpr int kSmallGrid = 17;
constexpr int kMidGrid = 33;
constexpr const char* kCubeProfileName = "Cube 3D Davinci";

using ScratchDir = vorn::TTemporaryFolder;

// A smooth grade that is far from the identity, so every node has many significant digits
// and the writer and reader do their full work.
TRGB Grade(double r, double g, double b) {
  const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double saturation = 1.3;
  auto channel = [&](double c, double gamma, double lift) {
    const double saturated = luma + saturation * (c - luma);
    return lift + (1.0 - lift) * std::pow(std::fabs(saturated), gamma);
  };
  return {channel(r, 0.85, 0.012), channel(g, 0.95, 0.004), channel(b, 1.1, 0.021)};
}

std::unique_ptr<TLUT> MakeGradedGrid(int size) {
  auto lut = vorn::bench::SampleGrid(size, Grade);
  lut->Comments.push_back("graded test grid");
  return lut;
}

const vorn::TLutOutputProfile& CubeProfile() {
  return ProfileNamed(kCubeProfileName);
}

std::string WriteCube64(const ScratchDir& dir, const std::string& name) {
  return vorn::bench::WriteLut(dir, name, *MakeGradedGrid(kBigGrid), CubeProfile());
}

// Loads, per node, a file of the profile written from the graded grid of size nodes.
void LoadGradedGrid(benchmark::State& state, const vorn::TLutOutputProfile& profile, int size) {
  const ScratchDir dir;
  const std::string path =
      vorn::bench::WriteLut(dir, "in." + profile.Extension, *MakeGradedGrid(size), profile);
  auto lut = std::make_unique<TLUT>();
  for (auto _ : state) {
    vorn::LoadLut(path, *lut, -1);
    benchmark::DoNotOptimize(lut->Node(size - 1, size - 1, size - 1)[2]);
  }
  if (lut->Size3D != size) {
    state.SkipWithError(("the file did not load as " + std::to_string(size) + " nodes").c_str());
  }
  state.SetItemsProcessed(state.iterations() * size * size * size);
}

// Saves, per node, the graded grid of size nodes through the profile; returns the size of
// the file written.
std::uintmax_t SaveGradedGrid(benchmark::State& state, const vorn::TLutOutputProfile& profile,
                              int size) {
  const ScratchDir dir;
  const auto lut = MakeGradedGrid(size);
  const std::string path = dir.File("out." + profile.Extension);
  for (auto _ : state) vorn::SaveLut(path, *lut, profile, -1);
  state.SetItemsProcessed(state.iterations() * size * size * size);
  return std::filesystem::file_size(path);
}

// A grid document in the Clipster layout: one LUT3D element whose values element holds a
// line of three 16-bit codes per node, blue fastest.
std::string WriteGridXml(const ScratchDir& dir, const std::string& name, int size) {
  const auto lut = MakeGradedGrid(size);
  std::string text = "<LUT3D name='bench' N='" + std::to_string(size) + "' BitDepth='16'>\n";
  text += "<values>\n";
  for (int r = 0; r < size; ++r) {
    for (int g = 0; g < size; ++g) {
      for (int b = 0; b < size; ++b) {
        const double* node = lut->Node(r, g, b);
        text += vorn::FormatScaledInt(16, node[0]) + " " + vorn::FormatScaledInt(16, node[1]) +
                " " + vorn::FormatScaledInt(16, node[2]) + "\n";
      }
    }
  }
  text += "</values>\n</LUT3D>\n";
  const std::string path = dir.File(name);
  vorn::WriteWholeFile(path, text);
  return path;
}

void BM_LoadCube64(benchmark::State& state) {
  Guarded(state, [&] { LoadGradedGrid(state, CubeProfile(), kBigGrid); });
}
BENCHMARK(BM_LoadCube64)->Unit(benchmark::kMillisecond);

// The same file into a new record each time, as a program or the Python module loading one
// file does: the grid's storage is laid out anew (bench/python-read.py sets vornlut.read
// beside it).
void BM_LoadCube64IntoNewRecord(benchmark::State& state) {
  Guarded(state, [&] {
    const ScratchDir dir;
    const std::string path = WriteCube64(dir, "in.cube");
    for (auto _ : state) {
      TLUT lut;
      vorn::LoadLut(path, lut, -1);
      benchmark::DoNotOptimize(lut.Node(kBigGrid - 1, kBigGrid - 1, kBigGrid - 1)[2]);
    }
  });
}
BENCHMARK(BM_LoadCube64IntoNewRecord)->Unit(benchmark::kMillisecond);

void BM_LoadCube33(benchmark::State& state) {
  Guarded(state, [&] { LoadGradedGrid(state, CubeProfile(), kMidGrid); });
}
BENCHMARK(BM_LoadCube33)->Unit(benchmark::kMillisecond);

// The XML reader alone on a 33-node grid document: read the file, build the tree, find the
// values element.
void BM_XmlReadGrid33(benchmark::State& state) {
  Guarded(state, [&] {
    const ScratchDir dir;
    const std::string path = WriteGridXml(dir, "grid.txt", kMidGrid);
    std::size_t textSize = 0;
    for (auto _ : state) {
      vorn::TXMLNode document;
      document.LoadFromFile(path);
      textSize = document.FindPath({"LUT3D", "values"}).Value.AsString().size();
      benchmark::DoNotOptimize(textSize);
    }
    state.SetItemsProcessed(state.iterations() * kMidGrid * kMidGrid * kMidGrid);
    state.counters["bytes"] = static_cast<double>(textSize);
  });
}
BENCHMARK(BM_XmlReadGrid33)->Unit(benchmark::kMillisecond);

// The XML reader followed by the value-line walk a grid reader does on the values text.
void BM_XmlReadGrid33WithValues(benchmark::State& state) {
  Guarded(state, [&] {
    const ScratchDir dir;
    const std::string path = WriteGridXml(dir, "grid.txt", kMidGrid);
    auto lut = std::make_unique<TLUT>();
    int stored = 0;
    for (auto _ : state) {
      vorn::TXMLNode document;
      document.LoadFromFile(path);
      std::string_view rest = document.FindPath({"LUT3D", "values"}).Value.AsString();
      stored = 0;
      while (!rest.empty() && stored < kMidGrid * kMidGrid * kMidGrid) {
        const std::string_view line = vorn::FetchUntil("\n", rest);
        double* node = lut->Node(stored / (kMidGrid * kMidGrid), stored / kMidGrid % kMidGrid,
                                 stored % kMidGrid);
        if (vorn::ParseIntTriple(line, 65535, false, node[0], node[1], node[2])) ++stored;
      }
      benchmark::DoNotOptimize(lut->Node(1, 2, 3)[0]);
    }
    if (stored != kMidGrid * kMidGrid * kMidGrid) state.SkipWithError("values are missing");
    state.SetItemsProcessed(state.iterations() * kMidGrid * kMidGrid * kMidGrid);
  });
}
BENCHMARK(BM_XmlReadGrid33WithValues)->Unit(benchmark::kMillisecond);

// Load and save of a 33-node grid through Clipster (the XML reader and 16-bit codes) and
// Nucoda (a 4096-line shaper before the grid, read back as 1D & 3D), beside Cube 3D as the
// reference, per grid node. Target: no slower than 1.5 times the Cube 3D reader and writer.
constexpr const char* kXmlAndShaperProfiles[] = {kCubeProfileName, "Clipster 3D", "Nucoda 3D"};

// Loads or saves (save) the graded grid of size nodes through the profile named, labelled
// with that name.
void LoadOrSaveNamed(benchmark::State& state, const char* profileName, int size, bool save) {
  Guarded(state, [&] {
    const vorn::TLutOutputProfile& profile = ProfileNamed(profileName);
    if (save) {
      SaveGradedGrid(state, profile, size);
    } else {
      LoadGradedGrid(state, profile, size);
    }
    state.SetLabel(profile.Name);
  });
}

void BM_LoadXmlAndShaperGrid33(benchmark::State& state) {
  LoadOrSaveNamed(state, kXmlAndShaperProfiles[state.range(0)], kMidGrid, false);
}
BENCHMARK(BM_LoadXmlAndShaperGrid33)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_SaveXmlAndShaperGrid33(benchmark::State& state) {
  LoadOrSaveNamed(state, kXmlAndShaperProfiles[state.range(0)], kMidGrid, true);
}
BENCHMARK(BM_SaveXmlAndShaperGrid33)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Load of a 65-node grid through the Common LUT Format (one LUT3D of 32-bit floats, read by
// the XML reader) beside Cube 3D, per grid node. Target: no slower than 1.5 times the Cube 3D
// reader.
constexpr int kClfGrid = 65;
constexpr const char* kClfProfiles[] = {kCubeProfileName, "Academy/ASC Common LUT Format"};

void BM_LoadClfGrid65(benchmark::State& state) {
  LoadOrSaveNamed(state, kClfProfiles[state.range(0)], kClfGrid, false);
}
BENCHMARK(BM_LoadClfGrid65)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void BM_SaveCube64(benchmark::State& state) {
  Guarded(state, [&] {
    const std::uintmax_t bytes = SaveGradedGrid(state, CubeProfile(), kBigGrid);
    state.counters["bytes"] = static_cast<double>(bytes);
  });
}
BENCHMARK(BM_SaveCube64)->Unit(benchmark::kMillisecond);

// Load and save of a 33-node grid through three profiles, per node: Cube 3D (six decimals,
// red fastest) as the reference, 3DL Fusion (12-bit codes whose depth the reader estimates
// first) and Technicolor mga (16-bit codes behind an index column). Target: the integer-coded
// formats no slower than 1.5 times the Cube 3D reader and writer.
constexpr const char* kGrid33Profiles[] = {kCubeProfileName, "3DL Fusion", "Technicolor 3D mga"};

void BM_LoadGrid33(benchmark::State& state) {
  LoadOrSaveNamed(state, kGrid33Profiles[state.range(0)], kMidGrid, false);
}
BENCHMARK(BM_LoadGrid33)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_SaveGrid33(benchmark::State& state) {
  LoadOrSaveNamed(state, kGrid33Profiles[state.range(0)], kMidGrid, true);
}
BENCHMARK(BM_SaveGrid33)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The toolkit's grid writer into memory: reals at 6 decimals red fastest (cube files) and
// clamped 12-bit codes blue fastest (3dl files).
void BM_ToolkitGridWriter(benchmark::State& state) {
  const bool codes = state.range(0) != 0;
  const auto lut = MakeGradedGrid(kBigGrid);
  const vorn::TValueLayout layout{.Order = codes ? vorn::noBlueFastest : vorn::noRedFastest};
  const vorn::TValueWriter writer =
      codes ? vorn::TValueWriter::ScaledInt(12) : vorn::TValueWriter::Fixed(6);
  for (auto _ : state) {
    vorn::TTextFile text;
    vorn::AddGridLines(text, *lut, layout, writer);
    benchmark::DoNotOptimize(text.Count());
  }
  state.SetItemsProcessed(state.iterations() * kBigGrid * kBigGrid * kBigGrid);
  state.SetLabel(codes ? "12-bit codes" : "6 decimals");
}
BENCHMARK(BM_ToolkitGridWriter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Reads lines already in memory into the grid through the toolkit's value-line walk, with a
// new load state each time as every load has.
void ReadAllLines(const vorn::TTextFile& text, TLUT& lut, const vorn::TValueLayout& layout,
                  double divisor) {
  vorn::TLoadState load;
  load.Size = kBigGrid;
  for (std::size_t i = 0; i < text.Count(); ++i) load.ReadGridLine(text[i], lut, layout, divisor);
  if (!load.Complete) throw std::runtime_error("the grid did not complete");
}

void BM_ToolkitValueLineReader(benchmark::State& state) {
  Guarded(state, [&] {
    const bool codes = state.range(0) != 0;
    const auto source = MakeGradedGrid(kBigGrid);
    vorn::TTextFile text;
    const vorn::TValueLayout layout{.Order = codes ? vorn::noBlueFastest : vorn::noRedFastest,
                                    .IntegerCodes = codes};
    vorn::AddGridLines(text, *source, layout,
                       codes ? vorn::TValueWriter::ScaledInt(12) : vorn::TValueWriter::Fixed(6));
    auto lut = std::make_unique<TLUT>();
    for (auto _ : state) {
      ReadAllLines(text, *lut, layout, codes ? 4095.0 : 1.0);
      benchmark::DoNotOptimize(lut->Node(1, 2, 3)[0]);
    }
    state.SetItemsProcessed(state.iterations() * kBigGrid * kBigGrid * kBigGrid);
    state.SetLabel(codes ? "12-bit codes" : "6 decimals");
  });
}
BENCHMARK(BM_ToolkitValueLineReader)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ResampleFrom17To64(benchmark::State& state) {
  Guarded(state, [&] {
    const auto source = MakeGradedGrid(kSmallGrid);
    auto destination = std::make_unique<TLUT>();
    destination->Kind = vorn::lk3D;
    destination->Size3D = kBigGrid;
    for (auto _ : state) {
      destination->ResampleFrom(*source);
      benchmark::DoNotOptimize(destination->Node(1, 2, 3)[0]);
    }
    state.SetItemsProcessed(state.iterations() * kBigGrid * kBigGrid * kBigGrid);
  });
}
BENCHMARK(BM_ResampleFrom17To64)->Unit(benchmark::kMillisecond);

// Inputs spread over the cube with a fixed linear congruential sequence, so every run
// evaluates the same points and no two neighbours share a cell.
std::vector<TRGB> SpreadInputs(std::size_t count) {
  std::vector<TRGB> inputs(count);
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
  };
  for (TRGB& in : inputs) in = {next(), next(), next()};
  return inputs;
}

void BM_Evaluate3D(benchmark::State& state) {
  const auto lut = MakeGradedGrid(static_cast<int>(state.range(0)));
  const auto inputs = SpreadInputs(4096);
  for (auto _ : state) {
    for (const TRGB& in : inputs) {
      benchmark::DoNotOptimize(lut->Evaluate3D(in));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputs.size()));
}
BENCHMARK(BM_Evaluate3D)->Arg(kSmallGrid)->Arg(kBigGrid)->Unit(benchmark::kMicrosecond);

// What one conversion of a file costs inside the command-line program: detect, load,
// resample (a plain copy at equal size) and save.
void BM_ConvertCube64To64(benchmark::State& state) {
  Guarded(state, [&] {
    const ScratchDir dir;
    const std::string source = WriteCube64(dir, "in.cube");
    const std::string destination = dir.File("out.cube");
    const auto& profile = CubeProfile();
    for (auto _ : state) {
      vorn::ConvertFile(source, destination, -1, profile, kBigGrid, -1);
    }
  });
}
BENCHMARK(BM_ConvertCube64To64)->Unit(benchmark::kMillisecond);

// The comparison behind "vorn-lut compare" without the loading: a 64-node grade against
// its 17-node version resampled back to 64 nodes (512,191 inputs; wall time, as the work
// is shared among the cores).
void BM_CompareLuts64(benchmark::State& state) {
  const auto fine = MakeGradedGrid(kBigGrid);
  const auto coarse = MakeGradedGrid(kSmallGrid);
  auto resampled = std::make_unique<TLUT>();
  resampled->Kind = vorn::lk3D;
  resampled->Size3D = kBigGrid;
  resampled->ResampleFrom(*coarse);
  for (auto _ : state) {
    const vorn::TLutComparison comparison = vorn::CompareLuts(*fine, *resampled);
    benchmark::DoNotOptimize(comparison.DeltaE.Max);
  }
  state.SetItemsProcessed(state.iterations() * 512191);
}
BENCHMARK(BM_CompareLuts64)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
