// One complete frame from the active camera, the viewport on a resize, the
// axes gizmo, and the frame read back.
#pragma once

#include <vector>

#include "surface/ogl_cuberille.h"

constexpr int kFpsTextSize = 64;

// The transforms of the last frame drawn, kept for picking the voxel under
// the cursor without drawing another.
struct DrawnView {
  double modelview[16] = {};
  double projection[16] = {};
  int viewport[4] = {};
  bool valid = false;
};

// Clear, view, surface, gizmo, flush, swap, clock tick, readout.
void Display();
// The drawing half of Display(): the frame in the back buffer, not shown.
void DrawFrame();
// The same with another surface in theSurface's place (the coarse copy
// drawn while the camera moves).
void DrawFrame(OGLcuberille& surface);
// A bar of the share done (0 to 1): alone on black while the first
// geometry builds, over the old picture during a long rebuild.
void DrawBuildProgress(double share, bool alone);
// The back buffer, width x height RGB, top row first: read it after
// DrawFrame() and before a window's swap, which leaves it undefined.
std::vector<unsigned char> ReadBackBuffer(int width, int height);
// New client size: viewport, both cameras' aspect and projection, a frame.
void Resize(int width, int height);
void DrawAxes();

// The readout for a frame time: "%.2f fps", or "-- fps" when the time is 0
// (no counter, or two frames within one count) and no rate can be given.
void FormatFrameRate(double seconds, char (&text)[kFpsTextSize]);
