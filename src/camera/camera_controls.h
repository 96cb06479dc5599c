// The two camera controls: each moves its camera from the recorded input
// once per idle update, by fixed steps (no scaling by elapsed time).
#pragma once

// polarCam from keyboardState and mouseState: drag or arrows orbit and
// tilt, with Shift they pan; A and Z change the distance. Returns 1.
int UpdatePolarCamera();

// flyCam from keyboardState and mouseState: drag or arrows turn, with
// Shift they move the eye in the camera's frame; A and Z move it along
// the view direction. Returns 1.
int UpdateFlyCamera();
