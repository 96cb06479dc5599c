#include "app/rebuild.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>

#include "app/app_state.h"
#include "app/window_title.h"

namespace {

using Clock = std::chrono::steady_clock;

// A build may keep the window without news this long.
constexpr auto kQuietBuild = std::chrono::milliseconds(500);

// The voxels `next` is built from: the volume itself when nothing is cut
// or hidden, else its selected copy (none: no memory).
VOXSPACE* VolumeFor(const VoxelSelection& selection) {
  if (selection.Whole()) return theVolume;
  VOXSPACE* selected = SelectVoxels(*theVolume, selection, &sourceValues);
  if (!selected) std::fputs("not enough memory for the cut: the picture stays as it was\n", stderr);
  return selected;
}

// The census and geometry of `next`, in the context current.
void BuildNext(Rebuild& rebuild) {
  rebuild.nextVolume = VolumeFor(rebuild.wanted.selection);
  if (!rebuild.nextVolume) return;
  rebuild.next->SetVoxSpace(rebuild.nextVolume);
  // No face in the census still has geometry built: the strip lists hold
  // the side faces of runs on the border (a volume one voxel deep).
  if (rebuild.next->FaceTotal() == 0) rebuild.next->ApplyRenderMethod();
}

// On the builder thread, in buildContext (the lists land in the namespace
// glContext shares).
void Build(Rebuild& rebuild) {
  {
    std::lock_guard<std::mutex> lock(buildContextInUse);
    if (wglMakeCurrent(deviceContext, buildContext)) {
      BuildNext(rebuild);
      glFinish();
      wglMakeCurrent(nullptr, nullptr);
    }
  }
  rebuild.done = true;
}

// A surface like theSurface (voxel size, colours) with the look, no
// geometry; unless `afresh`, its lists call again those of theSurface's
// bricks that stay the same.
OGLcuberille* NewSurface(const SurfaceLook& look, bool afresh) {
  auto* surface = new (std::nothrow) OGLcuberille;
  if (!surface) return nullptr;
  surface->SetLook(look);
  std::copy_n(&theSurface.voxelSize[0], 3, &surface->voxelSize[0]);
  std::copy_n(&theSurface.spacing[0], 3, &surface->spacing[0]);
  std::copy_n(&theSurface.labelColors[0][0], 256 * 3, &surface->labelColors[0][0]);
  surface->SetListHelperContext(deviceContext, listContext);
  if (!afresh) surface->ReuseBricksOf(theSurface);
  return surface;
}

void FreeSelected(VOXSPACE*& volume) {
  if (volume != theVolume) FreeVoxSpace(volume);
  volume = nullptr;
}

void DiscardNext(Rebuild& rebuild) {
  if (rebuild.next) rebuild.next->ReleaseGeometry();
  delete rebuild.next;
  rebuild.next = nullptr;
  FreeSelected(rebuild.nextVolume);
}

// theSurface takes over what `next` holds; the coarse copy's builder,
// which may read the voxels shown so far, ends first.
void Adopt(Rebuild& rebuild) {
  if (!rebuild.nextVolume) return DiscardNext(rebuild);  // not built: no memory
  if (standIn.builder.joinable()) {
    standIn.nextSurface->cancelBuild = true;
    while (!standIn.built) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  theSurface.AdoptGeometry(*rebuild.next);
  FreeSelected(rebuild.shownVolume);
  rebuild.shownVolume = rebuild.nextVolume == theVolume ? nullptr : rebuild.nextVolume;
  rebuild.nextVolume = nullptr;
  rebuild.shownSelection = rebuild.wanted.selection;
  ++rebuild.generation;
  DiscardNext(rebuild);
  // The old geometry is large: without this the process stays as big as
  // old and new together.
  HeapCompact(GetProcessHeap(), 0);
}

SurfaceRequest ShownSurface(const Rebuild& rebuild) {
  return {theSurface.Look(), rebuild.shownSelection};
}

// On the main thread, as before there were builders.
void BuildHere(Rebuild& rebuild) {
  rebuild.next = NewSurface(rebuild.wanted.look, rebuild.evenIfShown);
  if (!rebuild.next) {
    std::fputs("not enough memory to build the surface again\n", stderr);
    return;
  }
  BuildNext(rebuild);
  Adopt(rebuild);
}

void StartBuilder(Rebuild& rebuild) {
  rebuild.waiting = false;
  // Asked back to what is shown: nothing to build.
  if (!rebuild.evenIfShown && rebuild.wanted == ShownSurface(rebuild)) return;
  const bool afresh = rebuild.evenIfShown;
  rebuild.evenIfShown = false;
  rebuild.next = NewSurface(rebuild.wanted.look, afresh);
  if (!rebuild.next) return BuildHere(rebuild);
  rebuild.done = false;
  rebuild.started = Clock::now();
  rebuild.shownPercent = -1;
  // The coarse copy's build gives way: it is out of date.
  if (standIn.nextSurface) standIn.nextSurface->cancelBuild = true;
  try {
    rebuild.builder = std::thread(Build, std::ref(rebuild));
  } catch (const std::exception&) {
    DiscardNext(rebuild);  // no thread: built here
    BuildHere(rebuild);
  }
}

}  // namespace

VOXSPACE* SelectAtStart(Rebuild& rebuild, const VoxelSelection& selection) {
  VOXSPACE* volume = VolumeFor(selection);
  if (!volume) return theVolume;
  FreeSelected(rebuild.shownVolume);
  rebuild.shownSelection = selection;
  rebuild.shownVolume = volume == theVolume ? nullptr : volume;
  return volume;
}

VOXSPACE* VoxelsAtStart(Rebuild& rebuild) {
  if (!theVolume) return theVolume;
  if (rebuild.startSelection) return SelectAtStart(rebuild, *rebuild.startSelection);
  if (!appSettings.intensityScan) return theVolume;
  return SelectAtStart(rebuild, ThresholdAtOtsu({}));
}

bool RebuildPending(const Rebuild& rebuild) {
  return rebuild.builder.joinable() || rebuild.waiting;
}

SurfaceRequest WantedSurface(const Rebuild& rebuild) {
  return RebuildPending(rebuild) ? rebuild.wanted : ShownSurface(rebuild);
}

SurfaceLook WantedLook(const Rebuild& rebuild) { return WantedSurface(rebuild).look; }

void RequestSurface(Rebuild& rebuild, const SurfaceRequest& request, bool evenIfShown) {
  rebuild.wanted = request;
  rebuild.evenIfShown = rebuild.evenIfShown || evenIfShown;
  if (!theVolume) return;
  if (rebuild.builder.joinable()) {
    rebuild.next->cancelBuild = true;  // superseded: stop at the next direction
    rebuild.waiting = true;
    return;
  }
  if (!buildContext || theSurface.FaceTotal() < rebuild.backgroundFaces) {
    if (rebuild.evenIfShown || !(request == ShownSurface(rebuild))) BuildHere(rebuild);
    rebuild.evenIfShown = false;
    return;
  }
  StartBuilder(rebuild);
}

void RequestLook(Rebuild& rebuild, const SurfaceLook& look, bool evenIfShown) {
  SurfaceRequest request = WantedSurface(rebuild);
  request.look = look;
  RequestSurface(rebuild, request, evenIfShown);
}

double RebuildShareToShow(const Rebuild& rebuild) {
  if (!rebuild.builder.joinable() || Clock::now() - rebuild.started < kQuietBuild) return -1;
  return std::min(1.0, rebuild.next->directionsBuilt / static_cast<double>(kFaceDirections));
}

bool TakeOverRebuild(Rebuild& rebuild) {
  if (!rebuild.builder.joinable() || !rebuild.done) return false;
  rebuild.builder.join();
  const std::uint64_t generation = rebuild.generation;
  if (rebuild.waiting) {
    DiscardNext(rebuild);
    StartBuilder(rebuild);
  } else {
    Adopt(rebuild);
  }
  if (mainWindow) UpdateWindowTitle(mainWindow);
  return rebuild.generation != generation;
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
  FreeSelected(rebuild.shownVolume);
  rebuild.shownSelection = {};
  theSurface.voxSpace = theVolume;
}
