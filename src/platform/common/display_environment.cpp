#include "platform/common/display_environment.h"

#include <cstdlib>

namespace platform {

bool EnvironmentNamesDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Without a session bus (a bare X server, as in tests and kiosks) GTK's
// settings store would try to start one for every write and warn each
// time, and the accessibility bridge would look for a bus that is not
// there: the helper keeps its settings in memory and goes without the
// bridge. A desktop session keeps its own fonts, themes and screen readers.
std::vector<std::string> HelperProgramEnvironment() {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (bus && *bus) return {};
  std::vector<std::string> entries;
  if (!std::getenv("GSETTINGS_BACKEND")) entries.push_back("GSETTINGS_BACKEND=memory");
  if (!std::getenv("NO_AT_BRIDGE")) entries.push_back("NO_AT_BRIDGE=1");
  return entries;
}

}  // namespace platform
