#include "imaging/LutComparison.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "core/TextTools.h"
#include "core/VornLut.h"
#include "imaging/ColourDifference.h"
#include "platform/Exception.h"

namespace vorn {

namespace {

// The coordinates (Step x i + Offset) / Denominator for i in [0, Count): the nodes of an
// n-node axis or the centres of its cells. Kept as integers so that shared inputs of two
// sets are found exactly.
struct TAxisSet {
  std::int64_t Step = 1;
  std::int64_t Offset = 0;
  std::int64_t Denominator = 1;
  int Count = 0;

  static TAxisSet Nodes(int n) { return {1, 0, n - 1, n}; }
  static TAxisSet Centres(int n) { return {2, 1, 2 * static_cast<std::int64_t>(n - 1), n - 1}; }

  std::int64_t Numerator(int i) const { return Step * i + Offset; }
  double At(int i) const {
    return static_cast<double>(Numerator(i)) / static_cast<double>(Denominator);
  }
  // Whether numerator / denominator is one of the coordinates.
  bool Contains(std::int64_t numerator, std::int64_t denominator) const {
    const std::int64_t scaled = numerator * Denominator;
    if (scaled % denominator != 0) return false;
    const std::int64_t k = scaled / denominator - Offset;
    return k >= 0 && k % Step == 0 && k / Step < Count;
  }
};

// Evaluation stays inside the arrays only for sizes within the record's capacity.
void CheckCapacity(const TLUT& lut) {
  if (!lut.SizesWithinCapacity()) {
    throw Exception("The LUT's size is beyond what a LUT record holds; it cannot be compared.");
  }
}

// The lattice a LUT contributes: its grid's nodes, or the default lattice without a grid.
int LatticeNodes(const TLUT& lut) {
  return lut.HasGrid() ? std::max(lut.Size3D, 2) : kDefaultLatticeSize;
}

struct TSampleSets {
  std::vector<TAxisSet> Lattices;  // n x n x n inputs each
  std::vector<TAxisSet> GreyAxes;  // (x, x, x) inputs
};

TSampleSets DefaultSets(const TLUT& first, const TLUT& second) {
  TSampleSets sets;
  const int firstNodes = LatticeNodes(first);
  const int secondNodes = LatticeNodes(second);
  sets.Lattices.push_back(TAxisSet::Nodes(firstNodes));
  if (secondNodes != firstNodes) sets.Lattices.push_back(TAxisSet::Nodes(secondNodes));
  sets.Lattices.push_back(TAxisSet::Centres(std::max(firstNodes, secondNodes)));

  int longest = 0;
  for (const TLUT* lut : {&first, &second}) {
    if (!lut->HasTable() || lut->Size1D < 2) continue;
    if (lut->Size1D != longest) sets.GreyAxes.push_back(TAxisSet::Nodes(lut->Size1D));
    longest = std::max(longest, lut->Size1D);
  }
  if (longest >= 2) sets.GreyAxes.push_back(TAxisSet::Centres(longest));
  return sets;
}

// For every coordinate of set, whether earlier holds it too.
std::vector<bool> SharedCoordinates(const TAxisSet& set, const TAxisSet& earlier) {
  std::vector<bool> shared(static_cast<std::size_t>(set.Count));
  for (int i = 0; i < set.Count; ++i)
    shared[i] = earlier.Contains(set.Numerator(i), set.Denominator);
  return shared;
}

void AddLattice(const std::vector<TAxisSet>& lattices, std::size_t index,
                std::vector<TRGB>& inputs) {
  const TAxisSet& set = lattices[index];
  std::vector<std::vector<bool>> shared;
  for (std::size_t s = 0; s < index; ++s) shared.push_back(SharedCoordinates(set, lattices[s]));
  auto seenBefore = [&](int r, int g, int b) {
    return std::any_of(shared.begin(), shared.end(),
                       [&](const std::vector<bool>& in) { return in[r] && in[g] && in[b]; });
  };
  for (int r = 0; r < set.Count; ++r) {
    for (int g = 0; g < set.Count; ++g) {
      for (int b = 0; b < set.Count; ++b) {
        if (!seenBefore(r, g, b)) inputs.push_back({set.At(r), set.At(g), set.At(b)});
      }
    }
  }
}

void AddGreyAxis(const TSampleSets& sets, std::size_t index, std::vector<TRGB>& inputs) {
  const TAxisSet& set = sets.GreyAxes[index];
  for (int i = 0; i < set.Count; ++i) {
    auto holds = [&](const TAxisSet& other) {
      return other.Contains(set.Numerator(i), set.Denominator);
    };
    const auto earlierGrey = sets.GreyAxes.begin() + static_cast<std::ptrdiff_t>(index);
    if (std::any_of(sets.Lattices.begin(), sets.Lattices.end(), holds) ||
        std::any_of(sets.GreyAxes.begin(), earlierGrey, holds)) {
      continue;
    }
    const double x = set.At(i);
    inputs.push_back({x, x, x});
  }
}

std::vector<TRGB> SampleInputs(const TSampleSets& sets) {
  std::size_t most = 0;  // before shared inputs are left out
  for (const TAxisSet& set : sets.Lattices) {
    most += static_cast<std::size_t>(set.Count) * set.Count * set.Count;
  }
  for (const TAxisSet& set : sets.GreyAxes) most += static_cast<std::size_t>(set.Count);
  std::vector<TRGB> inputs;
  inputs.reserve(most);
  for (std::size_t i = 0; i < sets.Lattices.size(); ++i) AddLattice(sets.Lattices, i, inputs);
  for (std::size_t i = 0; i < sets.GreyAxes.size(); ++i) AddGreyAxis(sets, i, inputs);
  return inputs;
}

// Nearest rank: the smallest value that at least 99 % of the values do not exceed.
// Reorders values.
double Percentile99(double* begin, double* end) {
  const std::size_t count = static_cast<std::size_t>(end - begin);
  if (count == 0) return 0.0;
  const std::size_t rank = (count * 99 + 99) / 100;  // ceil(0.99 x count)
  double* nth = begin + (rank - 1);
  std::nth_element(begin, nth, end);
  return *nth;
}

// Max, MaxAt and Mean of values[0..n) for the given inputs; maxIndex receives the sample
// of MaxAt.
TDifferenceStats Summarise(const double* values, const std::vector<TRGB>& inputs,
                           std::size_t& maxIndex) {
  TDifferenceStats stats;
  double sum = 0.0;
  maxIndex = 0;
  for (std::size_t s = 0; s < inputs.size(); ++s) {
    sum += values[s];
    if (values[s] > stats.Max) {
      stats.Max = values[s];
      maxIndex = s;
    }
  }
  if (!inputs.empty()) {
    stats.Mean = sum / static_cast<double>(inputs.size());
    stats.MaxAt = inputs[maxIndex];
  }
  return stats;
}

// The differences of samples [begin, end): channel c of sample s at differences[c x n + s].
void MeasureSamples(const TLUT& first, const TLUT& second, const std::vector<TRGB>& inputs,
                    std::size_t begin, std::size_t end, const TSrgbToLab& toLab,
                    double* differences, double* deltaE) {
  const std::size_t n = inputs.size();
  for (std::size_t s = begin; s < end; ++s) {
    const TRGB a = first.Evaluate(inputs[s]);
    const TRGB b = second.Evaluate(inputs[s]);
    differences[s] = std::fabs(a.R - b.R);
    differences[n + s] = std::fabs(a.G - b.G);
    differences[2 * n + s] = std::fabs(a.B - b.B);
    deltaE[s] = a == b ? 0.0 : CIEDE2000(toLab(a), toLab(b));
  }
}

// Large comparisons are shared among the processor's cores: every sample is independent
// and written to its own place, and both records are only read.
void MeasureAllSamples(const TLUT& first, const TLUT& second, const std::vector<TRGB>& inputs,
                       double* differences, double* deltaE) {
  constexpr std::size_t kSamplesPerThread = 32768;
  constexpr std::size_t kMaxThreads = 8;
  // The table is built once per process (a few milliseconds) and only read afterwards.
  static const TSrgbToLab toLab;
  const std::size_t n = inputs.size();
  const std::size_t threads = std::clamp<std::size_t>(
      std::min<std::size_t>(std::thread::hardware_concurrency(), n / kSamplesPerThread), 1,
      kMaxThreads);
  std::vector<std::jthread> workers;
  const std::size_t chunk = (n + threads - 1) / threads;
  for (std::size_t t = 1; t < threads; ++t) {
    const std::size_t begin = std::min(n, t * chunk);
    const std::size_t end = std::min(n, begin + chunk);
    workers.emplace_back([&, begin, end] {
      MeasureSamples(first, second, inputs, begin, end, toLab, differences, deltaE);
    });
  }
  MeasureSamples(first, second, inputs, 0, std::min(n, chunk), toLab, differences, deltaE);
}

void RefuseNonFinite(const TLUT& lut, const char* which) {
  const TValueRange range = WholeValueRange(lut);
  if (range.Finite) return;
  throw EComparisonRefused(std::string("The ") + which + " LUT holds the value " +
                           NumberText(range.FirstNonFinite) +
                           ", which is not a finite number: the LUTs cannot be compared.");
}

bool Measurable(const TDifferenceStats& stats) {
  // The 10-bit codes of the differences must be numbers too.
  return std::isfinite(stats.Max * kTenBitTop) && std::isfinite(stats.Mean * kTenBitTop) &&
         std::isfinite(stats.P99 * kTenBitTop);
}

// Finite values so large that their differences overflow give no numbers to report.
void RefuseUnmeasurable(const TLutComparison& result) {
  const bool measurable = Measurable(result.Channels[0]) && Measurable(result.Channels[1]) &&
                          Measurable(result.Channels[2]) && Measurable(result.Overall) &&
                          Measurable(result.DeltaE);
  if (measurable) return;
  throw EComparisonRefused(
      "The LUTs' values are too large for their differences to be measured: the "
      "differences are beyond the range of numbers.");
}

}  // namespace

TLutComparison CompareLuts(const TLUT& first, const TLUT& second, const TCompareOptions& options) {
  CheckCapacity(first);
  CheckCapacity(second);
  RefuseNonFinite(first, "first");
  RefuseNonFinite(second, "second");
  TSampleSets sets;
  if (options.LatticeSize > 0) {
    sets.Lattices.push_back(TAxisSet::Nodes(std::max(options.LatticeSize, 2)));
  } else {
    sets = DefaultSets(first, second);
  }
  const std::vector<TRGB> inputs = SampleInputs(sets);
  const std::size_t n = inputs.size();

  // Channel c of sample s at differences[c x n + s].
  // Every value is written by MeasureAllSamples: no zeroing first.
  const auto differenceBlock = std::make_unique_for_overwrite<double[]>(3 * n);
  const auto deltaEBlock = std::make_unique_for_overwrite<double[]>(n);
  double* const differences = differenceBlock.get();
  double* const deltaE = deltaEBlock.get();
  MeasureAllSamples(first, second, inputs, differences, deltaE);

  TLutComparison result;
  result.Samples = n;
  result.LatticeSize = options.LatticeSize;
  double overallSum = 0.0;
  std::size_t overallIndex = 0;
  for (int c = 0; c < 3; ++c) {
    double* channel = differences + c * n;
    TDifferenceStats& stats = result.Channels[c];
    std::size_t index = 0;
    stats = Summarise(channel, inputs, index);
    overallSum += stats.Mean;
    // Ties go to the earlier input, then to the earlier channel.
    const bool larger = stats.Max > result.Overall.Max;
    const bool earlierTie =
        stats.Max == result.Overall.Max && stats.Max > 0.0 && index < overallIndex;
    if (larger || earlierTie) {
      result.Overall.Max = stats.Max;
      result.Overall.MaxAt = stats.MaxAt;
      result.OverallMaxChannel = c;
      overallIndex = index;
    }
    stats.P99 = Percentile99(channel, channel + n);
  }
  result.Overall.Mean = overallSum / 3.0;
  result.Overall.P99 = Percentile99(differences, differences + 3 * n);
  std::size_t deltaEIndex = 0;
  result.DeltaE = Summarise(deltaE, inputs, deltaEIndex);
  result.DeltaE.P99 = Percentile99(deltaE, deltaE + n);
  RefuseUnmeasurable(result);
  return result;
}

namespace {

// Loads the written file; Problem says why it cannot be compared.
std::unique_ptr<TLUT> LoadWritten(const std::string& written, int writtenBits,
                                  TConversionLoss& loss) {
  auto lut = std::make_unique<TLUT>();
  try {
    LoadLut(written, *lut, -1, writtenBits > 0 ? writtenBits : -1);
  } catch (const std::exception& error) {
    loss.Problem = "the written file does not load back: " + ReportError(error).Message;
    return nullptr;
  }
  if (lut->FormatIndex < 0) {
    loss.Problem = "not compared: no format reads the written file back";
    return nullptr;
  }
  return lut;
}

}  // namespace

TConversionLoss MeasureConversionLoss(const std::string& source, int sourceInputBits,
                                      const std::string& written, int writtenBits,
                                      const std::vector<std::string>& companions,
                                      const TLutMemberChoice& member) {
  auto sourceLut = std::make_unique<TLUT>();
  LoadLut(source, *sourceLut, -1, sourceInputBits, member);
  TConversionLoss loss;
  std::unique_ptr<TLUT> writtenLut = LoadWritten(written, writtenBits, loss);
  for (auto companion = companions.begin();
       writtenLut && writtenLut->Kind == lkNone && companion != companions.end(); ++companion) {
    writtenLut = LoadWritten(*companion, writtenBits, loss);
  }
  if (!writtenLut) return loss;
  if (writtenLut->Kind == lkNone) {
    loss.Problem = "not compared: the written file holds no LUT values to read back";
    return loss;
  }
  try {
    loss.Comparison = CompareLuts(*sourceLut, *writtenLut);
  } catch (const EComparisonRefused& error) {
    loss.Problem = std::string("not compared: ") + error.what();
    return loss;
  }
  loss.ReadBack = true;
  return loss;
}

}  // namespace vorn
