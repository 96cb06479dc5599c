// SDL backend: the display.
// Supports: DisplayAvailable, starting SDL's video once on the display the
//           environment names (x11 for DISPLAY, else wayland; a driver named
//           in SDL_VIDEODRIVER wins), tried for about a second while a bare
//           X server regenerates (the reason on standard error when it
//           fails); interrupt and termination signals left to end the
//           process; on X11, a TrueColor visual with 8-bit colour channels,
//           the offscreen context's depth bits and double buffering; the
//           program ends (code 1) when the X display goes away under it.
// Not supported: other video drivers (offscreen, dummy): they count as no display.
#include "platform/sdl/display.h"

#include <GL/glx.h>
#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/common/display_environment.h"
#include "platform/common/pixel_format.h"
#include "platform/sdl/display_loss.h"

namespace platform::sdl {
namespace {

// Left to itself, GLX may hand SDL a DirectColor visual, whose colours are
// only right once a window manager installs its colour map (never under a
// bare X server): ask for a TrueColor visual with what the viewer needs.
void PreferTrueColorVisual() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  const int wanted[] = {GLX_X_RENDERABLE,
                        True,
                        GLX_DRAWABLE_TYPE,
                        GLX_WINDOW_BIT,
                        GLX_RENDER_TYPE,
                        GLX_RGBA_BIT,
                        GLX_X_VISUAL_TYPE,
                        GLX_TRUE_COLOR,
                        GLX_RED_SIZE,
                        8,
                        GLX_GREEN_SIZE,
                        8,
                        GLX_BLUE_SIZE,
                        8,
                        GLX_DEPTH_SIZE,
                        kDepthBits,
                        GLX_DOUBLEBUFFER,
                        True,
                        None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), wanted, &count);
  // Exactly the offscreen context's depth buffer: offscreen renders of the
  // same frame then match the window pixel for pixel.
  int chosen = 0;
  for (int i = 0; i < count; ++i) {
    int depth = 0;
    glXGetFBConfigAttrib(display, configs[i], GLX_DEPTH_SIZE, &depth);
    if (depth == kDepthBits) {
      chosen = i;
      break;
    }
  }
  if (configs && count > 0) {
    if (XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[chosen])) {
      const std::string id = std::to_string(visual->visualid);
      SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, id.c_str());
      XFree(visual);
    }
  }
  if (configs) XFree(configs);
  XCloseDisplay(display);
}

// The video driver for the display the environment names: x11 for
// DISPLAY, wayland for WAYLAND_DISPLAY alone. Left to itself SDL would try
// every driver in turn and end on "offscreen" when the first one failed.
// A driver the user names in SDL_VIDEODRIVER wins.
const char* NamedDriver() {
  const char* chosen = std::getenv("SDL_VIDEODRIVER");
  if (chosen && *chosen) return chosen;
  const char* x11 = std::getenv("DISPLAY");
  return x11 && *x11 ? "x11" : "wayland";
}

bool IsRealDisplayDriver(const char* driver) {
  return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

// A bare X server (Xvfb, as under xvfb-run) regenerates itself whenever
// its last client disconnects and drops the connections that arrive
// meanwhile, so a viewer started right after another one ended may find the
// display briefly unreachable: the video start is tried a few times within
// about a second before the program gives up, saying why.
constexpr int kVideoStartAttempts = 8;
constexpr Uint32 kVideoStartPauseMs = 125;

bool InitVideoWithRetries(const char* driver) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  for (int attempt = 1;; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (attempt == kVideoStartAttempts) break;
    SDL_Delay(kVideoStartPauseMs);
  }
  std::fprintf(stderr, "Video start-up failed (%s display): %s\n", driver, SDL_GetError());
  return false;
}

SDL_threadID videoThread = 0;

bool StartVideo() {
  if (!platform::EnvironmentNamesDisplay()) return false;
  videoThread = SDL_ThreadID();
  // Interrupt and termination signals keep ending the process: SDL would
  // turn them into a quit event that no window asked for.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (!InitVideoWithRetries(NamedDriver())) return false;
  std::atexit(QuitVideo);
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) {
    WatchForDisplayLoss();
    PreferTrueColorVisual();
  }
  return IsRealDisplayDriver(driver);
}

}  // namespace

bool DisplayAvailable() {
  static const bool available = StartVideo();
  return available;
}

bool OnVideoThread() { return SDL_ThreadID() == videoThread; }

}  // namespace platform::sdl
