#include "bench/BenchSupport.h"

#include <stdexcept>

namespace vorn::bench {

const TLutOutputProfile& ProfileNamed(const std::string& name) {
  for (const auto& profile : OutputProfiles()) {
    if (profile->Name == name) return *profile;
  }
  throw std::runtime_error("no output profile named " + name);
}

std::unique_ptr<TLUT> SampleGrid(int size, const TGrade& grade) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = size;
  const double step = 1.0 / (size - 1);
  for (int r = 0; r < size; ++r) {
    for (int g = 0; g < size; ++g) {
      for (int b = 0; b < size; ++b) lut->SetNode(r, g, b, grade(r * step, g * step, b * step));
    }
  }
  return lut;
}

std::string WriteLut(const TTemporaryFolder& dir, const std::string& name, const TLUT& lut,
                     const TLutOutputProfile& profile) {
  const std::string path = dir.File(name);
  SaveLut(path, lut, profile, -1);
  return path;
}

}  // namespace vorn::bench
