// What the platform layer keeps behind its handles: windows, device
// contexts, rendering contexts, palettes. Both backends share these
// records and the services that only need them (classes, the message
// queue, dispatch, geometry, paint, device contexts, pixel formats,
// palettes); each backend adds its own native window and GL context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winapi.h"

struct HDC__ {
  HWND window = nullptr;
  int pixelFormat = 0;
  HPALETTE palette = nullptr;
};

struct HWND__ {
  int clientWidth = 0;
  int clientHeight = 0;
  int clientScreenX = 0;  // screen position of the client area's top-left corner
  int clientScreenY = 0;
  void* native = nullptr;  // the backend's window (an SDL_Window in the SDL backend)
  WNDPROC proc = nullptr;
  std::string title;
  HICON icon = nullptr;
  HDC__ deviceContext;  // CS_OWNDC: one device context for the window's life
  bool shown = false;
};

struct HGLRC__ {
  void* native = nullptr;  // the backend's context
  HDC deviceContext = nullptr;
};

struct HPALETTE__ {
  std::vector<PALETTEENTRY> entries;
};

// The program's icon: 32 x 32 pixels, 16 colours.
struct HICON__ {
  int width, height;
  const std::uint8_t* indices;  // width*height palette indices, top row first
  const std::uint8_t (*colours)[3];
};

namespace platform {

// Every live window, oldest first.
std::vector<HWND>& Windows();

// A new window record of a registered class (none for an unknown class),
// its client size taken from the outer size by the frame metrics.
HWND NewWindowRecord(LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height);
void ForgetWindow(HWND window);
bool IsWindowRecord(HWND window);

// Sends a message straight to the window's procedure (as SendMessage does).
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The message queue of the one thread.
void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool TakeFromQueue(MSG* message);
bool QueueHas(HWND window, UINT message);
bool QueueEmpty();

// What a shown window is told first: its position, its size, that it is active.
void SendShowMessages(HWND window);

// ShowCursor's display count: adds 1 (show) or subtracts 1 (hide) and
// returns the new count; the pointer is visible while it is 0 or more.
int ChangeCursorDisplayCount(bool show);

bool IsInputMessage(UINT message);

// TranslateMessage's part for the keys that type a control character
// (Return, Escape, Backspace, Tab): posts their WM_CHAR. Printable
// characters come from the backend's text input instead.
BOOL TranslateControlKey(const MSG* message);

}  // namespace platform
