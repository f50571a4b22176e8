#include <benchmark/benchmark.h>

#include "formats/Registration.h"

int main(int argc, char** argv) {
  vorn::RegisterBuiltInFormats();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
