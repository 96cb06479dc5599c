#include "app/first_build.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <string>

#include "app/app_state.h"
#include "app/key_table.h"
#include "app/main_loop.h"
#include "app/window_title.h"
#include "render/frame_display.h"

namespace {

using Clock = std::chrono::steady_clock;

// The build may keep the window still this long before it must answer.
constexpr auto kQuietBuild = std::chrono::milliseconds(500);
// How often the progress is drawn meanwhile.
constexpr DWORD kProgressMilliseconds = 100;

double ShareDone() {
  return std::fmin(1.0, theSurface.directionsBuilt.load() / static_cast<double>(kFaceDirections));
}

// Takes the messages that wait; false once WM_QUIT came (it is posted again
// for the main loop).
bool TakeMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

bool ShowBuildShare(double share, int& shownPercent) {
  const int percent = static_cast<int>(100 * share);
  if (percent == shownPercent) return false;
  shownPercent = percent;
  const std::string field = "building " + std::to_string(percent) + "%";
  SetWindowTextA(mainWindow, ComposeTitle(inputFileName, TitleLetters(), {&field, 1}).c_str());
  return true;
}

void ShowFirstFrameWhileBuilding() {
  if (!buildContext) return ShowFirstFrame();
  theSurface.SetRenderMethod(TRISTRIP_DISPLIST);  // no volume yet: nothing is built
  theSurface.directionsBuilt = 0;
  buildProgress.done = false;
  buildProgress.pending = true;
  buildProgress.firstShown = {};
  try {
    buildProgress.builder = std::thread([] {
      std::lock_guard<std::mutex> lock(buildContextInUse);
      if (wglMakeCurrent(deviceContext, buildContext)) {
        MirrorVoxSpaceZ(theVolume);  // the file's first slice becomes the last
        theSurface.SetVoxSpace(VoxelsAtStart(rebuild));
        glFinish();
        wglMakeCurrent(nullptr, nullptr);
      }
      buildProgress.done = true;
    });
  } catch (const std::exception&) {
    buildProgress.pending = false;  // no thread: built here, as ever
    return ShowFirstFrame();
  }
  const auto start = Clock::now();
  // Messages wait till then: a small volume is built before any is taken.
  while (!buildProgress.done && Clock::now() - start < kQuietBuild)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  int shownPercent = -1;
  while (!buildProgress.done) {
    if (!TakeMessages()) return;  // WM_DESTROY has joined the builder
    if (glContext && ShowBuildShare(ShareDone(), shownPercent)) {
      Display();
      if (buildProgress.firstShown == Clock::time_point{}) buildProgress.firstShown = Clock::now();
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kProgressMilliseconds, QS_ALLINPUT);
  }
  FinishPendingBuild();
  if (!glContext) return;  // the window went as the builder finished
  theSurface.fastLighting = 1;
  UpdateWindowTitle(mainWindow);
  const auto frameStart = Clock::now();
  Display();
  // A slow first frame has the coarse copy for motion built at once.
  NoteFullFrame(standIn, std::chrono::duration<double>(Clock::now() - frameStart).count());
}

void FinishPendingBuild() {
  if (!buildProgress.builder.joinable()) return;
  if (!buildProgress.done) theSurface.cancelBuild = true;
  buildProgress.builder.join();
  theSurface.cancelBuild = false;
  buildProgress.pending = false;
}
