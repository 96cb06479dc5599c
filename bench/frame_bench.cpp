// A whole frame of a real-size volume (thresholded noise in an atlas-sized
// 181 x 217 x 181 box, about half a million faces) against the floor of calling the same lists with
// the same state and no visibility query; and the time from file to first frame.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "bench_context.h"
#include "cub_writer.h"
#include "platform/headless/headless_control.h"
#include "render/frame_display.h"
#include "render/scene_setup.h"
#include "shapes.h"
#include "voxel/cub_reader.h"

namespace {

constexpr int kFrameSize = kBenchFrameSize;

const std::string& AtlasFile() {
  static const std::string path = [] {
    const std::string p = "/tmp/qarmel-bench-" + std::to_string(getpid()) + "-atlas.cub";
    if (!WriteCubFile(p, MakeNoiseField(181, 217, 181, 3)).empty()) std::abort();
    std::atexit([] { std::remove(AtlasFile().c_str()); });
    return p;
  }();
  return path;
}

void UseContext() {
  UseBenchContext();
  deviceContext = platform::headless::OffscreenDeviceContext();
}

// Keeps the texture loader's log lines off the benchmark report.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What start-up does once the window exists: scene set-up (its texture log
// kept off the report), strip lists, fast lighting, a resize and a frame;
// smooth shading on before the geometry is built when `smooth`.
void StartViewer(VOXSPACE* volume, bool smooth) {
  theVolume = volume;
  {
    QuietStdout quiet;
    SetupScene();
  }
  theSurface.SetRenderMethod(TRISTRIP_DISPLIST);
  theSurface.smooth = smooth;
  glShadeModel(smooth ? GL_SMOOTH : GL_FLAT);
  MirrorVoxSpaceZ(theVolume);
  theSurface.SetVoxSpace(theVolume);
  theSurface.fastLighting = 1;
  Resize(kFrameSize, kFrameSize);
}

// state.range(0): smooth shading.
void BM_Display(benchmark::State& state) {
  UseContext();
  VOXSPACE* volume = LoadCub(AtlasFile().c_str());
  StartViewer(volume, state.range(0) != 0);
  for (auto _ : state) Display();
  std::uint64_t faces = 0;
  for (const QuadList& l : theSurface.quadLists) faces += l.quadCount;
  state.counters["faces"] = static_cast<double>(faces);
  state.counters["visible_mask"] = theSurface.visibleMask;
  if (state.range(0) != 0) {
    FreeVoxSpace(theVolume);
    theVolume = nullptr;
    theSurface.voxSpace = nullptr;
    theSurface.smooth = false;
  }
}

// The floor: the same lists, colours and state, without the feedback query.
void BM_DisplayFloor(benchmark::State& state) {
  UseContext();
  const std::int32_t mask = theSurface.visibleMask;
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyPolarView(polarCam);
    glDisable(GL_LIGHTING);
    for (int d = 0; d < 6; ++d) {
      if (!(mask & (1 << d))) continue;
      glColor3fv(theSurface.directionColors[d]);
      glCallList(theSurface.displayLists[d]);
    }
    glEnable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glFlush();
    glFinish();
  }
  FreeVoxSpace(theVolume);
  theVolume = nullptr;
  theSurface.voxSpace = nullptr;
}

// File to first frame, with the split; state.range(0): smooth shading.
void BM_LoadToFirstFrame(benchmark::State& state) {
  UseContext();
  const std::string& path = AtlasFile();
  double load = 0, mirror = 0, geometry = 0, frame = 0;
  for (auto _ : state) {
    auto t = std::chrono::steady_clock::now();
    VOXSPACE* volume = LoadCub(path.c_str());
    load = Since(t);
    theVolume = volume;
    {
      QuietStdout quiet;
      SetupScene();
    }
    theSurface.SetRenderMethod(TRISTRIP_DISPLIST);
    theSurface.smooth = state.range(0) != 0;
    glShadeModel(theSurface.smooth ? GL_SMOOTH : GL_FLAT);
    t = std::chrono::steady_clock::now();
    MirrorVoxSpaceZ(volume);
    mirror = Since(t);
    t = std::chrono::steady_clock::now();
    theSurface.SetVoxSpace(volume);
    glFinish();
    geometry = Since(t);
    theSurface.fastLighting = 1;
    t = std::chrono::steady_clock::now();
    Display();
    frame = Since(t);
    FreeVoxSpace(volume);
    theVolume = nullptr;
    theSurface.voxSpace = nullptr;
    theSurface.smooth = false;
  }
  state.counters["load_s"] = load;
  state.counters["mirror_s"] = mirror;
  state.counters["census_and_lists_s"] = geometry;
  state.counters["first_frame_s"] = frame;
  state.counters["total_s"] = load + mirror + geometry + frame;
}

// The floor follows the flat display, whose lists it calls.
BENCHMARK(BM_Display)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_DisplayFloor)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_Display)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_LoadToFirstFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
