// Window classes, window records, the message queue and dispatch.
#include <algorithm>
#include <deque>
#include <map>
#include <string>

#include "platform/common/window_record.h"

namespace platform {
namespace {

std::map<std::string, WNDCLASSA>& Classes() {
  static std::map<std::string, WNDCLASSA> classes;
  return classes;
}

std::deque<MSG>& Queue() {
  static std::deque<MSG> queue;
  return queue;
}

}  // namespace

std::vector<HWND>& Windows() {
  static std::vector<HWND> windows;
  return windows;
}

HWND NewWindowRecord(LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height) {
  const auto found = Classes().find(className ? className : "");
  if (found == Classes().end()) return nullptr;
  auto* window = new HWND__;
  window->proc = found->second.lpfnWndProc;
  window->icon = found->second.hIcon;
  window->title = title ? title : "";
  // An overlapped window's outer size includes its frame and caption.
  const bool framed = (style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW;
  const int frameX = framed ? GetSystemMetrics(SM_CXFRAME) : 0;
  const int frameY = framed ? GetSystemMetrics(SM_CYFRAME) : 0;
  const int caption = framed ? GetSystemMetrics(SM_CYCAPTION) : 0;
  window->clientWidth = std::max(1, width - 2 * frameX);
  window->clientHeight = std::max(1, height - caption - 2 * frameY);
  window->clientScreenX = x + frameX;
  window->clientScreenY = y + caption + frameY;
  window->deviceContext.window = window;
  Windows().push_back(window);
  return window;
}

void ForgetWindow(HWND window) {
  auto& windows = Windows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
  auto& queue = Queue();
  queue.erase(std::remove_if(queue.begin(), queue.end(),
                             [window](const MSG& m) { return m.hwnd == window; }),
              queue.end());
  delete window;
}

bool IsWindowRecord(HWND window) {
  const auto& windows = Windows();
  return window && std::find(windows.begin(), windows.end(), window) != windows.end();
}

LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindowRecord(window) || !window->proc) return 0;
  return window->proc(window, message, wParam, lParam);
}

void PostToQueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Queue().push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
}

bool TakeFromQueue(MSG* message) {
  if (Queue().empty()) return false;
  *message = Queue().front();
  Queue().pop_front();
  return true;
}

bool QueueHas(HWND window, UINT message) {
  return std::any_of(Queue().begin(), Queue().end(),
                     [&](const MSG& m) { return m.hwnd == window && m.message == message; });
}

bool QueueEmpty() { return Queue().empty(); }

void SendShowMessages(HWND window) {
  SendToWindow(window, WM_MOVE, 0,
               MAKELPARAM(static_cast<WORD>(window->clientScreenX),
                          static_cast<WORD>(window->clientScreenY)));
  SendToWindow(
      window, WM_SIZE, 0,
      MAKELPARAM(static_cast<WORD>(window->clientWidth), static_cast<WORD>(window->clientHeight)));
  SendToWindow(window, WM_ACTIVATE, WA_ACTIVE, 0);
}

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYDOWN && message <= WM_SYSKEYUP) ||
         (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP);
}

BOOL TranslateControlKey(const MSG* message) {
  if (!message || message->message != WM_KEYDOWN) return FALSE;
  switch (message->wParam) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_BACK:
    case VK_TAB:
      PostToQueue(message->hwnd, WM_CHAR, message->wParam, message->lParam);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace platform

WORD RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName) return 0;
  platform::Classes()[windowClass->lpszClassName] = *windowClass;
  return 1;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (!message) return 0;
  return platform::SendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL UpdateWindow(HWND window) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  platform::SendToWindow(window, WM_PAINT, 0, 0);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  platform::PostToQueue(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (!platform::IsWindowRecord(window) || !paint) return nullptr;
  *paint = PAINTSTRUCT{};
  paint->hdc = &window->deviceContext;
  paint->rcPaint = {0, 0, window->clientWidth, window->clientHeight};
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* /*paint*/) {
  return platform::IsWindowRecord(window);
}

HDC GetDC(HWND window) {
  return platform::IsWindowRecord(window) ? &window->deviceContext : nullptr;
}

int ReleaseDC(HWND window, HDC deviceContext) {
  return platform::IsWindowRecord(window) && deviceContext == &window->deviceContext ? 1 : 0;
}

HWND WindowFromDC(HDC deviceContext) { return deviceContext ? deviceContext->window : nullptr; }

HCURSOR LoadCursorA(HINSTANCE /*instance*/, LPCSTR /*name*/) {
  static int arrow;  // the system's arrow: the pointer the desktop already shows
  return reinterpret_cast<HCURSOR>(&arrow);
}

HGDIOBJ GetStockObject(int /*object*/) {
  static int stockObject;  // brushes paint nothing here: the frame covers the client area
  return &stockObject;
}
