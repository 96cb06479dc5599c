// The running viewer under an X server: frames per second of the idle loop
// (polar camera, lighting and fast lighting) on a head-sized scan of about
// half a million faces, against a minimal loop in the same process that
// only calls the six lists and swaps; the same idle loop with merged faces
// (key m) against the strips; the time from process start to the first
// frame shown; held-key speeds paced and unpaced; a drag's frame rate on a
// 512^3 scan with and without the coarse copy; the first progress frame
// and first full frame of 512^3 and 1024^3 volumes built on their own
// thread; cut and threshold steps from the key to the frame of the new surface; and the
// idle loop's CPU time.
// Run under Xvfb: make bench does.
#include <GL/gl.h>
#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

// Frames drawn by `frame` in about a second, per second.
template <typename Frame>
double FramesPerSecond(Frame frame) {
  const auto start = Clock::now();
  int frames = 0;
  while (Seconds(Clock::now() - start) < 1.0) {
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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median frame rates of two loops timed in turns: the machine is
// shared, and turns spread its slow moments over both.
template <typename A, typename B>
std::pair<double, double> InTurns(A a, B b, int turns = 7) {
  std::vector<double> ratesA, ratesB;
  for (int turn = 0; turn < turns; ++turn) {
    ratesA.push_back(a());
    ratesB.push_back(b());
  }
  return {Median(ratesA), Median(ratesB)};
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

// Degrees a second that a held Left arrow turns the polar camera, the loop
// drawing as the main loop does while a key is held: at the pacer's
// deadlines, or as fast as it can when unpaced.
double HeldKeyDegreesPerSecond(bool paced) {
  if (paced) {
    unsetenv("QARMEL_UNPACED");
  } else {
    setenv("QARMEL_UNPACED", "1", 1);
  }
  StartFramePacing(framePacer, deviceContext);
  keyboardState.KeyDown(static_cast<unsigned>(VK_LEFT), 1);
  const float heading = polarCam.heading;
  float turned = 0, last = heading;
  const auto start = Clock::now();
  while (Seconds(Clock::now() - start) < 2.0) {
    if (const DWORD wait = MillisecondsToNextFrame(framePacer)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
      continue;
    }
    IdleUpdate();
    FrameDrawn(framePacer);
    turned += std::fmod(last - polarCam.heading + 360.0f, 360.0f);  // headings wrap at 360
    last = polarCam.heading;
  }
  const double seconds = Seconds(Clock::now() - start);
  keyboardState.KeyUp(static_cast<unsigned>(VK_LEFT), 0);
  polarCam.heading = heading;
  return turned / seconds;
}

// The main loop's CPU time over ten seconds with nothing moving, from a
// second after it starts (its first frame aside); the loop ends with the
// window, closed by a second thread as a user would.
double IdleLoopCpuShare() {
  const auto cpuSeconds = [] {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return Seconds(std::chrono::seconds(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
                   std::chrono::microseconds(r.ru_utime.tv_usec + r.ru_stime.tv_usec));
  };
  double share = 0;
  const Uint32 window = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
  std::thread closer([&] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double before = cpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    share = (cpuSeconds() - before) / Seconds(Clock::now() - start);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.windowID = window;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
  });
  RunMainLoop();
  closer.join();
  return share;
}

// Frames a second while the camera turns, unpaced, drawing the coarse copy
// (`coarse`) or the full surface, as a drag would.
double TurningFramesPerSecond(bool coarse) {
  standIn.cameraMoves = coarse;
  const double rate = FramesPerSecond([] {
    polarCam.heading = WrapDegrees(polarCam.heading + 1);
    Display();
    glFinish();
  });
  standIn.cameraMoves = false;
  return rate;
}

// The coarse copy of the volume shown, built as the main loop has it built
// after a slow frame; false when none was (a fast frame).
bool BuildCoarseCopy() {
  const auto start = Clock::now();
  Display();
  glFinish();
  NoteFullFrame(standIn, Seconds(Clock::now() - start));
  if (!standIn.builder.joinable()) return false;
  while (!standIn.built) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  standIn.cameraMoves = true;
  SurfaceForFrame(standIn);  // takes the copy over
  standIn.cameraMoves = false;
  return standIn.surface != nullptr;
}

// Loads `volume` into the open window in place of the one shown.
bool ShowVolume(const CubVolume& volume, const std::string& path) {
  if (!WriteCubFile(path, volume).empty()) return false;
  FreeVoxSpace(theVolume);
  theVolume = nullptr;
  theSurface.voxSpace = nullptr;  // attached again by ShowFirstFrame
  std::string arguments = path;
  const bool loaded = GetInputFile(arguments.data()) != 0;
  std::remove(path.c_str());
  if (!loaded) return false;
  ShowFirstFrame();
  return true;
}

// Seconds from a key to the frame that shows the surface it asked for, as
// the main loop has it: the key's own frame of the old picture, the
// rebuild, the frame after; the median of `steps` presses.
double StepSeconds(char key, int steps) {
  std::vector<double> times;
  for (int step = 0; step < steps; ++step) {
    const auto start = Clock::now();
    OnChar(mainWindow, static_cast<unsigned char>(key), 0);
    while (RebuildPending(rebuild) && !TakeOverRebuild(rebuild))
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    Display();
    glFinish();
    times.push_back(Seconds(Clock::now() - start));
  }
  return Median(times);
}

// Cut steps: ] on x's low plane from the middle of the volume, so that
// each step cuts through it, then every cut removed.
double CutStepSeconds(int steps) {
  OnChar(mainWindow, ';', 0);
  SurfaceRequest middle = WantedSurface(rebuild);
  const std::uint32_t width = fileAxes.fileDims[0];
  KeepFileRange(middle.selection, fileAxes, 0, width / 2, width - 1);
  RequestSurface(rebuild, middle);
  FinishRebuilds(rebuild);
  const double seconds = StepSeconds(']', steps);
  OnChar(mainWindow, '\'', 0);
  FinishRebuilds(rebuild);
  return seconds;
}

// Threshold steps: , from Otsu's threshold, then the volume as it was.
double ThresholdStepSeconds(int steps) {
  const VoxelSelection before = WantedSurface(rebuild).selection;
  OnChar(mainWindow, '.', 0);
  FinishRebuilds(rebuild);
  const double seconds = StepSeconds(',', steps);
  RequestSurface(rebuild, {WantedLook(rebuild), before});
  FinishRebuilds(rebuild);
  return seconds;
}

// The cut and threshold steps with merged faces and smooth shading off and on.
void PrintSteps(const char* volume, int steps) {
  for (const bool merged : {false, true})
    for (const bool smooth : {false, true}) {
      if (theSurface.merged != merged) OnChar(mainWindow, 'm', 0);
      if (theSurface.smooth != smooth) OnChar(mainWindow, 's', 0);
      FinishRebuilds(rebuild);
      const char* look =
          merged ? (smooth ? "merged, smooth" : "merged") : (smooth ? "strips, smooth" : "strips");
      std::printf("cut step to its frame, %s, %s: median %.0f ms of %d\n", volume, look,
                  1000 * CutStepSeconds(steps), steps);
      std::printf("threshold step to its frame, %s, %s: median %.0f ms of %d\n", volume, look,
                  1000 * ThresholdStepSeconds(steps), steps);
    }
  if (theSurface.merged) OnChar(mainWindow, 'm', 0);
  if (theSurface.smooth) OnChar(mainWindow, 's', 0);
  FinishRebuilds(rebuild);
}

// Seconds from the load of `volume` to the first progress frame (negative:
// none, the build was quick) and to the first full frame, the build on its
// own thread as the viewer has it.
std::pair<double, double> FirstFramesWhileBuilding(const CubVolume& volume,
                                                   const std::string& path) {
  ReleaseStandIn(standIn);
  if (!WriteCubFile(path, volume).empty()) return {-1, -1};
  FreeVoxSpace(theVolume);
  theVolume = nullptr;
  theSurface.voxSpace = nullptr;
  std::string arguments = path;
  const auto start = Clock::now();
  const bool loaded = GetInputFile(arguments.data()) != 0;
  std::remove(path.c_str());
  if (!loaded) return {-1, -1};
  ShowFirstFrameWhileBuilding();
  glFinish();
  const double full = Seconds(Clock::now() - start);
  const auto shown = buildProgress.firstShown;
  return {shown == Clock::time_point{} ? -1 : Seconds(shown - start), full};
}

}  // namespace

int main() {
  // Frame rates are measured without pacing; the held-key figures set it
  // themselves.
  setenv("QARMEL_UNPACED", "1", 1);
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
  // The first frames pay for memory the driver touches once: warm up first.
  auto idle = [] { IdleUpdate(); };
  FramesPerSecond(idle);
  const auto [viewer, floor] = InTurns([&] { return FramesPerSecond(idle); },
                                       [] { return FramesPerSecond(ListsOnlyFrame); });
  // Key m builds the other geometry each time; only the frames are timed.
  auto withMerged = [&](bool on) {
    if (theSurface.merged != on) OnChar(mainWindow, 'm', 0);
    FinishRebuilds(rebuild);  // built in the background: the main loop would take it over
    FramesPerSecond(idle);
    return FramesPerSecond(idle);
  };
  const auto [strips, merged] =
      InTurns([&] { return withMerged(false); }, [&] { return withMerged(true); }, 3);
  std::printf("volume 181x217x181 scan, %llu faces (file made in %.3f s)\n",
              static_cast<unsigned long long>(faces), makingFile);
  std::printf("start to first frame shown: %.3f s\n", firstFrame);
  std::printf("idle loop: %.2f fps; lists and swap only: %.2f fps; ratio %.3f (target >= 0.95)\n",
              viewer, floor, viewer / floor);
  std::printf(
      "idle loop with merged faces: %.2f fps against %.2f with strips; ratio %.3f (target >= "
      "2.5)\n",
      merged, strips, merged / strips);

  if (theSurface.merged) OnChar(mainWindow, 'm', 0);
  FinishRebuilds(rebuild);
  PrintSteps("181x217x181 scan", 20);
  if (!ShowVolume(MakeHeadPhantom(96), path)) return 1;  // the bundled sample's size
  const double largePaced = HeldKeyDegreesPerSecond(true);
  const double largeUnpaced = HeldKeyDegreesPerSecond(false);
  if (!ShowVolume(MakeHollowSphere(32), path)) return 1;
  const double smallPaced = HeldKeyDegreesPerSecond(true);
  const double smallUnpaced = HeldKeyDegreesPerSecond(false);
  std::printf(
      "held Left arrow, paced: %.1f deg/s on the 96^3 phantom, %.1f on a 32^3 sphere; ratio %.3f "
      "(target 0.9 to 1.1)\n",
      largePaced, smallPaced, largePaced / smallPaced);
  std::printf(
      "held Left arrow, unpaced: %.1f deg/s on the phantom, %.1f on the sphere; ratio %.3f\n",
      largeUnpaced, smallUnpaced, largeUnpaced / smallUnpaced);
  // A drag on a 512^3 scan, drawing the full surface and the coarse copy.
  unsetenv("QARMEL_NO_STAND_IN");
  setenv("QARMEL_UNPACED", "1", 1);
  StartFramePacing(framePacer, deviceContext);
  if (!ShowVolume(MakeScanPhantom(512, 512, 512, 1), path)) return 1;
  PrintSteps("512^3 scan", 3);
  std::uint64_t bigFaces = 0;
  for (const QuadList& l : theSurface.quadLists) bigFaces += l.quadCount;
  if (BuildCoarseCopy()) {
    const auto [full, coarse] = InTurns([] { return TurningFramesPerSecond(false); },
                                        [] { return TurningFramesPerSecond(true); }, 3);
    std::printf(
        "turning the 512^3 scan (%llu faces): %.2f fps full, %.2f fps with the coarse copy "
        "(%ux%ux%u); ratio %.2f (target >= 15 fps)\n",
        static_cast<unsigned long long>(bigFaces), full, coarse, standIn.volume->dimX,
        standIn.volume->dimY, standIn.volume->dimZ, coarse / full);
  } else {
    std::printf("turning the 512^3 scan: no coarse copy was built\n");
  }
  for (const std::uint32_t edge : {512u, 1024u}) {
    const auto [progress, full] = FirstFramesWhileBuilding(
        edge == 512 ? MakeScanPhantom(512, 512, 512, 1) : MakeHeadPhantom(1024), path);
    std::printf("%s %u^3, from the load: first progress frame %.2f s, first full frame %.2f s\n",
                edge == 512 ? "scan" : "phantom", edge, progress, full);
  }
  HeldKeyDegreesPerSecond(true);  // the main loop below runs paced
  std::printf("idle main loop, 10 s with nothing moving: %.2f%% of a core (target <= 2%%)\n",
              100 * IdleLoopCpuShare());
  return 0;
}
