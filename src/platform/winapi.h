// The subset of the Win32 services that Qarmel is written against: the same
// names, types, constants and observable behaviour, provided on Linux by one
// of the backends in this folder (sdl/ for the real window, headless/ for
// tests and offscreen tools). The app core includes only this header from
// the platform layer.
#pragma once

#include <cstddef>
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
using HICON = struct HICON__*;
using HCURSOR = struct HCURSOR__*;
using HBRUSH = struct HBRUSH__*;
using HMENU = struct HMENU__*;
using HGDIOBJ = void*;
using HANDLE = void*;

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

// Memory -------------------------------------------------------------------
// The process's heap (the C library's), and giving the free memory at its
// end and in its free blocks back to the system; returns the largest free
// block's size as Win32 does, or 0 when it is not known.
HANDLE GetProcessHeap();
std::size_t HeapCompact(HANDLE heap, DWORD flags);

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
// The record's size in its earliest layout, as 32-bit callers give it; the
// dialog does not check it.
constexpr DWORD OPENFILENAME_SIZE_VERSION_400 = 76;

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

// Windows and messages -----------------------------------------------------
using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSELEAVE = 0x02A3;  // the cursor left the client area
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;

constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr UINT PM_REMOVE = 0x0001;
constexpr int SW_SHOWDEFAULT = 10;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int GRAY_BRUSH = 2;
#define IDC_ARROW reinterpret_cast<LPCSTR>(32512)

// Virtual-key codes beyond letters and digits (which are their ASCII codes).
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F12 = 0x7B;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

inline WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
// WM_MOUSEWHEEL's turn, in WHEEL_DELTA units a notch; positive away from the user.
constexpr int WHEEL_DELTA = 120;
inline short GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<short>(HIWORD(w)); }
inline LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

WORD RegisterClassA(const WNDCLASSA* windowClass);
// Delivers WM_CREATE before it returns; none when no window can be made
// (no display, or the class is unknown).
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
BOOL ShowWindow(HWND window, int showCommand);
// Delivers WM_PAINT at once.
BOOL UpdateWindow(HWND window);
BOOL DestroyWindow(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove);
// Turns a key press into WM_CHAR where it types a character.
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
BOOL WaitMessage();
// Waits until a message is waiting or `milliseconds` have passed (no
// handles: `count` must be 0): WAIT_OBJECT_0 for a message, else
// WAIT_TIMEOUT.
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD QS_ALLINPUT = 0x04FF;
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask);
// WM_CLOSE destroys the window; everything else is left alone (0).
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
int GetSystemMetrics(int index);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ GetStockObject(int object);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC deviceContext);
HWND WindowFromDC(HDC deviceContext);

// Pixel format and palette ---------------------------------------------------
constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr DWORD PFD_NEED_PALETTE = 0x00000080;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_MAIN_PLANE = 0;

struct PIXELFORMATDESCRIPTOR {
  WORD nSize;
  WORD nVersion;
  DWORD dwFlags;
  BYTE iPixelType;
  BYTE cColorBits;
  BYTE cRedBits;
  BYTE cRedShift;
  BYTE cGreenBits;
  BYTE cGreenShift;
  BYTE cBlueBits;
  BYTE cBlueShift;
  BYTE cAlphaBits;
  BYTE cAlphaShift;
  BYTE cAccumBits;
  BYTE cAccumRedBits;
  BYTE cAccumGreenBits;
  BYTE cAccumBlueBits;
  BYTE cAccumAlphaBits;
  BYTE cDepthBits;
  BYTE cStencilBits;
  BYTE cAuxBuffers;
  BYTE iLayerType;
  BYTE bReserved;
  DWORD dwLayerMask;
  DWORD dwVisibleMask;
  DWORD dwDamageMask;
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

struct LOGPALETTE {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};

int ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* request);
BOOL SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* request);
int GetPixelFormat(HDC deviceContext);
int DescribePixelFormat(HDC deviceContext, int format, UINT bytes,
                        PIXELFORMATDESCRIPTOR* descriptor);
HPALETTE CreatePalette(const LOGPALETTE* palette);
HPALETTE SelectPalette(HDC deviceContext, HPALETTE palette, BOOL background);
UINT RealizePalette(HDC deviceContext);
BOOL UnrealizeObject(HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

// The display's refresh rate in hertz (VREFRESH); 0 or 1 when unknown.
constexpr int VREFRESH = 116;
int GetDeviceCaps(HDC deviceContext, int index);

// OpenGL rendering contexts --------------------------------------------------
HGLRC wglCreateContext(HDC deviceContext);
BOOL wglMakeCurrent(HDC deviceContext, HGLRC context);
BOOL wglDeleteContext(HGLRC context);
// `second` (which must hold no display lists yet, and be current nowhere)
// shares the display lists of `first` from now on.
BOOL wglShareLists(HGLRC first, HGLRC second);
// WGL_EXT_swap_control: swaps wait for this many display refreshes (0: none)
// in the current context; FALSE where the driver takes no interval.
BOOL wglSwapIntervalEXT(int interval);

// Entry point --------------------------------------------------------------
// Provided by the program; the SDL backend's main() calls it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR argumentText,
                   int showCommand);
