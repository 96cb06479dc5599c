// SDL backend: the cursor.
// Supports: SetCursorPos in screen coordinates, warped into the window
//           under it (SDL then reports one motion at the target, as Win32
//           may); the pointer's visibility from ShowCursor's display count.
// Not supported: warping outside the program's own windows.
#include <SDL.h>

#include "platform/common/window_record.h"
#include "platform/winapi.h"

int ShowCursor(BOOL show) {
  // SDL's cursor is on or off; the count is kept in the layer.
  const int count = platform::ChangeCursorDisplayCount(show);
  SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return count;
}

BOOL SetCursorPos(int x, int y) {
  for (HWND window : platform::Windows()) {
    if (!window->native) continue;
    SDL_WarpMouseInWindow(static_cast<SDL_Window*>(window->native), x - window->clientScreenX,
                          y - window->clientScreenY);
    return TRUE;
  }
  return FALSE;
}
