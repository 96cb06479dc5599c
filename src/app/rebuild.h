// Rebuilds after the first frame (merged faces, colours by value, smooth
// shading, texture, the render method) are made on a thread of their own
// while the old picture stays on screen and the window keeps answering.
// The latest request wins: one asked for while another builds stops that
// one at its next direction and is built after it. The new geometry
// replaces the old between two frames. A small surface (built within a
// frame or two) and a window without a building context (no shared lists)
// are built at once, in place.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "surface/ogl_cuberille.h"

struct Rebuild {
  // Being built: made by the main thread before the builder starts, handed
  // over once `done` is set.
  std::thread builder;
  std::atomic<bool> done{false};
  OGLcuberille* next = nullptr;
  std::chrono::steady_clock::time_point started;
  // Asked for while the builder was busy: built when it ends.
  bool waiting = false;
  SurfaceLook wanted;
  int shownPercent = -1;  // the share the title shows
  // Surfaces of fewer faces are built in place.
  std::uint64_t backgroundFaces = 200000;

  Rebuild() = default;
  Rebuild(const Rebuild&) = delete;
  Rebuild& operator=(const Rebuild&) = delete;
  // Only an exit that skipped WM_DESTROY (a lost display) leaves a builder.
  ~Rebuild() {
    if (builder.joinable()) builder.detach();
  }
};

// The look the keys change: the one asked for last, built or not.
SurfaceLook WantedLook(const Rebuild& rebuild);
// Asks for theSurface's geometry with this look.
void RequestLook(Rebuild& rebuild, const SurfaceLook& look);
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
// geometry given up in the current context.
void CancelRebuilds(Rebuild& rebuild);
