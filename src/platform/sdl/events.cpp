// SDL backend: events to messages.
// Supports: window size, move, expose, focus, minimise/restore and close as
//           WM_SIZE, WM_MOVE, WM_PAINT, WM_ACTIVATE, WM_CLOSE; keys as
//           WM_KEYDOWN/WM_KEYUP with virtual-key codes (letters, digits,
//           Shift, arrows, Return, Escape, Backspace, Tab, space, F12) and
//           bit 30 set on auto-repeat; typed text as WM_CHAR (ASCII); mouse
//           motion and the three buttons as WM_MOUSEMOVE and WM_*BUTTON*.
//           The wheel as WM_MOUSEWHEEL (WHEEL_DELTA a notch, the cursor's
//           client position in lParam where Win32 gives the screen's), and
//           Home as VK_HOME.
// Not supported: other keys, horizontal wheels, double clicks, non-ASCII characters.
#include "platform/sdl/events.h"

#include <algorithm>
#include <cstdint>

#include "platform/common/window_record.h"
#include "platform/winapi.h"

namespace platform::sdl {
namespace {

HWND WindowOf(Uint32 windowId) {
  for (HWND window : platform::Windows()) {
    if (window->native && SDL_GetWindowID(static_cast<SDL_Window*>(window->native)) == windowId)
      return window;
  }
  return nullptr;
}

LPARAM PackSize(int width, int height) {
  return MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height));
}

void TranslateWindowEvent(HWND window, const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      window->clientWidth = e.data1;
      window->clientHeight = e.data2;
      platform::PostToQueue(window, WM_SIZE, 0, PackSize(e.data1, e.data2));
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      platform::PostToQueue(window, WM_SIZE, 1, PackSize(0, 0));
      break;
    case SDL_WINDOWEVENT_RESTORED:
      platform::PostToQueue(window, WM_SIZE, 0,
                            PackSize(window->clientWidth, window->clientHeight));
      break;
    case SDL_WINDOWEVENT_MOVED:
      window->clientScreenX = e.data1;
      window->clientScreenY = e.data2;
      platform::PostToQueue(window, WM_MOVE, 0, PackSize(e.data1, e.data2));
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      if (!platform::QueueHas(window, WM_PAINT)) platform::PostToQueue(window, WM_PAINT, 0, 0);
      break;
    case SDL_WINDOWEVENT_LEAVE:
      platform::PostToQueue(window, WM_MOUSELEAVE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      platform::PostToQueue(window, WM_ACTIVATE, WA_ACTIVE, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      platform::PostToQueue(window, WM_ACTIVATE, WA_INACTIVE, 0);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      platform::PostToQueue(window, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void TranslateKey(HWND window, const SDL_KeyboardEvent& e) {
  const unsigned vk = VirtualKeyOf(e.keysym.sym);
  if (vk == 0) return;
  // Bit 30: the key was already down (auto-repeat, and every release);
  // bit 31: the key is being released.
  LPARAM lParam = 1;
  if (e.type == SDL_KEYUP) lParam |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  if (e.type == SDL_KEYDOWN && e.repeat) lParam |= LPARAM{1} << 30;
  platform::PostToQueue(window, e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, lParam);
}

void TranslateText(HWND window, const SDL_TextInputEvent& e) {
  for (const char* c = e.text; *c; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte < 0x80) platform::PostToQueue(window, WM_CHAR, byte, 1);
  }
}

void TranslateMouse(HWND window, UINT message, int x, int y) {
  platform::PostToQueue(window, message, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void TranslateWheel(HWND window, const SDL_MouseWheelEvent& e) {
  int turn = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
  if (turn == 0) return;
  turn = std::clamp(turn, -200, 200) * WHEEL_DELTA;
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  const auto high = static_cast<WORD>(static_cast<std::int16_t>(turn));
  platform::PostToQueue(window, WM_MOUSEWHEEL, static_cast<WPARAM>(high) << 16,
                        MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

UINT ButtonMessage(Uint8 button, bool down) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case SDL_BUTTON_MIDDLE:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    case SDL_BUTTON_RIGHT:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default:
      return 0;
  }
}

}  // namespace

void TranslateEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      if (HWND w = WindowOf(e.window.windowID)) TranslateWindowEvent(w, e.window);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (HWND w = WindowOf(e.key.windowID)) TranslateKey(w, e.key);
      break;
    case SDL_TEXTINPUT:
      if (HWND w = WindowOf(e.text.windowID)) TranslateText(w, e.text);
      break;
    case SDL_MOUSEMOTION:
      if (HWND w = WindowOf(e.motion.windowID))
        TranslateMouse(w, WM_MOUSEMOVE, e.motion.x, e.motion.y);
      break;
    case SDL_MOUSEWHEEL:
      if (HWND w = WindowOf(e.wheel.windowID)) TranslateWheel(w, e.wheel);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (HWND w = WindowOf(e.button.windowID)) {
        const UINT message = ButtonMessage(e.button.button, e.type == SDL_MOUSEBUTTONDOWN);
        if (message) TranslateMouse(w, message, e.button.x, e.button.y);
      }
      break;
    default:
      break;
  }
}

unsigned VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<unsigned>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<unsigned>('0' + (key - SDLK_0));
  switch (key) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_F12:
      return VK_F12;
    case SDLK_HOME:
    case SDLK_KP_7:
      return VK_HOME;
    default:
      return 0;
  }
}

void PumpEvents(bool wait, int timeoutMs) {
  SDL_Event e;
  if (wait) {
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
    if (!got) return;
    TranslateEvent(e);
  }
  while (SDL_PollEvent(&e)) TranslateEvent(e);
}

}  // namespace platform::sdl

BOOL PeekMessageA(MSG* message, HWND /*window*/, UINT /*first*/, UINT /*last*/, UINT /*remove*/) {
  platform::sdl::PumpEvents(false);
  return platform::TakeFromQueue(message) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  if (platform::QueueEmpty()) platform::sdl::PumpEvents(true);
  return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD /*count*/, const HANDLE* /*handles*/, BOOL /*waitAll*/,
                                DWORD milliseconds, DWORD /*wakeMask*/) {
  if (platform::QueueEmpty())
    platform::sdl::PumpEvents(true, static_cast<int>(std::min<DWORD>(milliseconds, INT32_MAX)));
  return platform::QueueEmpty() ? WAIT_TIMEOUT : WAIT_OBJECT_0;
}

BOOL TranslateMessage(const MSG* message) { return platform::TranslateControlKey(message); }
