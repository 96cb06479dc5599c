// SDL backend: message boxes.
// Supports: MessageBoxA with MB_OK, MB_ICONERROR, MB_TOPMOST; the line on
//           standard error first; a real box with an OK button on an X11 or
//           Wayland display, modal in the Win32 sense: while it is open the
//           box runs on a helper thread and this thread keeps dispatching
//           the windows' paint, size, move and activation messages, while
//           keyboard and mouse input to them is dropped. Without a display,
//           the line only.
// Not supported: buttons other than OK; the box's own position.
#include <SDL.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/common/message_box_echo.h"
#include "platform/common/window_record.h"
#include "platform/sdl/display.h"
#include "platform/sdl/events.h"
#include "platform/winapi.h"

namespace {

SDL_MessageBoxData BoxData(HWND owner, LPCSTR text, LPCSTR caption, UINT type, const SDL_MessageBoxButtonData* ok) {
  SDL_MessageBoxData box = {};
  box.flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  box.window = platform::IsWindowRecord(owner) ? static_cast<SDL_Window*>(owner->native) : nullptr;
  box.title = caption ? caption : "";
  box.message = text ? text : "";
  box.numbuttons = 1;
  box.buttons = ok;
  return box;
}

// Dispatches what the windows must still get while a box is open; input
// waits for nobody (dropped), the quit message is kept for the main loop.
void PumpWhileModal(std::vector<MSG>& kept) {
  platform::sdl::PumpEvents(true, 10);
  MSG message;
  while (platform::TakeFromQueue(&message)) {
    if (message.message == WM_QUIT) {
      kept.push_back(message);
    } else if (!platform::IsInputMessage(message.message) && message.message != WM_CHAR &&
               message.message != WM_CLOSE) {
      DispatchMessageA(&message);
    }
  }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  platform::EchoMessageBox(text, caption);
  if (!platform::sdl::DisplayAvailable()) return IDOK;

  SDL_MessageBoxButtonData ok = {};
  ok.flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  ok.buttonid = IDOK;
  ok.text = "OK";
  const SDL_MessageBoxData box = BoxData(owner, text, caption, type, &ok);
  int pressed = 0;
  if (platform::Windows().empty()) {
    SDL_ShowMessageBox(&box, &pressed);  // nothing to keep alive meanwhile
    return IDOK;
  }
  std::atomic<bool> closed{false};
  std::thread shower([&] {
    SDL_ShowMessageBox(&box, &pressed);
    closed = true;
  });
  std::vector<MSG> kept;
  while (!closed) PumpWhileModal(kept);
  shower.join();
  for (const MSG& m : kept) platform::PostToQueue(m.hwnd, m.message, m.wParam, m.lParam);
  return IDOK;
}
