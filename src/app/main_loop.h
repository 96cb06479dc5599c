// The main loop and its idle step.
#pragma once

#include "platform/winapi.h"

// Registers the window class and creates, shows and paints the window;
// without a window the program ends with code 1.
void OpenMainWindow(HINSTANCE instance, int showCommand);
// Hands the volume (mirrored in z) to the surface with the strip method and
// fast lighting, and draws the first frame of it.
void ShowFirstFrame();

// One camera step of the active camera's control; then both input records
// are marked unchanged. Always 1.
int UpdateCamera();
// The camera step, then a frame if there is a rendering context. Always 1.
int IdleUpdate();
// Takes and dispatches every waiting message; when none waits, an idle
// update while the window is active and a message or something moving
// asks for one (at the display's pace), else a wait. Returns WM_QUIT's code.
int RunMainLoop();
