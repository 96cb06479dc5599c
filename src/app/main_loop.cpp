// The main loop: the window opened, the surface handed its volume and the
// first frame drawn, then messages and idle updates until the window is
// gone.
#include "app/main_loop.h"

#include <cstdlib>

#include "app/app_state.h"
#include "app/window_procedure.h"
#include "camera/camera_controls.h"
#include "render/frame_display.h"

namespace {

void RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, "cub");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = "Qarmel";
  RegisterClassA(&windowClass);
}

}  // namespace

int UpdateCamera() {
  if (appSettings.polarMode) {
    UpdatePolarCamera(polarCam, keyboardState, mouseState, appSettings.cameraDelta);
  } else {
    UpdateFlyCamera(flyCam, keyboardState, mouseState, appSettings.cameraDelta);
  }
  mouseState.changed = 0;
  keyboardState.changed = 0;
  return 1;
}

int IdleUpdate() {
  UpdateCamera();
  if (glContext) Display();
  return 1;
}

int RunMainLoop() {
  MSG message;
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (appSettings.appActive) {
      IdleUpdate();
    } else {
      WaitMessage();
    }
  }
}

void OpenMainWindow(HINSTANCE instance, int showCommand) {
  RegisterWindowClass(instance);
  const int width = appSettings.windowWidth + 2 * GetSystemMetrics(SM_CXFRAME);
  const int height =
      appSettings.windowHeight + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
  mainWindow =
      CreateWindowExA(0, "Qarmel", "Qarmel", WS_OVERLAPPEDWINDOW, appSettings.windowX,
                      appSettings.windowY, width, height, nullptr, nullptr, instance, nullptr);
  if (!mainWindow) {
    MessageBoxA(nullptr, "CreateWindow() failed.", "Error", MB_ICONERROR);
    std::exit(1);
  }
  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
}

void ShowFirstFrame() {
  theSurface.SetRenderMethod(TRISTRIP_DISPLIST);
  MirrorVoxSpaceZ(theVolume);  // the file's first slice becomes the last
  theSurface.SetVoxSpace(theVolume);
  theSurface.fastLighting = 1;
  Display();
}
