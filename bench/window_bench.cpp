// The running viewer under an X server: frames per second of the idle loop
// (polar camera, lighting and fast lighting) on a head-sized scan of about
// half a million faces, against a minimal loop in the same process that
// only calls the six lists and swaps; the same idle loop with merged faces
// (key m) against the strips; and the time from process start to the
// first frame shown.
// Run under Xvfb: make bench does.
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/input_file.h"
#include "app/key_commands.h"
#include "app/main_loop.h"
#include "cub_writer.h"
#include "render/frame_display.h"
#include "shapes.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Frames drawn by `frame` in about two seconds, per second.
template <typename Frame>
double FramesPerSecond(Frame frame) {
  const auto start = Clock::now();
  int frames = 0;
  while (Seconds(Clock::now() - start) < 2.0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    frame();
    ++frames;
  }
  return frames / Seconds(Clock::now() - start);
}

void ListsOnlyFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  ApplyPolarView(polarCam);
  glDisable(GL_LIGHTING);
  for (int d = 0; d < 6; ++d) {
    if (!(theSurface.visibleMask & (1 << d))) continue;
    glColor3fv(theSurface.directionColors[d]);
    glCallList(theSurface.displayLists[d]);
  }
  glEnable(GL_LIGHTING);
  SwapBuffers(deviceContext);
}

}  // namespace

int main() {
  const auto processStart = Clock::now();
  const std::string path = "/tmp/qarmel-window-bench-" + std::to_string(getpid()) + ".cub";
  if (!WriteCubFile(path, MakeScanPhantom(181, 217, 181, 1)).empty()) return 1;
  const auto start = Clock::now();  // as if the process started here, with the file on disk
  const double makingFile = Seconds(start - processStart);
  std::string arguments = path;
  if (!GetInputFile(arguments.data())) return 1;
  OpenMainWindow(nullptr, SW_SHOWDEFAULT);
  ShowFirstFrame();
  glFinish();
  const double firstFrame = Seconds(Clock::now() - start);
  std::remove(path.c_str());

  std::uint64_t faces = 0;
  for (const QuadList& l : theSurface.quadLists) faces += l.quadCount;
  const double viewer = FramesPerSecond([] { IdleUpdate(); });
  const double floor = FramesPerSecond(ListsOnlyFrame);
  OnChar(mainWindow, 'm', 0);
  const double merged = FramesPerSecond([] { IdleUpdate(); });
  std::printf("volume 181x217x181 scan, %llu faces (file made in %.3f s)\n",
              static_cast<unsigned long long>(faces), makingFile);
  std::printf("start to first frame shown: %.3f s\n", firstFrame);
  std::printf("idle loop: %.2f fps; lists and swap only: %.2f fps; ratio %.3f (target >= 0.95)\n", viewer, floor,
              viewer / floor);
  std::printf("idle loop with merged faces: %.2f fps; ratio to the strips %.3f (target >= 2.5)\n", merged,
              merged / viewer);
  DestroyWindow(mainWindow);
  return 0;
}
