// Headless backend: the cursor.
// Supports: SetCursorPos (recorded as a warp), the pointer's visibility
//           (recorded), windows made by tests with a given client geometry.
// Not supported: a real pointer; no mouse-move message follows a warp.
#include <vector>

#include "platform/common/window_record.h"
#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

namespace platform::headless {

HeadlessCursor& CursorState() {
  static HeadlessCursor cursor;
  return cursor;
}

HWND MakeTestWindow(int clientWidth, int clientHeight, int clientScreenX, int clientScreenY) {
  static std::vector<HWND__> windows(8);
  static std::size_t next = 0;
  HWND window = &windows[next++ % windows.size()];
  *window = HWND__{};
  window->clientWidth = clientWidth;
  window->clientHeight = clientHeight;
  window->clientScreenX = clientScreenX;
  window->clientScreenY = clientScreenY;
  return window;
}

}  // namespace platform::headless

int ShowCursor(BOOL show) {
  const int count = platform::ChangeCursorDisplayCount(show);
  platform::headless::CursorState().visible = count >= 0;
  return count;
}

BOOL SetCursorPos(int x, int y) {
  platform::headless::CursorState().warps.push_back({x, y});
  return TRUE;
}
