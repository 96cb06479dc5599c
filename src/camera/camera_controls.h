// The two camera controls: each moves its camera from the recorded input
// once per idle update, by fixed steps of `step` (the camera delta; no
// scaling by elapsed time).
#pragma once

#include "camera/ogl_camera.h"
#include "input/input_state.h"
#include "platform/winapi.h"

// The polar camera: drag or arrows orbit and tilt, with Shift they pan;
// A and Z change the distance. Returns 1.
int UpdatePolarCamera(OGLcamera& camera, const Keyboard& keys, const Mouse& mouse, float step);

// The fly camera: drag or arrows turn, with Shift they move the eye in the
// camera's frame; A and Z move it along the view direction. Returns 1.
int UpdateFlyCamera(OGLcamera& camera, const Keyboard& keys, const Mouse& mouse, float step);

// One or more notches of the wheel (positive away from the user): the
// polar distance, or the fly camera's distance to the volume's centre
// along its view, shrinks to 0.9 of itself per notch away (never reaching
// 0 or crossing the centre) and grows by the inverse towards the user.
void ZoomWithWheel(OGLcamera& camera, bool polar, float notches);

// A drag of (dx, dy) pixels in a picture `height` pixels high moves the
// scene with the cursor: the point at the depth of the volume's centre
// stays under it.
void PanWithCursor(OGLcamera& camera, bool polar, int dx, int dy, int height);
