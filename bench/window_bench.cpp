// The running viewer under an X server: frames per second of the idle loop
// (polar camera, lighting and fast lighting) on a ~0.5 M-face volume,
// against a minimal loop in the same process that only calls the six lists
// and swaps; and the time from process start to the first frame shown.
// Run under Xvfb: make bench does.
#include <GL/gl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/input_file.h"
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
  if (!WriteCubFile(path, MakeNoiseField(181, 217, 181, 3)).empty()) return 1;
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
  std::printf("volume 181x217x181 noise, %llu faces (file made in %.3f s)\n",
              static_cast<unsigned long long>(faces), makingFile);
  std::printf("start to first frame shown: %.3f s\n", firstFrame);
  std::printf("idle loop: %.2f fps; lists and swap only: %.2f fps; ratio %.3f (target >= 0.9)\n", viewer, floor,
              viewer / floor);
  DestroyWindow(mainWindow);
  return 0;
}
