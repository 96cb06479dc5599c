// The window procedure: the life of the device and rendering contexts, the
// window's size, position and activation, raw input to the input records,
// typed characters to the key commands, F12's screenshot, repaints, and the
// palette.
#include "app/window_procedure.h"

#include "app/app_state.h"
#include "app/frame_saving.h"
#include "app/key_commands.h"
#include "app/window_title.h"
#include "camera/camera_controls.h"
#include "render/frame_display.h"
#include "render/pixel_format.h"
#include "render/scene_setup.h"

namespace {

// A context that shares glContext's display lists, or none.
HGLRC SharingContext() {
  HGLRC context = wglCreateContext(deviceContext);
  if (context && !wglShareLists(glContext, context)) {
    wglDeleteContext(context);
    context = nullptr;
  }
  return context;
}

void OnCreate(HWND window) {
  deviceContext = GetDC(window);
  SetupPixelFormat(deviceContext);
  palette = SetupPalette(deviceContext);
  glContext = wglCreateContext(deviceContext);
  if (glContext) {
    listContext = SharingContext();
    theSurface.SetListHelperContext(deviceContext, listContext);
    buildContext = SharingContext();
  }
  wglMakeCurrent(deviceContext, glContext);
  StartFramePacing(framePacer, deviceContext);
  SetupScene();
  UpdateWindowTitle(window);
}

void OnDestroy(HWND window) {
  FinishPendingBuild();  // before the volume and the contexts go
  if (glContext) {
    CancelRebuilds(rebuild);  // its lists, in glContext
    ReleaseStandIn(standIn);  // its lists, in glContext
    wglMakeCurrent(nullptr, nullptr);
    theSurface.SetListHelperContext(nullptr, nullptr);
    if (listContext) wglDeleteContext(listContext);
    listContext = nullptr;
    if (buildContext) wglDeleteContext(buildContext);
    buildContext = nullptr;
    wglDeleteContext(glContext);
    glContext = nullptr;
  }
  if (palette) {
    DeleteObject(palette);
    palette = nullptr;
  }
  ReleaseDC(window, deviceContext);
  FreeVoxSpace(theVolume);
  theVolume = nullptr;
  PostQuitMessage(0);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  if (glContext) Display();
  EndPaint(window, &paint);
}

void RealizeOwnPalette() {
  UnrealizeObject(palette);
  SelectPalette(deviceContext, palette, FALSE);
  RealizePalette(deviceContext);
  Display();
}

}  // namespace

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    case WM_MOVE:
      appSettings.windowX = LOWORD(static_cast<std::uintptr_t>(lParam));
      appSettings.windowY = HIWORD(static_cast<std::uintptr_t>(lParam));
      return 0;
    case WM_SIZE:
      appSettings.windowWidth = LOWORD(static_cast<std::uintptr_t>(lParam));
      appSettings.windowHeight = HIWORD(static_cast<std::uintptr_t>(lParam));
      if (glContext) Resize(appSettings.windowWidth, appSettings.windowHeight);
      return 0;
    case WM_ACTIVATE:
      appSettings.appActive = LOWORD(wParam) != WA_INACTIVE;
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_ERASEBKGND:
      return 0;  // the frame covers the client area
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // F12 types no character, so its command is here; holding it saves
      // one frame, not one per repeat (bit 30).
      if (wParam == VK_F12 && !(lParam & (LPARAM{1} << 30)) && glContext && !buildProgress.pending)
        SaveFrame(window);
      // Home types no character either: it runs r's command, back to the start view.
      if (wParam == VK_HOME) OnChar(window, 'r', lParam);
      keyboardState.KeyDown(static_cast<unsigned>(wParam), lParam);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      keyboardState.KeyUp(static_cast<unsigned>(wParam), lParam);
      return 0;
    case WM_CHAR:
      // While the first geometry builds only Escape is taken.
      if (!buildProgress.pending || wParam == VK_ESCAPE) OnChar(window, wParam, lParam);
      return 0;
    case WM_COMMAND:
      return 0;
    case WM_MOUSEMOVE:
      mouseState.MouseMove(wParam, lParam);
      if (!mouseState.cursorCaptured && !mouseState.CameraButtonDown())
        NoteCursor(cursorPick, static_cast<std::int16_t>(lParam & 0xFFFF),
                   static_cast<std::int16_t>((lParam >> 16) & 0xFFFF));
      return 0;
    case WM_MOUSELEAVE:
      ForgetCursor(cursorPick);
      return 0;
    case WM_LBUTTONDOWN:
      mouseState.LeftButtonDown();
      ShowCursor(FALSE);
      mouseState.CaptureCursor(true, window);
      return 0;
    case WM_LBUTTONUP:
      mouseState.LeftButtonUp();
      mouseState.CaptureCursor(false, window);
      ShowCursor(TRUE);
      return 0;
    case WM_RBUTTONDOWN:
      mouseState.RightButtonDown();
      ShowHelp(window);
      return 0;
    case WM_RBUTTONUP:
      mouseState.RightButtonUp();
      return 0;
    case WM_MBUTTONDOWN:
      mouseState.MiddleButtonDown();
      return 0;
    case WM_MBUTTONUP:
      mouseState.MiddleButtonUp();
      return 0;
    case WM_MOUSEWHEEL:
      ZoomWithWheel(appSettings.polarMode ? polarCam : flyCam, appSettings.polarMode,
                    static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA);
      return 0;
    case WM_QUERYNEWPALETTE:
      if (glContext && palette) {
        RealizeOwnPalette();
        return 1;
      }
      break;
    case WM_PALETTECHANGED:
      if (glContext && palette && reinterpret_cast<HWND>(wParam) != window) RealizeOwnPalette();
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
