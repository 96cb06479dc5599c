// The main loop: the window opened, the surface handed its volume and the
// first frame drawn, then messages and idle updates until the window is
// gone.
#include "app/main_loop.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "app/app_state.h"
#include "app/key_table.h"
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
  OGLcamera& camera = appSettings.polarMode ? polarCam : flyCam;
  PanWithCursor(camera, appSettings.polarMode, mouseState.middleDragX, mouseState.middleDragY,
                appSettings.windowHeight);
  mouseState.middleDragX = mouseState.middleDragY = 0;
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

namespace {

using Clock = std::chrono::steady_clock;

// The wheel counts as moving the camera this long after its last notch, so
// that a quick run of notches is drawn coarse till it ends.
constexpr auto kWheelMotion = std::chrono::milliseconds(150);
Clock::time_point wheelMovesUntil;

constexpr DWORD kRebuildPollMilliseconds = 10;

// The keys the camera controls read. Only they count as moving it: a key
// whose release went to another window (a box's) would otherwise keep the
// loop drawing for ever.
constexpr WPARAM kCameraKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_A, VK_Z};

bool IsCameraKey(WPARAM key) {
  return std::find(std::begin(kCameraKeys), std::end(kCameraKeys), key) != std::end(kCameraKeys);
}

bool CameraKeyDown() {
  for (const WPARAM vk : kCameraKeys)
    if (keyboardState.Down(static_cast<unsigned>(vk))) return true;
  return false;
}

// A held camera key or button, or a recent notch of the wheel, moves the camera.
bool CameraMoves() {
  return CameraKeyDown() || mouseState.CameraButtonDown() || Clock::now() < wheelMovesUntil;
}

// Whether frames change with no message to say so: the frame-rate text
// counts them, and the camera moves.
bool KeepsMoving() { return appSettings.showFps || CameraMoves(); }

// Whether a message, handled, may have changed the picture. The cursor
// moving (a drag keeps frames coming anyway) and the keys pressed and
// released do not, but for the camera's; a typed command does, unless it
// only asked for a surface now being built in the background: the old
// picture stays till that is taken over, with a frame of its own.
bool MayChangePicture(const MSG& message) {
  switch (message.message) {
    case WM_MOUSEMOVE:
      return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return IsCameraKey(message.wParam);
    case WM_CHAR: {
      const KeyCommand* command = FindKeyCommand(message.wParam);
      return !command || command->redraw != KeyRedraw::kTitleOnly || !RebuildPending(rebuild);
    }
    default:
      return true;
  }
}

// One frame of the loop; a full one's time is noted for the coarse copy.
void LoopFrame() {
  standIn.cameraMoves = CameraMoves();
  const auto start = Clock::now();
  IdleUpdate();
  if (cursorPick.x >= 0) cursorPick.pending = true;  // the picture under it may have changed
  standIn.cameraMoves = false;  // frames drawn elsewhere (keys, repaints) are full
  if (!standIn.drawnLast)
    NoteFullFrame(standIn, std::chrono::duration<double>(Clock::now() - start).count());
}

// Waits for the next message; while a rebuild is pending, also for its
// end (looked for often, so the new picture comes at once) and, when it
// is long, for the next step of the share shown.
void WaitForNews(bool& frameWanted) {
  DWORD wait = MillisecondsToPick(cursorPick);
  if (RebuildPending(rebuild)) wait = std::min<DWORD>(wait, kRebuildPollMilliseconds);
  if (wait == kNoPickDue) {
    WaitMessage();
    return;
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  if (MillisecondsToPick(cursorPick) == 0) PickNow(cursorPick);
  const double share = RebuildShareToShow(rebuild);
  if (share >= 0 && ShowBuildShare(share, rebuild.shownPercent)) frameWanted = true;
}

}  // namespace

// A frame is drawn after any message that may change the picture and, at
// the display's pace, while something keeps moving; otherwise the loop
// waits for the next message instead of drawing the same frame again.
int RunMainLoop() {
  MSG message;
  bool frameWanted = false;  // the first frame is drawn
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (message.message == WM_MOUSEWHEEL) wheelMovesUntil = Clock::now() + kWheelMotion;
      TranslateMessage(&message);
      DispatchMessageA(&message);
      if (MayChangePicture(message)) frameWanted = true;
    }
    // A coarse frame is followed by the full picture once the motion stops.
    if (standIn.drawnLast && !CameraMoves()) frameWanted = true;
    if (TakeOverRebuild(rebuild)) frameWanted = true;
    if (MillisecondsToPick(cursorPick) == 0) PickNow(cursorPick);
    if (!appSettings.appActive || !(frameWanted || KeepsMoving())) {
      WaitForNews(frameWanted);
      continue;
    }
    if (const DWORD wait = MillisecondsToNextFrame(framePacer)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
      continue;
    }
    LoopFrame();
    FrameDrawn(framePacer);
    frameWanted = false;
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
  theSurface.directionsBuilt = 0;  // what the build has done, not the empty lists just made
  MirrorVoxSpaceZ(theVolume);      // the file's first slice becomes the last
  theSurface.SetVoxSpace(VoxelsAtStart(rebuild));
  theSurface.fastLighting = 1;
  Display();
}
