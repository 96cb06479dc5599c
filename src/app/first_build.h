// The first geometry, built on a thread of its own while the window stays
// responsive: when it takes over half a second the window shows a bar of
// the share done (and the title says it), can be moved, resized and
// closed, and Escape ends the program; other commands typed meanwhile are
// dropped, as they would act on geometry that is not there yet.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>

struct BuildProgress {
  std::atomic<bool> pending{false};  // frames show the progress, commands are dropped
  std::atomic<bool> done{false};     // the builder has finished
  std::thread builder;
  std::chrono::steady_clock::time_point firstShown;  // the first progress frame, if any

  BuildProgress() = default;
  BuildProgress(const BuildProgress&) = delete;
  BuildProgress& operator=(const BuildProgress&) = delete;
  // Only an exit that skipped WM_DESTROY (a lost display) leaves the
  // builder running: it may be stuck on the dead connection.
  ~BuildProgress() {
    if (builder.joinable()) builder.detach();
  }
};

// What ShowFirstFrame does (the volume mirrored, strips, fast lighting, a
// frame), the building done on another thread with its own context;
// without one, as ShowFirstFrame. When the window is closed meanwhile the
// WM_QUIT is left for the main loop.
void ShowFirstFrameWhileBuilding();

// The title's "building N%" for a build's share done (0 to 1); true when
// N is not the one shown before.
bool ShowBuildShare(double share, int& shownPercent);

// WM_DESTROY: the builder is stopped at its next direction and joined
// before the volume and the contexts go.
void FinishPendingBuild();
