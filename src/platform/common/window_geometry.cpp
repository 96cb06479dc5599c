// Client-area geometry and the cursor's display count, the same for both
// backends.
#include "platform/common/window_record.h"

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

int GetSystemMetrics(int index) {
  // A thin frame and a caption bar, as the viewer's window is measured by.
  switch (index) {
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    case SM_CYCAPTION:
      return 19;
    default:
      return 0;
  }
}
