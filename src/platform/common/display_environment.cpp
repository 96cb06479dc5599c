#include "platform/common/display_environment.h"

#include <cstdlib>

namespace platform {

bool EnvironmentNamesDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace platform
