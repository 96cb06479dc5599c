// Rebuilds after the first frame (merged faces, colours by value, smooth
// shading, texture, the render method, cuts and hidden labels) are made on
// a thread of their own while the old picture stays on screen and the
// window keeps answering. The latest request wins: one asked for while
// another builds stops that one at its next direction and is built after
// it. The new geometry replaces the old between two frames. A small
// surface (built within a frame or two) and a window without a building
// context (no shared lists) are built at once, on the main thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

#include "surface/ogl_cuberille.h"
#include "voxel/voxel_selection.h"

// What theSurface is built from and how.
struct SurfaceRequest {
  SurfaceLook look;
  VoxelSelection selection;
  bool operator==(const SurfaceRequest&) const = default;
};

struct Rebuild {
  // Being built: made by the main thread before the builder starts, handed
  // over once `done` is set.
  std::thread builder;
  std::atomic<bool> done{false};
  OGLcuberille* next = nullptr;
  VOXSPACE* nextVolume = nullptr;  // the selected voxels `next` was built from
  std::chrono::steady_clock::time_point started;
  // Asked for while the builder was busy: built when it ends.
  bool waiting = false;
  SurfaceRequest wanted;
  bool evenIfShown = false;  // built though it is what is shown (keys 1 and 2)
  int shownPercent = -1;     // the share the title shows
  // What theSurface shows: its selection, and the volume of the selected
  // voxels when something is cut or hidden (owned), else none.
  VoxelSelection shownSelection;
  VOXSPACE* shownVolume = nullptr;
  // Counts the geometries theSurface has taken over (the coarse copy
  // follows it).
  std::uint64_t generation = 0;
  // Surfaces of fewer faces are built on the main thread.
  std::uint64_t backgroundFaces = 200000;
  // The voxels asked for before the first build (qarmel-shot's options),
  // built at once instead of the whole volume.
  std::optional<VoxelSelection> startSelection;

  Rebuild() = default;
  Rebuild(const Rebuild&) = delete;
  Rebuild& operator=(const Rebuild&) = delete;
  // Only an exit that skipped WM_DESTROY (a lost display) leaves a builder.
  ~Rebuild() {
    if (builder.joinable()) builder.detach();
  }
};

// The voxels the first surface is built from, the volume mirrored: those
// of the start selection if one was asked for, else the volume itself, or
// for an intensity scan those at Otsu's threshold (the selection shown
// from then on).
VOXSPACE* VoxelsAtStart(Rebuild& rebuild);
// The voxels of `selection` become those shown before any surface is built
// (qarmel-shot's options); the volume itself when memory is short.
VOXSPACE* SelectAtStart(Rebuild& rebuild, const VoxelSelection& selection);

// What the keys change: the request made last, built or not.
SurfaceRequest WantedSurface(const Rebuild& rebuild);
SurfaceLook WantedLook(const Rebuild& rebuild);
// Asks for theSurface's geometry as `request` says; unless `evenIfShown`,
// nothing is built when it is what is shown.
void RequestSurface(Rebuild& rebuild, const SurfaceRequest& request, bool evenIfShown = false);
void RequestLook(Rebuild& rebuild, const SurfaceLook& look, bool evenIfShown = false);
bool RebuildPending(const Rebuild& rebuild);
// The share of the pending build done, once it has taken over half a
// second (the window shows it then); negative before or without one.
double RebuildShareToShow(const Rebuild& rebuild);
// Between frames: a finished build replaces theSurface's geometry (true:
// the picture changed) and a waiting request starts.
bool TakeOverRebuild(Rebuild& rebuild);
// Waits for every request to be built and taken over (qarmel-shot's keys).
void FinishRebuilds(Rebuild& rebuild);
// WM_DESTROY: the builder is stopped at its next direction and joined, its
// geometry given up in the current context, the selected voxels freed.
void CancelRebuilds(Rebuild& rebuild);
