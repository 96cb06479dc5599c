// F12's screenshot: the frame as drawn, saved as a PNG.
#pragma once

#include "platform/winapi.h"

// Draws a frame and writes it to NAME-N.png in the current directory (NAME
// the volume's file name without its extension, N the first number with no
// such file yet), then prints the file's full path on standard output. A
// failure is reported in a message box over the window.
void SaveFrame(HWND window);
