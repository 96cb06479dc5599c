#include <benchmark/benchmark.h>

#include "ratio_reporter.h"

#include <cstring>

int MeasureLoadPeakMemory(const char* path);

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--measure-load-peak") == 0) return MeasureLoadPeakMemory(argv[2]);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  reporter.AddRatio("BM_LoadCub", "BM_FreadWholeFile", 1.2);
  reporter.AddRatio("BM_SkipChunk64MiB", "BM_Fread64MiB", 2.0);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
