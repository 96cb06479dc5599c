// Whether the environment names a display (X11 or Wayland) at all.
#pragma once

namespace platform {

bool EnvironmentNamesDisplay();

}  // namespace platform
