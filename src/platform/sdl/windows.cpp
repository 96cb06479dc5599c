// SDL backend: windows and rendering contexts.
// Supports: CreateWindowExA on an X11 or Wayland display (WM_CREATE before
//           it returns; none without a display), the class icon, ShowWindow
//           (the first show sends WM_MOVE, WM_SIZE and WM_ACTIVATE),
//           DestroyWindow, SetWindowTextA, DefWindowProcA (WM_CLOSE
//           destroys), wgl* contexts as SDL GL contexts (compatibility
//           profile, RGB 8/8/8, depth 24, double-buffered), SwapBuffers and
//           TextOutA (drawn over the frame at its swap), GetDeviceCaps's
//           VREFRESH from the window's display mode, wglSwapIntervalEXT.
// Not supported: child windows, menus, extended styles.
#include <SDL.h>

#include "platform/common/pixel_format.h"
#include "platform/common/window_record.h"
#include "platform/sdl/display.h"
#include "platform/sdl/text_overlay.h"
#include "platform/winapi.h"

namespace {

SDL_Window* Native(HWND window) { return static_cast<SDL_Window*>(window->native); }

void SetIcon(HWND window) {
  const HICON icon = window->icon;
  if (!icon) return;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, icon->width, icon->height, 32, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return;
  auto* pixels = static_cast<Uint8*>(surface->pixels);
  for (int y = 0; y < icon->height; ++y) {
    for (int x = 0; x < icon->width; ++x) {
      const std::uint8_t index = icon->indices[y * icon->width + x];
      Uint8* p = pixels + y * surface->pitch + x * 4;
      p[0] = icon->colours[index][0];
      p[1] = icon->colours[index][1];
      p[2] = icon->colours[index][2];
      p[3] = index ? 255 : 0;  // index 0 is transparent
    }
  }
  SDL_SetWindowIcon(Native(window), surface);
  SDL_FreeSurface(surface);
}

}  // namespace

HWND CreateWindowExA(DWORD /*exStyle*/, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/,
                     LPVOID /*param*/) {
  // The program never runs invisibly: without a real display there is no window.
  if (!platform::sdl::DisplayAvailable()) return nullptr;
  HWND window = platform::NewWindowRecord(className, title, style, x, y, width, height);
  if (!window) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, platform::kDepthBits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  window->native = SDL_CreateWindow(
      window->title.c_str(), window->clientScreenX, window->clientScreenY, window->clientWidth,
      window->clientHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
  if (!window->native) {
    platform::ForgetWindow(window);
    return nullptr;
  }
  SetIcon(window);
  SDL_StartTextInput();
  platform::SendToWindow(window, WM_CREATE, 0, 0);
  return platform::IsWindowRecord(window) ? window : nullptr;
}

BOOL ShowWindow(HWND window, int /*showCommand*/) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  const bool wasShown = window->shown;
  if (!wasShown) {
    window->shown = true;
    SDL_ShowWindow(Native(window));
    platform::SendShowMessages(window);
  }
  return wasShown;
}

BOOL DestroyWindow(HWND window) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  platform::SendToWindow(window, WM_DESTROY, 0, 0);
  SDL_DestroyWindow(Native(window));
  platform::ForgetWindow(window);
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!platform::IsWindowRecord(window)) return FALSE;
  window->title = text ? text : "";
  SDL_SetWindowTitle(Native(window), window->title.c_str());
  return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

HGLRC wglCreateContext(HDC deviceContext) {
  if (!deviceContext || !platform::IsWindowRecord(deviceContext->window)) return nullptr;
  SDL_GLContext context = SDL_GL_CreateContext(Native(deviceContext->window));
  if (!context) return nullptr;
  return new HGLRC__{context, deviceContext};
}

BOOL wglMakeCurrent(HDC deviceContext, HGLRC context) {
  if (!context) {
    const bool released = SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr) == 0;
    // SDL notes the current context in storage of the thread's own, which
    // a thread it did not start never gives back: the building threads end
    // after this, and a rebuild would otherwise leave two such blocks.
    if (!platform::sdl::OnVideoThread()) SDL_TLSCleanup();
    return released;
  }
  if (!deviceContext || !platform::IsWindowRecord(deviceContext->window)) return FALSE;
  return SDL_GL_MakeCurrent(Native(deviceContext->window), context->native) == 0;
}

// GLX shares lists only from a context's creation: `second` is made again,
// sharing with `first`, and the context current before is current again.
int GetDeviceCaps(HDC deviceContext, int index) {
  if (index != VREFRESH || !deviceContext || !deviceContext->window) return 0;
  SDL_DisplayMode mode;
  if (SDL_GetWindowDisplayMode(Native(deviceContext->window), &mode) != 0) return 0;
  return mode.refresh_rate;
}

BOOL wglSwapIntervalEXT(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

BOOL wglShareLists(HGLRC first, HGLRC second) {
  if (!first || !second || !second->deviceContext ||
      !platform::IsWindowRecord(second->deviceContext->window))
    return FALSE;
  SDL_Window* window = Native(second->deviceContext->window);
  SDL_Window* currentWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext current = SDL_GL_GetCurrentContext();
  if (SDL_GL_MakeCurrent(window, first->native) != 0) return FALSE;
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
  SDL_GLContext sharing = SDL_GL_CreateContext(window);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
  SDL_GL_MakeCurrent(currentWindow, current);
  if (!sharing) return FALSE;
  SDL_GL_DeleteContext(second->native);
  second->native = sharing;
  return TRUE;
}

BOOL wglDeleteContext(HGLRC context) {
  if (!context) return FALSE;
  SDL_GL_DeleteContext(context->native);
  delete context;
  return TRUE;
}

BOOL SwapBuffers(HDC deviceContext) {
  if (!deviceContext || !platform::IsWindowRecord(deviceContext->window)) return FALSE;
  HWND window = deviceContext->window;
  platform::sdl::DrawPendingText(window);  // last frame's text, over this frame
  SDL_GL_SwapWindow(Native(window));
  return TRUE;
}

BOOL TextOutA(HDC deviceContext, int x, int y, LPCSTR text, int length) {
  if (!deviceContext || !platform::IsWindowRecord(deviceContext->window) || !text || length < 0)
    return FALSE;
  platform::sdl::QueueText(deviceContext->window, x, y,
                           std::string(text, static_cast<std::size_t>(length)));
  return TRUE;
}
