#include "imaging/ImageResize2.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Exception.h"

// The pixel loops are plain integer code that the compiler vectorises; on x86-64 an AVX2
// variant is chosen at run time where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__)
#define VORN_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VORN_VECTOR_CLONES
#endif

namespace vorn {

namespace {

constexpr float kPi = 3.14159265358979323846f;

[[noreturn]] void ThrowUnknownFilter(TResizeFilter filter) {
  throw Exception("Unknown resize filter " + std::to_string(static_cast<int>(filter)) + ".");
}

float Sinc(float t) {
  if (t == 0.0f) return 1.0f;
  const float angle = kPi * t;
  return std::sin(angle) / angle;
}

float BoxKernel(float x) {
  return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleKernel(float x) {
  const float a = std::fabs(x);
  return a < 1.0f ? 1.0f - a : 0.0f;
}

float HermiteKernel(float x) {
  const float a = std::fabs(x);
  return a < 1.0f ? (2.0f * a - 3.0f) * (a * a) + 1.0f : 0.0f;
}

float BellKernel(float x) {
  const float a = std::fabs(x);
  if (a < 0.5f) return 0.75f - a * a;
  if (a < 1.5f) {
    const float t = a - 1.5f;
    return 0.5f * (t * t);
  }
  return 0.0f;
}

float BSplineKernel(float x) {
  const float a = std::fabs(x);
  if (a < 1.0f) return (a * a * a) / 2.0f - a * a + 2.0f / 3.0f;
  if (a < 2.0f) {
    const float t = 2.0f - a;
    return (t * t * t) / 6.0f;
  }
  return 0.0f;
}

float Lanczos3Kernel(float x) {
  return std::fabs(x) < 3.0f ? Sinc(x) * Sinc(x / 3.0f) : 0.0f;
}

// Mitchell-Netravali with B = C = 1/3.
float MitchellKernel(float x) {
  const float a = std::fabs(x);
  const float a2 = a * a;
  const float a3 = a2 * a;
  if (a < 1.0f) return (7.0f * a3 - 12.0f * a2 + 16.0f / 3.0f) / 6.0f;
  if (a < 2.0f) return (-7.0f / 3.0f * a3 + 12.0f * a2 - 20.0f * a + 32.0f / 3.0f) / 6.0f;
  return 0.0f;
}

int RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  double rounded = lower;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) rounded += 1.0;
  return static_cast<int>(rounded);
}

float AxisScale(int sourceSize, int targetSize) {
  if (sourceSize == 1 || targetSize == 1)
    return static_cast<float>(targetSize) / static_cast<float>(sourceSize);
  return static_cast<float>(targetSize - 1) / static_cast<float>(sourceSize - 1);
}

// Mirrors a position outside the line back into it, again and again if needed: a line
// shorter than the kernel's reach can send a position past the opposite end after one
// mirror. Every step shrinks the distance to the line, so the loop ends.
int FoldIndex(int position, int size) {
  while (position < 0 || position >= size) {
    position = position < 0 ? -position : 2 * size - 1 - position;
  }
  return position;
}

float EffectiveSupport(TResizeFilter filter, float support) {
  return support > 0.0f ? support : DefaultSupport(filter);
}

int ContributorWeight(TResizeFilter filter, float centre, int position, float scale,
                      bool shrinking) {
  const double distance = static_cast<double>(centre) - position;
  if (!shrinking) {
    return RoundHalfEven(static_cast<double>(FilterKernel(filter, static_cast<float>(distance))) *
                         256.0);
  }
  const float x = static_cast<float>(distance * scale);
  return RoundHalfEven(static_cast<double>(FilterKernel(filter, x)) * scale * 256.0);
}

// A contributor entry laid out for the pixel loops: one weight for every source pixel from
// First to First + Count - 1 (0 for pixels that do not contribute, summed for pixels reached
// twice through mirroring), so the loops read the line without gathering. Since the sums
// are integer, this gives exactly the sums of the contributor list.
struct TDenseEntry {
  int First = 0;
  int Count = 0;
  int Total = 0;
  std::size_t Offset = 0;
};

// 16-bit weights are ample: the kernels are at most 1 and 0 beyond 3, so an entry spans at
// most about 2 * 4 / scale + 3 positions of weight at most 256 * scale each (scale 1 when
// enlarging), and even summed they stay below a few thousand.
struct TDenseWeights {
  std::vector<TDenseEntry> Entries;
  std::vector<std::int16_t> Weights;
};

TDenseWeights MakeDense(const TContributorList& list) {
  TDenseWeights dense;
  dense.Entries.reserve(list.size());
  for (const TContributorEntry& entry : list) {
    TDenseEntry out;
    out.Offset = dense.Weights.size();
    if (!entry.Contributors.empty()) {
      const auto [low, high] = std::minmax_element(
          entry.Contributors.begin(), entry.Contributors.end(),
          [](const TContributor& a, const TContributor& b) { return a.Pixel < b.Pixel; });
      out.First = low->Pixel;
      out.Count = high->Pixel - low->Pixel + 1;
      dense.Weights.resize(out.Offset + out.Count, 0);
      for (const TContributor& c : entry.Contributors) {
        std::int16_t& weight = dense.Weights[out.Offset + (c.Pixel - out.First)];
        weight = static_cast<std::int16_t>(weight + c.Weight);
        out.Total += c.Weight;
      }
    }
    dense.Entries.push_back(out);
  }
  return dense;
}

std::uint8_t CombinedByte(int sum, int total) {
  // With a zero total the sum is scaled by 1/256, rounding toward minus infinity.
  const int value = total != 0 ? sum / total : sum >> 8;
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

struct TChannelBuffers {
  explicit TChannelBuffers(int size) : Blue(size), Green(size), Red(size) {}
  std::vector<std::int16_t> Blue;
  std::vector<std::int16_t> Green;
  std::vector<std::int16_t> Red;
};

VORN_VECTOR_CLONES void SplitChannels(const std::uint8_t* line, int width,
                                      TChannelBuffers& channels) {
  for (int x = 0; x < width; ++x) {
    channels.Blue[x] = line[3 * x];
    channels.Green[x] = line[3 * x + 1];
    channels.Red[x] = line[3 * x + 2];
  }
}

VORN_VECTOR_CLONES void FilterRow(const TChannelBuffers& channels, const TDenseWeights& dense,
                                  std::uint8_t* out) {
  for (const TDenseEntry& entry : dense.Entries) {
    const std::int16_t* weights = dense.Weights.data() + entry.Offset;
    const std::int16_t* blue = channels.Blue.data() + entry.First;
    const std::int16_t* green = channels.Green.data() + entry.First;
    const std::int16_t* red = channels.Red.data() + entry.First;
    int sumBlue = 0;
    int sumGreen = 0;
    int sumRed = 0;
    for (int k = 0; k < entry.Count; ++k) {
      sumBlue += weights[k] * blue[k];
      sumGreen += weights[k] * green[k];
      sumRed += weights[k] * red[k];
    }
    out[0] = CombinedByte(sumBlue, entry.Total);
    out[1] = CombinedByte(sumGreen, entry.Total);
    out[2] = CombinedByte(sumRed, entry.Total);
    out += 3;
  }
}

void HorizontalPass(const TBitmap24& source, const TDenseWeights& dense, TBitmap24& intermediate) {
  TChannelBuffers channels(source.Width());
  for (int y = 0; y < source.Height(); ++y) {
    SplitChannels(source.ScanLine(y), source.Width(), channels);
    FilterRow(channels, dense, intermediate.ScanLine(y));
  }
}

// Works row by row rather than column by column: every target row accumulates whole
// intermediate rows, which gives the same integer sums while reading memory in order.
void VerticalPass(const TBitmap24& intermediate, const TDenseWeights& dense, TBitmap24& target) {
  const std::size_t lineSize = target.Stride();
  std::vector<int> sums(lineSize);
  for (std::size_t row = 0; row < dense.Entries.size(); ++row) {
    const TDenseEntry& entry = dense.Entries[row];
    std::fill(sums.begin(), sums.end(), 0);
    for (int k = 0; k < entry.Count; ++k) {
      const int weight = dense.Weights[entry.Offset + k];
      if (weight == 0) continue;
      const std::uint8_t* line = intermediate.ScanLine(entry.First + k);
      for (std::size_t p = 0; p < lineSize; ++p) sums[p] += weight * line[p];
    }
    std::uint8_t* out = target.ScanLine(static_cast<int>(row));
    for (std::size_t p = 0; p < lineSize; ++p) out[p] = CombinedByte(sums[p], entry.Total);
  }
}

}  // namespace

float FilterKernel(TResizeFilter filter, float x) {
  switch (filter) {
    case rfBox:
      return BoxKernel(x);
    case rfTriangle:
      return TriangleKernel(x);
    case rfHermite:
      return HermiteKernel(x);
    case rfBell:
      return BellKernel(x);
    case rfBSpline:
      return BSplineKernel(x);
    case rfLanczos3:
      return Lanczos3Kernel(x);
    case rfMitchell:
      return MitchellKernel(x);
  }
  ThrowUnknownFilter(filter);
}

float DefaultSupport(TResizeFilter filter) {
  switch (filter) {
    case rfBox:
      return 0.5f;
    case rfTriangle:
    case rfHermite:
      return 1.0f;
    case rfBell:
      return 1.5f;
    case rfBSpline:
    case rfMitchell:
      return 2.0f;
    case rfLanczos3:
      return 3.0f;
  }
  ThrowUnknownFilter(filter);
}

TContributorList BuildContributors(int sourceSize, int targetSize, TResizeFilter filter,
                                   float support) {
  if (sourceSize <= 0 || targetSize <= 0) return {};
  const float scale = AxisScale(sourceSize, targetSize);
  const bool shrinking = scale < 1.0f;
  const float reach =
      shrinking ? EffectiveSupport(filter, support) / scale : EffectiveSupport(filter, support);
  // Past the kernel's own range every weight is 0; stopping there changes no weight and
  // keeps a huge support from looping over nothing.
  const double kernelReach = (DefaultSupport(filter) + 1.0) / (shrinking ? scale : 1.0f);
  const double searchReach = std::min<double>(reach, kernelReach);

  TContributorList list(static_cast<std::size_t>(targetSize));
  for (int i = 0; i < targetSize; ++i) {
    const float centre = static_cast<float>(i) / scale;
    const int first = static_cast<int>(std::floor(centre - searchReach));
    const int last = static_cast<int>(std::ceil(centre + searchReach));
    TContributors& contributors = list[i].Contributors;
    contributors.reserve(static_cast<std::size_t>(last - first + 1));
    for (int j = first; j <= last; ++j) {
      const int weight = ContributorWeight(filter, centre, j, scale, shrinking);
      if (weight != 0) contributors.push_back({weight, FoldIndex(j, sourceSize)});
    }
  }
  return list;
}

void Resample(TResizeFilter filter, const TBitmap24& source, TBitmap24& target, float support) {
  if (source.Empty() || target.Empty()) return;
  TBitmap24 intermediate(target.Width(), source.Height());
  HorizontalPass(source,
                 MakeDense(BuildContributors(source.Width(), target.Width(), filter, support)),
                 intermediate);
  VerticalPass(intermediate,
               MakeDense(BuildContributors(source.Height(), target.Height(), filter, support)),
               target);
}

void Stretch(int newWidth, int newHeight, TResizeFilter filter, TBitmap24& target,
             const TBitmap24& source, float support) {
  if (&target == &source) {
    const TBitmap24 copy = source;
    Stretch(newWidth, newHeight, filter, target, copy, support);
    return;
  }
  target.SetSize(newWidth, newHeight);
  Resample(filter, source, target, support);
}

TPictureSize FitSize(int sourceWidth, int sourceHeight, int boxWidth, int boxHeight) {
  if (sourceWidth <= 0 || sourceHeight <= 0)
    return {std::max(sourceWidth, 0), std::max(sourceHeight, 0)};
  if (boxWidth <= 0 || boxHeight <= 0) return {0, 0};
  const float scale = std::min(static_cast<float>(boxWidth) / static_cast<float>(sourceWidth),
                               static_cast<float>(boxHeight) / static_cast<float>(sourceHeight));
  if (scale > 1.0f) return {sourceWidth, sourceHeight};
  return {RoundHalfEven(static_cast<double>(sourceWidth) * scale),
          RoundHalfEven(static_cast<double>(sourceHeight) * scale)};
}

}  // namespace vorn
