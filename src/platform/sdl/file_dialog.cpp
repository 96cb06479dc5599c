// SDL backend: the open-file dialog.
// Supports: GetOpenFileNameA through the desktop's chooser (zenity, else
//           kdialog), title, filters, proposed file or start folder,
//           OFN_FILEMUSTEXIST, path and file-name buffers; the program ends
//           (code 1) when the display went away while the chooser was open.
// Not supported: an owner window, hooks, templates, multiple selection.
#include "platform/common/file_dialog.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/common/display_environment.h"
#include "platform/sdl/display.h"
#include "platform/winapi.h"

BOOL GetOpenFileNameA(OPENFILENAMEA* record) {
  if (!record) return FALSE;
  const BOOL chosen = platform::RunOpenFileDialog(*record);
  // A chooser whose display went away ends as a cancel would: told apart
  // by the display, which then cannot be reached (the video start tries
  // for about a second).
  if (!chosen && platform::EnvironmentNamesDisplay() && !platform::sdl::DisplayAvailable() &&
      !SDL_WasInit(SDL_INIT_VIDEO)) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "%s: the display %s is gone; ending\n", program_invocation_short_name,
                 display ? display : "");
    std::exit(1);
  }
  return chosen;
}
