// What the environment says about the display, and what helper programs
// (zenity, kdialog) need added to it.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Whether the environment names a display (X11 or Wayland) at all.
bool EnvironmentNamesDisplay();

// Entries ("NAME=VALUE") that replace those of this environment for a
// helper program; empty in a desktop session.
std::vector<std::string> HelperProgramEnvironment();

}  // namespace platform
