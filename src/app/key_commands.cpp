#include "app/key_commands.h"

#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/key_table.h"
#include "app/window_title.h"
#include "render/frame_display.h"

namespace {

// The classic help text, split where the added keys' lines go: after the
// fps line, where a reader looks for toggles.
constexpr char kHelpBeforeAddedKeys[] =
    " Turn : \n"
    "    left mouse button + mousemove \n"
    "    left/right/down/up arrow keys \n"
    " Shift : \n"
    "    SHIFT + left mouse button + mousemove \n"
    "    SHIFT + left/right/down/up arrow keys \n"
    " Move : \n"
    "    A forward, Z backward \n"
    " \n"
    " [-] / [=] \t -- / ++ camera delta\n"
    " [v] / [V] \t -- / ++ field of view \n"
    " \n"
    " [0] \t toggle polar / fly camera \n"
    " [c] \t toggle culling \n"
    " [d] \t toggle z buffering \n"
    " [f] \t toggle fog \n"
    " [i] \t toggle dithering \n"
    " [l] \t toggle lighting \n"
    " [p] \t toggle perspective correction \n"
    " [q] \t toggle texture filtering \n"
    " [t] \t toggle texture \n"
    " [x] \t toggle fps display \n";
constexpr char kHelpAfterAddedKeys[] =
    " \n"
    " [g] to display geometry info \n"
    " \n"
    " [escape] to quit \n"
    " \n"
    " Qarmel, by the Qarmel developers";

}  // namespace

int OnChar(HWND window, WPARAM character, LPARAM /*lParam*/) {
  const KeyCommand* command = FindKeyCommand(character);
  if (!command) return 0;
  command->run(window);
  const KeyRedraw redraw = command->redraw;
  if (redraw == KeyRedraw::kFrame || redraw == KeyRedraw::kFrameAndTitle) Display();
  if (redraw == KeyRedraw::kFrameAndTitle || redraw == KeyRedraw::kTitleOnly)
    UpdateWindowTitle(window);
  return 1;
}

const std::string& HelpText() {
  static const std::string text = [] {
    std::string help = kHelpBeforeAddedKeys;
    for (const KeyCommand& command : KeyCommands())
      if (command.helpLine) help += command.helpLine;
    return help + kHelpAfterAddedKeys;
  }();
  return text;
}

void ShowHelp(HWND window) {
  MessageBoxA(window, HelpText().c_str(), "Qarmel user interface", MB_OK);
}

void ShowGeometryInfo() {
  const QuadList* q = theSurface.quadLists;
  std::uint32_t total = 0;
  for (int d = 0; d < kFaceDirections; ++d) total += q[d].quadCount;
  std::snprintf(geometryInfoText, sizeof geometryInfoText,
                "quad count : \n\n %8u left \n %8u right \n %8u down \n %8u up    \n %8u back \n "
                "%8u front \n\n "
                "%8u total \n",
                q[LEFT].quadCount, q[RIGHT].quadCount, q[DOWN].quadCount, q[UP].quadCount,
                q[BACK].quadCount, q[FRONT].quadCount, total);
  MessageBoxA(mainWindow, geometryInfoText, "Geometry Info", MB_OK);
}
