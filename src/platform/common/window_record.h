// What the platform layer keeps of each window behind its HWND: the client
// area's size and screen position, kept current by the backend, and the
// backend's own window. Both backends share the geometry services.
#pragma once

#include <vector>

#include "platform/winapi.h"

struct HWND__ {
  int clientWidth = 0;
  int clientHeight = 0;
  int clientScreenX = 0;  // screen position of the client area's top-left corner
  int clientScreenY = 0;
  void* native = nullptr;  // the backend's window (an SDL_Window in the SDL backend)
};

namespace platform {

// Every live window, oldest first.
std::vector<HWND>& Windows();

// ShowCursor's display count: adds 1 (show) or subtracts 1 (hide) and
// returns the new count; the pointer is visible while it is 0 or more.
int ChangeCursorDisplayCount(bool show);

}  // namespace platform
