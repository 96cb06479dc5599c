// Opens a window through the platform layer, with the viewer's own pixel
// format request, and prints what its rendering context really has:
// "depth=N" (GL_DEPTH_BITS), or "no window".
#include <GL/gl.h>

#include <cstdio>

#include "platform/winapi.h"
#include "render/pixel_format.h"

namespace {

int depthBits = -1;

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    HDC deviceContext = GetDC(window);
    SetupPixelFormat(deviceContext);
    HGLRC context = wglCreateContext(deviceContext);
    if (context && wglMakeCurrent(deviceContext, context)) glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    wglMakeCurrent(nullptr, nullptr);
    if (context) wglDeleteContext(context);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ProbeProcedure;
  windowClass.lpszClassName = "DepthProbe";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "DepthProbe", "depth probe", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64,
                                nullptr, nullptr, nullptr, nullptr);
  if (!window) {
    std::puts("no window");
    return 1;
  }
  std::printf("depth=%d\n", depthBits);
  DestroyWindow(window);
  return 0;
}
