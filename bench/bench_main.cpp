// The benchmark program: every speed and memory target of the viewer, each
// printed with its ratio against a baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "ratio_reporter.h"

int MeasureLoadPeakMemory(const char* path);
int MeasureGeometryMemory(int method, int volumeIndex);

int main(int argc, char** argv) {
  // Child modes: peak memory is measured in a fresh process.
  if (argc == 3 && std::strcmp(argv[1], "--measure-load-peak") == 0)
    return MeasureLoadPeakMemory(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--measure-geometry") == 0) {
    return MeasureGeometryMemory(std::atoi(argv[2]), std::atoi(argv[3]));
  }

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  reporter.AddRatio("BM_LoadCub", "BM_FreadWholeFile", 1.2);
  reporter.AddRatio("BM_SkipChunk64MiB", "BM_Fread64MiB", 2.0);
  for (const char* volume : {"/0", "/1"}) {
    const std::string v = volume;
    reporter.AddRatio("BM_CountFaces" + v, "BM_SumBytes" + v,
                      4.0);  // census at >= 25% of the sum's speed
    reporter.AddRatio("BM_BuildQuads" + v, "BM_MemsetQuadBytes" + v, 0);  // reported, no target
    reporter.AddRatio("BM_BuildStripLists" + v + "/iterations:3",
                      "BM_StripListFloor" + v + "/iterations:3", 1.3);
    reporter.AddRatio("BM_DrawQuads" + v + "/iterations:5",
                      "BM_DrawPlainTriangles" + v + "/iterations:5", 1.1);
    reporter.AddRatio("BM_DrawDisplayLists" + v + "/iterations:5",
                      "BM_DrawPlainTriangles" + v + "/iterations:5", 1.1);
  }
  reporter.AddRatio("BM_Display/0/iterations:30", "BM_DisplayFloor/iterations:30", 1.1);
  // Smooth shading against the same volume shaded flat: a steady frame rate
  // of at least 0.8 times, a first frame at most 1.5 times as long.
  reporter.AddRatio("BM_Display/1/iterations:30", "BM_Display/0/iterations:30", 1.25);
  reporter.AddRatio("BM_LoadToFirstFrame/1/iterations:3", "BM_LoadToFirstFrame/0/iterations:3",
                    1.5);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
