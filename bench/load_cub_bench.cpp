// Reading CUB files: LoadCub against a plain fread of the same bytes,
// skipping an unknown chunk against reading it, and the peak memory of a load.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cub_writer.h"
#include "process_memory.h"
#include "shapes.h"
#include "voxel/cub_reader.h"

namespace {

constexpr std::uint32_t kEdge = 256;
constexpr std::uint32_t kSkipBytes = 64u << 20;

std::string ScratchPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/qarmel-bench-" + std::to_string(getpid()) +
         "-" + name;
}

struct BenchFiles {
  std::string volume = ScratchPath("256.cub");
  std::string skip = ScratchPath("skip.bin");
  std::size_t volumeBytes = 0;

  BenchFiles() {
    const CubVolume phantom = MakeHeadPhantom(kEdge);
    if (!WriteCubFile(volume, phantom).empty()) std::abort();
    std::FILE* f = std::fopen(volume.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    volumeBytes = static_cast<std::size_t>(std::ftell(f));
    std::fclose(f);
    std::vector<char> block(kSkipBytes, 'x');
    f = std::fopen(skip.c_str(), "wb");
    std::fwrite(block.data(), 1, block.size(), f);
    std::fclose(f);
  }
  ~BenchFiles() {
    std::remove(volume.c_str());
    std::remove(skip.c_str());
  }
};

BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

void BM_LoadCub(benchmark::State& state) {
  const std::string& path = Files().volume;
  for (auto _ : state) {
    VOXSPACE* v = LoadCub(path.c_str());
    if (!v) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(v);
    FreeVoxSpace(v);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * Files().volumeBytes);
}

// The baseline: the same file into a fresh buffer of the same size.
void BM_FreadWholeFile(benchmark::State& state) {
  const std::string& path = Files().volume;
  const std::size_t size = Files().volumeBytes;
  for (auto _ : state) {
    char* buffer = static_cast<char*>(std::malloc(size));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    const std::size_t n = std::fread(buffer, 1, size, f);
    std::fclose(f);
    benchmark::DoNotOptimize(buffer);
    std::free(buffer);
    if (n != size) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}

void BM_SkipChunk64MiB(benchmark::State& state) {
  for (auto _ : state) {
    std::FILE* f = std::fopen(Files().skip.c_str(), "rb");
    if (!SkipChunk(f, kSkipBytes)) state.SkipWithError("skip failed");
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSkipBytes);
}

void BM_Fread64MiB(benchmark::State& state) {
  std::vector<char> buffer(kSkipBytes);
  for (auto _ : state) {
    std::FILE* f = std::fopen(Files().skip.c_str(), "rb");
    if (std::fread(buffer.data(), 1, buffer.size(), f) != buffer.size())
      state.SkipWithError("short read");
    std::fclose(f);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSkipBytes);
}

}  // namespace

// Run in a fresh process (the bench re-runs itself): peak resident memory
// during one load beyond what the process held before it, less the volume
// itself, i.e. what the reader's data costs on top of its result. Prints KiB.
int MeasureLoadPeakMemory(const char* path) {
  FreeVoxSpace(LoadCub(path));  // page the reader's code in first: only data counts
  ResetPeakMemory();
  const long before = StatusKiB("VmRSS:");
  VOXSPACE* v = LoadCub(path);
  const long peak = StatusKiB("VmHWM:");
  if (!v) return 1;
  const long volumeKiB = static_cast<long>(std::uint64_t{v->dimX} * v->dimY * v->dimZ / 1024);
  FreeVoxSpace(v);
  std::printf("%ld %ld\n", peak - before - volumeKiB, volumeKiB);
  return 0;
}

namespace {

void BM_LoadCubPeakMemory(benchmark::State& state) {
  long overhead = -1, volume = -1;
  for (auto _ : state) {
    const std::string answer = RunSelf("--measure-load-peak " + Files().volume);
    if (std::sscanf(answer.c_str(), "%ld %ld", &overhead, &volume) != 2)
      state.SkipWithError("child failed");
  }
  state.counters["overhead_KiB"] = static_cast<double>(overhead);
  state.counters["volume_KiB"] = static_cast<double>(volume);
}

BENCHMARK(BM_LoadCub)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FreadWholeFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SkipChunk64MiB)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Fread64MiB)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadCubPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
