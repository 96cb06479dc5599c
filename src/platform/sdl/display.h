// Whether the SDL backend has a real display (X11 or Wayland) to show
// windows and boxes on. Without one SDL silently falls back to its
// "offscreen" driver, where a box "succeeds" without being seen.
#pragma once

namespace platform::sdl {

// Starts SDL's video subsystem on first use; true only for a real display.
bool DisplayAvailable();
// Whether this is the thread that started it (the program's main thread).
bool OnVideoThread();

}  // namespace platform::sdl
