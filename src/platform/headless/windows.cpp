// Headless backend: windows, messages and rendering contexts.
// Supports: CreateWindowExA (WM_CREATE before it returns), ShowWindow (the
//           first show sends WM_MOVE, WM_SIZE and WM_ACTIVATE), DestroyWindow,
//           SetWindowTextA, the message loop fed by a script of messages,
//           TranslateMessage for Return/Escape/Backspace/Tab,
//           DefWindowProcA (WM_CLOSE destroys), and wgl* contexts that draw
//           into an offscreen pbuffer of the window's client size.
// Not supported: real input; WaitMessage does not block; no refresh rate
//                (GetDeviceCaps gives 0) and no swap interval.
#include <chrono>
#include <deque>
#include <thread>

#include "platform/common/window_record.h"
#include "platform/headless/headless_control.h"
#include "platform/headless/offscreen_context.h"
#include "platform/winapi.h"

namespace platform::headless {
namespace {

std::deque<ScriptedMessage>& Script() {
  static std::deque<ScriptedMessage> script;
  return script;
}

// The next scripted message goes to the oldest window.
bool FeedScriptedMessage() {
  if (Script().empty() || platform::Windows().empty()) return false;
  const ScriptedMessage next = Script().front();
  Script().pop_front();
  platform::PostToQueue(platform::Windows().front(), next.message, next.wParam, next.lParam);
  return true;
}

}  // namespace

void ScriptMessages(const std::vector<ScriptedMessage>& messages) {
  Script().assign(messages.begin(), messages.end());
}
std::size_t ScriptedMessagesLeft() { return Script().size(); }

}  // namespace platform::headless

HWND CreateWindowExA(DWORD /*exStyle*/, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/,
                     LPVOID /*param*/) {
  HWND window = platform::NewWindowRecord(className, title, style, x, y, width, height);
  if (window) platform::SendToWindow(window, WM_CREATE, 0, 0);
  return window;
}

BOOL ShowWindow(HWND window, int /*showCommand*/) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  const bool wasShown = window->shown;
  if (!wasShown) {
    window->shown = true;
    platform::SendShowMessages(window);
  }
  return wasShown;
}

BOOL DestroyWindow(HWND window) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  platform::SendToWindow(window, WM_DESTROY, 0, 0);
  platform::ForgetWindow(window);
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  window->title = text ? text : "";
  return TRUE;
}

BOOL PeekMessageA(MSG* message, HWND /*window*/, UINT /*first*/, UINT /*last*/, UINT /*remove*/) {
  if (platform::QueueEmpty()) platform::headless::FeedScriptedMessage();
  return platform::TakeFromQueue(message) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* message) { return platform::TranslateControlKey(message); }

BOOL WaitMessage() { return TRUE; }

// Messages come from the script: a wait with none left sleeps its time out,
// as a real one would with no input.
DWORD MsgWaitForMultipleObjects(DWORD /*count*/, const HANDLE* /*handles*/, BOOL /*waitAll*/,
                                DWORD milliseconds, DWORD /*wakeMask*/) {
  if (platform::QueueEmpty()) platform::headless::FeedScriptedMessage();
  if (!platform::QueueEmpty()) return WAIT_OBJECT_0;
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return WAIT_TIMEOUT;
}

int GetDeviceCaps(HDC /*deviceContext*/, int /*index*/) { return 0; }

BOOL wglSwapIntervalEXT(int /*interval*/) { return FALSE; }

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

HGLRC wglCreateContext(HDC deviceContext) {
  if (!deviceContext || !deviceContext->window) return nullptr;
  auto* offscreen = new platform::headless::OffscreenContext;
  if (!offscreen->Create(deviceContext->window->clientWidth, deviceContext->window->clientHeight)) {
    delete offscreen;
    return nullptr;
  }
  offscreen->Detach();  // current only once wglMakeCurrent says so
  return new HGLRC__{offscreen, deviceContext};
}

BOOL wglMakeCurrent(HDC /*deviceContext*/, HGLRC context) {
  if (!context) {
    platform::headless::DetachCurrentContext();
    return TRUE;
  }
  return static_cast<platform::headless::OffscreenContext*>(context->native)->MakeCurrent() ? TRUE
                                                                                            : FALSE;
}

BOOL wglShareLists(HGLRC first, HGLRC second) {
  if (!first || !second) return FALSE;
  auto* shared = static_cast<platform::headless::OffscreenContext*>(second->native);
  if (!shared->ShareListsOf(*static_cast<platform::headless::OffscreenContext*>(first->native)))
    return FALSE;
  shared->Detach();  // as wglCreateContext leaves it
  return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
  if (!context) return FALSE;
  delete static_cast<platform::headless::OffscreenContext*>(context->native);
  delete context;
  return TRUE;
}
