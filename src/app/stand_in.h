// Smooth motion on big volumes: while the camera moves on a volume whose
// full frame takes over 50 ms, a coarser copy of its surface is drawn
// instead (the volume at half or quarter resolution, chosen by the full
// frame's time), and the full surface again as soon as the motion stops.
// The copy is built on a thread of its own after a slow full frame, with
// the settings and the voxels (cuts, hidden labels) the surface has then
// (colours by value, smooth shading,
// texture); it is not used while they differ, and built again. A still
// picture is always the full one. QARMEL_NO_STAND_IN=1 turns it off.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "surface/ogl_cuberille.h"
#include "voxel/voxspace.h"

struct StandIn {
  // In use: drawn by the main thread, replaced only by it.
  VOXSPACE* volume = nullptr;
  OGLcuberille* surface = nullptr;
  // Being built (its surface made by the main thread before the builder
  // starts); handed over once `built` is set.
  std::thread builder;
  std::atomic<bool> built{false};
  VOXSPACE* nextVolume = nullptr;
  OGLcuberille* nextSurface = nullptr;
  // The surface geometry each copies (the rebuilds' count).
  std::uint64_t generation = 0, nextGeneration = 0;
  // Set by the main loop for each frame; read by the frame.
  bool cameraMoves = false;
  bool drawnLast = false;       // the last frame drew the copy
  double fullFrameSeconds = 0;  // the last full frame's time

  StandIn() = default;
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;
  // Only an exit that skipped WM_DESTROY (a lost display) leaves a builder:
  // it may be stuck on the dead connection, so it is left to the exit.
  ~StandIn() {
    if (builder.joinable()) builder.detach();
  }
};

// After a full frame of the main loop that took `seconds`: a copy is
// started when frames are slow and none matches the surface's settings.
void NoteFullFrame(StandIn& standIn, double seconds);
// The surface to draw this frame: the copy while the camera moves and the
// copy matches, else theSurface. Takes over a finished copy first.
OGLcuberille& SurfaceForFrame(StandIn& standIn);
// Stops and joins a build, and frees the copy (with its lists, in the
// current context); before the volume and the contexts go.
void ReleaseStandIn(StandIn& standIn);
