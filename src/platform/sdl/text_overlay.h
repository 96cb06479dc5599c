// Text over the shown frame, in a small built-in bitmap font.
#pragma once

#include <string>

#include "platform/winapi.h"

namespace platform::sdl {

// Keeps the text to draw over the window's frame at its next swap (the
// swap that shows it); each swap draws what was queued since the last.
void QueueText(HWND window, int x, int y, std::string text);
void DrawPendingText(HWND window);

}  // namespace platform::sdl
