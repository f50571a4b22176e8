#include "tests/support/TestLuts.h"

#include <cmath>
#include <cstdio>

namespace vorn::test {

namespace {

double Clamp01(double v) {
  return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
}

void AddTriple(std::string& text, const double* v) {
  char line[96];
  std::snprintf(line, sizeof line, "%.9f %.9f %.9f\n", v[0], v[1], v[2]);
  text += line;
}

}  // namespace

TRGB LiftedGrade(const TRGB& in) {
  const double lifted[3] = {0.04 + 0.92 * std::pow(in.R, 1.15), 0.03 + 0.94 * std::pow(in.G, 1.0),
                            0.05 + 0.9 * std::pow(in.B, 0.9)};
  const double mean = (lifted[0] + lifted[1] + lifted[2]) / 3.0;
  const double saturation = 1.15;
  return {Clamp01(mean + saturation * (lifted[0] - mean)),
          Clamp01(mean + saturation * (lifted[1] - mean)),
          Clamp01(mean + saturation * (lifted[2] - mean))};
}

TRGB CurveGrade(const TRGB& in) {
  return {0.03 + 0.95 * std::pow(in.R, 1.3), 0.02 + 0.96 * std::pow(in.G, 0.85),
          0.05 + 0.93 * std::pow(in.B, 1.1)};
}

std::unique_ptr<TLUT> MakeGradeLut(TLutKind kind, int gridSize, int tableSize) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = kind;
  if (kind == lk1D || kind == lk1DAnd3D) {
    lut->Size1D = tableSize;
    for (int i = 0; i < tableSize; ++i) {
      const double x = static_cast<double>(i) / (tableSize - 1);
      const double shaped = std::pow(x, 0.7);
      lut->SetEntry(i, kind == lk1D ? CurveGrade({x, x, x}) : TRGB{shaped, shaped, shaped});
    }
  }
  if (kind == lk3D || kind == lk1DAnd3D) {
    lut->Size3D = gridSize;
    const double step = 1.0 / (gridSize - 1);
    for (int r = 0; r < gridSize; ++r) {
      for (int g = 0; g < gridSize; ++g) {
        for (int b = 0; b < gridSize; ++b) {
          lut->SetNode(r, g, b, LiftedGrade({r * step, g * step, b * step}));
        }
      }
    }
  }
  return lut;
}

std::unique_ptr<TLUT> SampledGrid(int n, const std::function<TRGB(double, double, double)>& f) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        lut->SetNode(r, g, b, f(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)));
  return lut;
}

std::unique_ptr<TLUT> NodeGradeGrid(int n) {
  return SampledGrid(n, [](double x, double y, double z) {
    return TRGB{0.03 + 0.9 * std::pow(x, 0.85) + 0.05 * z, 0.6 * y + 0.25 * x * z + 0.1,
                std::sqrt(0.7 * z + 0.2 * y + 0.1 * x)};
  });
}

std::unique_ptr<TLUT> SmallGrid() {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = 2;
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) lut->SetNode(r, g, b, {r * 0.5, g * 0.25, b * 0.125});
  lut->SetNode(1, 1, 1, {1.25, -0.5, 0.25});
  return lut;
}

std::string CubeTextOf(const TLUT& lut) {
  std::string text = "TITLE \"test grade\"\n";
  const bool shaper = lut.Kind == lk1DAnd3D;
  if (shaper) text += "LUT_1D_SIZE " + std::to_string(lut.Size1D) + "\n";
  text += "LUT_3D_SIZE " + std::to_string(lut.Size3D) + "\n";
  if (shaper) {
    for (int i = 0; i < lut.Size1D; ++i) AddTriple(text, lut.Entry(i));
  }
  for (int b = 0; b < lut.Size3D; ++b) {
    for (int g = 0; g < lut.Size3D; ++g) {
      for (int r = 0; r < lut.Size3D; ++r) AddTriple(text, lut.Node(r, g, b));
    }
  }
  return text;
}

}  // namespace vorn::test
