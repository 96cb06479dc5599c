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
