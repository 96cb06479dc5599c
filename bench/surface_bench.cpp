// The surface geometry: census, quad arrays, strip lists and drawing, each
// against a baseline measured in the same run (see bench_main.cpp for the
// ratios and their targets).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_context.h"
#include "bench_volumes.h"
#include "process_memory.h"
#include "surface/ogl_cuberille.h"
#include "surface/strip_scan.h"

namespace {

constexpr int kFrameSize = kBenchFrameSize;

VOXSPACE* VolumeFor(const benchmark::State& state) {
  return state.range(0) == 0 ? NoiseVolume() : RandomVolume();
}
const char* NameFor(const benchmark::State& state) {
  return state.range(0) == 0 ? "noise" : "random";
}

std::uint64_t TotalFaces(const OGLcuberille& s) {
  std::uint64_t total = 0;
  for (const QuadList& l : s.quadLists) total += l.quadCount;
  return total;
}

// ---- census ---------------------------------------------------------------

void BM_CountFaces(benchmark::State& state) {
  OGLcuberille surface;
  surface.voxSpace = VolumeFor(state);
  for (auto _ : state) benchmark::DoNotOptimize(surface.CountFaces());
  state.SetLabel(NameFor(state));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          surface.voxSpace->dataSize);
  state.counters["faces"] = static_cast<double>(TotalFaces(surface));
}

// The baseline: a plain sum of the same bytes.
void BM_SumBytes(benchmark::State& state) {
  const VOXSPACE* v = VolumeFor(state);
  for (auto _ : state) {
    std::uint64_t sum = 0;
    for (std::uint64_t i = 0; i < v->dataSize; ++i) sum += v->data[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetLabel(NameFor(state));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * v->dataSize);
}

// ---- quad arrays ----------------------------------------------------------

// A rebuild (a texturing toggle): the arrays are kept, so this is the
// builder's own speed.
void BM_BuildQuads(benchmark::State& state) {
  OGLcuberille surface;
  surface.voxSpace = VolumeFor(state);
  surface.CountFaces();
  surface.BuildQuads();
  const std::uint64_t quads = TotalFaces(surface);
  for (auto _ : state) benchmark::DoNotOptimize(surface.BuildQuads());
  state.SetLabel(NameFor(state));
  state.counters["quads_per_s"] =
      benchmark::Counter(static_cast<double>(quads), benchmark::Counter::kIsIterationInvariantRate);
}

// A first build (the switch to QUADS): fresh arrays, whose pages the
// kernel must hand out and zero.
void BM_BuildQuadsFresh(benchmark::State& state) {
  OGLcuberille surface;
  surface.voxSpace = VolumeFor(state);
  surface.CountFaces();
  const std::uint64_t quads = TotalFaces(surface);
  for (auto _ : state) {
    state.PauseTiming();
    for (QuadList& l : surface.quadLists) {
      std::free(l.quads);
      l.quads = nullptr;
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(surface.BuildQuads());
  }
  state.SetLabel(NameFor(state));
  state.counters["quads_per_s"] =
      benchmark::Counter(static_cast<double>(quads), benchmark::Counter::kIsIterationInvariantRate);
}

// The baseline for BM_BuildQuads: memset of the same output bytes, in the
// same arrays.
void BM_MemsetQuadBytes(benchmark::State& state) {
  OGLcuberille surface;
  surface.voxSpace = VolumeFor(state);
  surface.CountFaces();
  surface.BuildQuads();
  for (auto _ : state) {
    for (const QuadList& l : surface.quadLists) {
      std::memset(l.quads, 1, std::size_t{l.quadCount} * sizeof(Quad));
      benchmark::DoNotOptimize(l.quads);
      benchmark::ClobberMemory();
    }
  }
  state.SetLabel(NameFor(state));
}

// ---- strip lists ----------------------------------------------------------

void BM_BuildStripLists(benchmark::State& state) {
  UseBenchContext();
  OGLcuberille surface;
  surface.renderMethod = TRISTRIP_DISPLIST;
  surface.voxSpace = VolumeFor(state);
  surface
      .BuildStripLists();  // warm-up: the driver's list storage is then recycled, as in the floor
  glFinish();
  for (auto _ : state) {
    surface.BuildStripLists();
    glFinish();
  }
  for (std::uint32_t& name : surface.displayLists) {
    glDeleteLists(name, 1);
    name = 0;
  }
  state.SetLabel(NameFor(state));
}

// The recorded calls of all six directions, replayed without the volume.
struct RecordedCalls {
  struct Call {
    char kind;
    float a, b, c;
  };
  std::vector<Call> calls[kFaceDirections];
  void Normal(const float n[3]) { current->push_back({'N', n[0], n[1], n[2]}); }
  void Color(const float rgb[3]) { current->push_back({'C', rgb[0], rgb[1], rgb[2]}); }
  void Begin() { current->push_back({'B', 0, 0, 0}); }
  void TexCoord(float s, float t) { current->push_back({'T', s, t, 0}); }
  void Vertex(float x, float y, float z) { current->push_back({'V', x, y, z}); }
  void End() { current->push_back({'E', 0, 0, 0}); }
  std::vector<Call>* current = nullptr;
};

RecordedCalls Record(const VOXSPACE* v) {
  RecordedCalls r;
  const float unit[3] = {1, 1, 1};
  r.current = &r.calls[LEFT], surface::ScanStrips<LEFT>(v, unit, false, r);
  r.current = &r.calls[RIGHT], surface::ScanStrips<RIGHT>(v, unit, false, r);
  r.current = &r.calls[DOWN], surface::ScanStrips<DOWN>(v, unit, false, r);
  r.current = &r.calls[UP], surface::ScanStrips<UP>(v, unit, false, r);
  r.current = &r.calls[BACK], surface::ScanStrips<BACK>(v, unit, false, r);
  r.current = &r.calls[FRONT], surface::ScanStrips<FRONT>(v, unit, false, r);
  return r;
}

// The floor: the same calls into six display lists, with no volume traversal.
void BM_StripListFloor(benchmark::State& state) {
  UseBenchContext();
  const RecordedCalls recorded = Record(VolumeFor(state));
  GLuint lists[kFaceDirections] = {};
  auto replay = [&] {
    for (int d = 0; d < kFaceDirections; ++d) {
      if (lists[d]) glDeleteLists(lists[d], 1);
      lists[d] = glGenLists(1);
      glNewList(lists[d], GL_COMPILE);
      for (const RecordedCalls::Call& c : recorded.calls[d]) {
        switch (c.kind) {
          case 'N':
            glNormal3f(c.a, c.b, c.c);
            break;
          case 'B':
            glBegin(GL_TRIANGLE_STRIP);
            break;
          case 'T':
            glTexCoord2f(c.a, c.b);
            break;
          case 'V':
            glVertex3f(c.a, c.b, c.c);
            break;
          default:
            glEnd();
            break;
        }
      }
      glEndList();
    }
    glFinish();
  };
  replay();  // warm-up, as for the builder
  for (auto _ : state) replay();
  for (GLuint name : lists) glDeleteLists(name, 1);
  state.SetLabel(NameFor(state));
}

// ---- drawing --------------------------------------------------------------

void SetUpFrame() {
  glViewport(0, 0, kFrameSize, kFrameSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-230, 230, -230, 230, -500, 500);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(30, 1, 0, 0);
  glRotatef(30, 0, 1, 0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
}

void DrawFrames(benchmark::State& state, OGLcuberille& surface) {
  SetUpFrame();
  surface.visibleMask = 63;
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    (surface.*surface.drawRoutine)();
    glFinish();
  }
  state.SetLabel(NameFor(state));
}

void BM_DrawQuads(benchmark::State& state) {
  UseBenchContext();
  OGLcuberille surface;
  surface.SetVoxSpace(VolumeFor(state));
  DrawFrames(state, surface);
}

void BM_DrawDisplayLists(benchmark::State& state) {
  UseBenchContext();
  OGLcuberille surface;
  surface.SetRenderMethod(TRISTRIP_DISPLIST);
  surface.SetVoxSpace(VolumeFor(state));
  DrawFrames(state, surface);
  surface.SetRenderMethod(QUADS);
}

// The baseline: the same triangles (two per face) from one plain array.
void BM_DrawPlainTriangles(benchmark::State& state) {
  UseBenchContext();
  OGLcuberille surface;
  surface.SetVoxSpace(VolumeFor(state));
  std::vector<float> triangles;
  for (const QuadList& l : surface.quadLists) {
    for (std::uint32_t q = 0; q < l.quadCount; ++q) {
      const Vertex* c = l.quads[q].corners;
      for (int k : {0, 1, 2, 0, 2, 3}) triangles.insert(triangles.end(), {c[k].x, c[k].y, c[k].z});
    }
  }
  SetUpFrame();
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, triangles.data());
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size() / 3));
    glFinish();
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  state.SetLabel(NameFor(state));
}

// ---- memory ---------------------------------------------------------------

constexpr int kColoured = 16, kMerged = 32, kSmooth = 64;  // beside the method numbers

// Bytes per face that building the geometry of a method adds at its peak
// (the quad arrays, or the driver's list storage), measured in a fresh
// process so nothing earlier is counted.
void BM_GeometryBytesPerFace(benchmark::State& state, int method) {
  double perFace = -1;
  for (auto _ : state) {
    const std::string answer = RunSelf("--measure-geometry " + std::to_string(method) + " " +
                                       std::to_string(state.range(0)));
    if (std::sscanf(answer.c_str(), "%lf", &perFace) != 1) state.SkipWithError("child failed");
  }
  state.SetLabel(NameFor(state));
  state.counters["bytes_per_face"] = perFace;
}

}  // namespace

// `geometry` is the render method, plus kColoured, kMerged and kSmooth.
int MeasureGeometryMemory(int geometry, int volumeIndex) {
  UseBenchContext();
  VOXSPACE* volume = volumeIndex == 0 ? NoiseVolume() : RandomVolume();
  OGLcuberille surface;
  surface.coloured = (geometry & kColoured) != 0;
  surface.merged = (geometry & kMerged) != 0;
  surface.smooth = (geometry & kSmooth) != 0;
  surface.SetRenderMethod(geometry & ~(kColoured | kMerged | kSmooth));
  glFinish();
  ResetPeakMemory();
  const long before = StatusKiB("VmRSS:");
  surface.SetVoxSpace(volume);
  glFinish();
  const long peak = StatusKiB("VmHWM:");
  std::printf("%.1f\n", 1024.0 * static_cast<double>(peak - before) /
                            static_cast<double>(TotalFaces(surface)));
  return 0;
}

namespace {

#define SURFACE_BENCH(name) BENCHMARK(name)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)

SURFACE_BENCH(BM_CountFaces);
SURFACE_BENCH(BM_SumBytes);
SURFACE_BENCH(BM_BuildQuads);
SURFACE_BENCH(BM_BuildQuadsFresh)->Iterations(3);
SURFACE_BENCH(BM_MemsetQuadBytes);
SURFACE_BENCH(BM_BuildStripLists)->Iterations(3);
SURFACE_BENCH(BM_StripListFloor)->Iterations(3);
SURFACE_BENCH(BM_DrawQuads)->Iterations(5);
SURFACE_BENCH(BM_DrawDisplayLists)->Iterations(5);
SURFACE_BENCH(BM_DrawPlainTriangles)->Iterations(5);

BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, quads, QUADS)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, strips, TRISTRIP_DISPLIST)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
// Smooth shading may add at most 40 bytes per face to the flat figures above.
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, smooth_quads, QUADS | kSmooth)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, smooth_strips, TRISTRIP_DISPLIST | kSmooth)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, smooth_merged_strips,
                  TRISTRIP_DISPLIST | kMerged | kSmooth)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, coloured_quads, QUADS | kColoured)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, coloured_strips, TRISTRIP_DISPLIST | kColoured)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, merged_strips, TRISTRIP_DISPLIST | kMerged)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeometryBytesPerFace, coloured_merged_strips,
                  TRISTRIP_DISPLIST | kColoured | kMerged)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
