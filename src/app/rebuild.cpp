#include "app/rebuild.h"

#include <GL/gl.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <new>

#include "app/app_state.h"
#include "app/window_title.h"

namespace {

using Clock = std::chrono::steady_clock;

// A build may keep the window without news this long.
constexpr auto kQuietBuild = std::chrono::milliseconds(500);

// On the builder thread: theSurface's volume with the requested look, in
// buildContext (the lists land in the namespace glContext shares).
void Build(Rebuild& rebuild) {
  {
    std::lock_guard<std::mutex> lock(buildContextInUse);
    if (wglMakeCurrent(deviceContext, buildContext)) {
      rebuild.next->SetVoxSpace(theSurface.voxSpace);  // census and geometry
      glFinish();
      wglMakeCurrent(nullptr, nullptr);
    }
  }
  rebuild.done = true;
}

// A surface like theSurface (voxel size, colours) with the look, no geometry.
OGLcuberille* NewSurface(const SurfaceLook& look) {
  auto* surface = new (std::nothrow) OGLcuberille;
  if (!surface) return nullptr;
  surface->SetLook(look);
  std::copy_n(&theSurface.voxelSize[0], 3, &surface->voxelSize[0]);
  std::copy_n(&theSurface.spacing[0], 3, &surface->spacing[0]);
  std::copy_n(&theSurface.labelColors[0][0], 256 * 3, &surface->labelColors[0][0]);
  surface->SetListHelperContext(deviceContext, listContext);
  return surface;
}

void DiscardNext(Rebuild& rebuild) {
  if (rebuild.next) rebuild.next->ReleaseGeometry();
  delete rebuild.next;
  rebuild.next = nullptr;
}

// In place, as before there were builders.
void BuildHere(const SurfaceLook& look) {
  theSurface.SetLook(look);
  theSurface.ApplyLookState();
  theSurface.ApplyRenderMethod();
}

void StartBuilder(Rebuild& rebuild) {
  rebuild.waiting = false;
  if (rebuild.wanted == theSurface.Look()) return;  // asked back to what is shown
  rebuild.next = NewSurface(rebuild.wanted);
  if (!rebuild.next) return BuildHere(rebuild.wanted);
  rebuild.done = false;
  rebuild.started = Clock::now();
  rebuild.shownPercent = -1;
  // The coarse copy's build gives way: its look is out of date.
  if (standIn.nextSurface) standIn.nextSurface->cancelBuild = true;
  try {
    rebuild.builder = std::thread(Build, std::ref(rebuild));
  } catch (const std::exception&) {
    DiscardNext(rebuild);  // no thread: built here
    BuildHere(rebuild.wanted);
  }
}

}  // namespace

SurfaceLook WantedLook(const Rebuild& rebuild) {
  return RebuildPending(rebuild) ? rebuild.wanted : theSurface.Look();
}

bool RebuildPending(const Rebuild& rebuild) {
  return rebuild.builder.joinable() || rebuild.waiting;
}

void RequestLook(Rebuild& rebuild, const SurfaceLook& look) {
  const bool small = theSurface.FaceTotal() < rebuild.backgroundFaces;
  if (!buildContext || !theSurface.voxSpace || (small && !RebuildPending(rebuild)))
    return BuildHere(look);
  rebuild.wanted = look;
  if (rebuild.builder.joinable()) {
    rebuild.next->cancelBuild = true;  // superseded: stop at the next direction
    rebuild.waiting = true;
    return;
  }
  StartBuilder(rebuild);
}

double RebuildShareToShow(const Rebuild& rebuild) {
  if (!rebuild.builder.joinable() || Clock::now() - rebuild.started < kQuietBuild) return -1;
  return std::min(1.0, rebuild.next->directionsBuilt / static_cast<double>(kFaceDirections));
}

bool TakeOverRebuild(Rebuild& rebuild) {
  if (!rebuild.builder.joinable() || !rebuild.done) return false;
  rebuild.builder.join();
  bool changed = false;
  if (!rebuild.waiting) {
    theSurface.AdoptGeometry(*rebuild.next);
    changed = true;
  }
  DiscardNext(rebuild);
  if (rebuild.waiting) StartBuilder(rebuild);
  if (mainWindow) UpdateWindowTitle(mainWindow);
  return changed;
}

void FinishRebuilds(Rebuild& rebuild) {
  while (rebuild.builder.joinable()) {
    while (!rebuild.done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    TakeOverRebuild(rebuild);  // and starts what waits
  }
}

void CancelRebuilds(Rebuild& rebuild) {
  rebuild.waiting = false;
  if (rebuild.builder.joinable()) {
    rebuild.next->cancelBuild = true;
    rebuild.builder.join();
  }
  DiscardNext(rebuild);
}
