// The subset of the Win32 services that Qarmel is written against: the same
// names, types, constants and observable behaviour, provided on Linux by one
// of the backends in this folder (sdl/ for the real window, headless/ for
// tests and offscreen tools). The app core includes only this header from
// the platform layer.
#pragma once

#include <cstdint>

#define WINAPI
#define CALLBACK

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Handles are opaque pointers, distinct types as in Win32's STRICT mode.
using HWND = struct HWND__*;
using HINSTANCE = struct HINSTANCE__*;
using HDC = struct HDC__*;
using HGLRC = struct HGLRC__*;
using HPALETTE = struct HPALETTE__*;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  std::int64_t QuadPart;
};

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Message boxes ------------------------------------------------------------
constexpr UINT MB_OK = 0x00000000u;
constexpr UINT MB_ICONERROR = 0x00000010u;
constexpr UINT MB_TOPMOST = 0x00040000u;
constexpr int IDOK = 1;

// Writes "CAPTION: TEXT" and a line feed to standard error, then shows the
// box when the backend has a display to show it on. Returns IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Process ------------------------------------------------------------------
// The program path (in double quotes when it holds a blank), then a blank
// and the arguments joined by single blanks when there are any.
LPSTR GetCommandLineA();

struct POINT {
  LONG x;
  LONG y;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

// Cursor -------------------------------------------------------------------
// Adds 1 (show) or subtracts 1 (hide) from the display count and returns
// the new count; the cursor is visible while the count is 0 or more.
int ShowCursor(BOOL show);
// Moves the cursor to a screen position; this may produce a mouse-move
// message at the new position.
BOOL SetCursorPos(int x, int y);
// The client area: left and top 0, right and bottom its size.
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);

// Clocks -------------------------------------------------------------------
// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD GetTickCount();
// Counts per second of the performance counter (0 without one), and its
// current value, which only increases.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);

// Drawing surface ----------------------------------------------------------
// Presents the frame drawn into the device context's back buffer.
BOOL SwapBuffers(HDC deviceContext);
// Draws the text over the shown frame, top-left corner at (x, y) in client
// coordinates.
BOOL TextOutA(HDC deviceContext, int x, int y, LPCSTR text, int length);

// Common dialogs -----------------------------------------------------------
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000u;

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of NUL-terminated texts, ended by an extra NUL
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;  // in: proposed file (may be empty); out: the full path
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;  // out: the file name without its directory
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPVOID lpfnHook;
  LPCSTR lpTemplateName;
};

// Non-zero only when the user confirmed a file that fits the record's buffers.
BOOL GetOpenFileNameA(OPENFILENAMEA* record);

// Entry point --------------------------------------------------------------
// Provided by the program; the SDL backend's main() calls it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR argumentText,
                   int showCommand);
