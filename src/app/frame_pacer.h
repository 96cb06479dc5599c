// Frames no faster than the display shows them: the camera controls move
// by fixed steps per update, so paced updates move as fast on a small
// volume as on a large one that keeps up, and the idle viewer does not
// draw frames nobody sees. Swaps wait for the display where the driver
// honours a swap interval; the pacer's deadlines hold the rate where it
// does not (Xvfb, llvmpipe). QARMEL_UNPACED=1 turns pacing off, for
// frame-rate measurements.
#pragma once

#include <cstdint>

#include "platform/winapi.h"

struct FramePacer {
  bool paced = false;
  std::int64_t period = 0;     // performance counts between frames
  std::int64_t nextFrame = 0;  // when the next frame is due
};

// With the window's context current: reads QARMEL_UNPACED, asks for a swap
// interval of 1 (0 unpaced) and takes the display's refresh rate (60 Hz
// when it is not known).
void StartFramePacing(FramePacer& pacer, HDC deviceContext);
// Milliseconds until the next frame is due; 0 when it is, or unpaced.
DWORD MillisecondsToNextFrame(const FramePacer& pacer);
// A frame was drawn: the next one is due a period after this one was, or
// at once after a late one.
void FrameDrawn(FramePacer& pacer);
