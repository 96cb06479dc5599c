#include "platform/sdl/display.h"

#include "platform/common/display_environment.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace platform::sdl {
namespace {

bool StartVideo() {
  if (!platform::EnvironmentNamesDisplay()) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  std::atexit(SDL_Quit);
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

}  // namespace

bool DisplayAvailable() {
  static const bool available = StartVideo();
  return available;
}

}  // namespace platform::sdl
