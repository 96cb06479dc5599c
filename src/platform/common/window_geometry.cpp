// Client-area geometry and the cursor's display count, the same for both
// backends.
#include "platform/common/window_record.h"

namespace platform {

std::vector<HWND>& Windows() {
  static std::vector<HWND> windows;
  return windows;
}

}  // namespace platform

BOOL GetClientRect(HWND window, RECT* rect) {
  if (!window || !rect) return FALSE;
  *rect = {0, 0, window->clientWidth, window->clientHeight};
  return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
  if (!window || !point) return FALSE;
  point->x += window->clientScreenX;
  point->y += window->clientScreenY;
  return TRUE;
}

int platform::ChangeCursorDisplayCount(bool show) {
  // Win32 counts shows and hides; the pointer is hidden while the count is negative.
  static int displayCount = 0;
  displayCount += show ? 1 : -1;
  return displayCount;
}
