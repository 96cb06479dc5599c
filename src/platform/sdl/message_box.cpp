// SDL backend: message boxes.
// Supports: MessageBoxA with MB_OK, MB_ICONERROR, MB_TOPMOST; the line on
//           standard error first; a real box with an OK button on an X11 or
//           Wayland display, modal in the Win32 sense: the box is drawn by
//           a child process (zenity, which lays out tabs at tab stops),
//           attached to the owner window, and while it is open this thread
//           keeps dispatching the windows' paint, size, move and activation
//           messages and drops their keyboard and mouse input until the
//           box's window goes (what comes after reaches the owner, which
//           takes the focus back when nobody else has it; the box's
//           process ends with the viewer's). No other thread ever calls
//           SDL. Without zenity, SDL's own box on this thread (the owner
//           is not repainted meanwhile, and tabs show as glyphs). Without
//           a display, the line only.
// Not supported: buttons other than OK; the box's own position.
#include <SDL.h>
#include <SDL_syswm.h>

#include <string>
#include <vector>

#include "platform/common/child_process.h"
#include "platform/common/message_box_echo.h"
#include "platform/common/window_record.h"
#include "platform/sdl/box_window.h"
#include "platform/sdl/display.h"
#include "platform/sdl/events.h"
#include "platform/winapi.h"

namespace {

SDL_Window* NativeOwner(HWND owner) {
  return platform::IsWindowRecord(owner) ? static_cast<SDL_Window*>(owner->native) : nullptr;
}

// The X11 id of the owner's window, or 0 (no owner, or not on X11).
unsigned long X11WindowOf(HWND owner) {
  SDL_Window* native = NativeOwner(owner);
  if (!native) return 0;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(native, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return static_cast<unsigned long>(info.info.x11.window);
}

std::vector<std::string> ZenityArguments(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  // The text is passed as it is: without markup zenity shows it literally.
  std::vector<std::string> args = {"zenity",
                                   (type & MB_ICONERROR) ? "--error" : "--info",
                                   std::string("--title=") + (caption ? caption : ""),
                                   std::string("--text=") + (text ? text : ""),
                                   "--no-markup",
                                   "--no-wrap"};
  if (const unsigned long window = X11WindowOf(owner)) {
    args.push_back("--attach=" + std::to_string(window));
    args.push_back("--modal");
  }
  return args;
}

// Dispatches what the windows must still get while a box is open; input
// waits for nobody (dropped), the quit message is kept for the main loop.
void DispatchModal(std::vector<MSG>& kept) {
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

// Handles the pending events (with `wait`, first waits up to 10 ms for
// one) up to the one saying the box's window went; true when it came.
// What follows it stays queued for the main loop: it came after the box.
bool PumpWhileModal(platform::sdl::BoxWindow& window, std::vector<MSG>& kept, bool wait) {
  SDL_Event e;
  for (bool got = wait ? SDL_WaitEventTimeout(&e, 10) == 1 : SDL_PollEvent(&e) == 1; got;
       got = SDL_PollEvent(&e) == 1) {
    if (window.IsGoneEvent(e)) return true;
    platform::sdl::TranslateEvent(e);
    DispatchModal(kept);
  }
  return false;
}

// A box whose window went but whose process runs on (hidden, not closed)
// is modal again after this long.
constexpr Uint32 kEndAfterWindowMs = 1000;

// The box in a child process; false when zenity could not be run or ended
// without showing one (0 is OK, 1 the box closed otherwise).
bool ShowToolkitBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  platform::sdl::BoxWindow window(NativeOwner(owner));
  platform::BackgroundChild box;
  if (!box.Start(ZenityArguments(owner, text, caption, type))) return false;
  window.SetProcess(box.pid());
  std::vector<MSG> kept;
  bool gone = false;
  Uint32 goneAt = 0;
  while (!box.Ended()) {
    if (gone && SDL_GetTicks() - goneAt < kEndAfterWindowMs) {
      SDL_Delay(2);  // its process is ending; the events wait in order
    } else if (platform::Windows().empty()) {
      SDL_Delay(10);  // nothing to keep alive meanwhile
    } else if (PumpWhileModal(window, kept, true)) {
      gone = true;
      goneAt = SDL_GetTicks();
      window.ReturnFocus();
    }
  }
  if (!gone) {
    // The window's end was not seen: input sent to the owner before the
    // box closed may still wait in the connection; it belongs to the modal
    // time and is dropped too.
    if (!platform::Windows().empty()) PumpWhileModal(window, kept, false);
    window.ReturnFocus();
  }
  for (const MSG& m : kept) platform::PostToQueue(m.hwnd, m.message, m.wParam, m.lParam);
  return box.exitStatus() == 0 || box.exitStatus() == 1;
}

void ShowSdlBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  SDL_MessageBoxButtonData ok = {};
  ok.flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  ok.buttonid = IDOK;
  ok.text = "OK";
  SDL_MessageBoxData box = {};
  box.flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  box.window = NativeOwner(owner);
  box.title = caption ? caption : "";
  box.message = text ? text : "";
  box.numbuttons = 1;
  box.buttons = &ok;
  int pressed = 0;
  SDL_ShowMessageBox(&box, &pressed);
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  platform::EchoMessageBox(text, caption);
  if (!platform::sdl::DisplayAvailable()) return IDOK;
  if (!ShowToolkitBox(owner, text, caption, type)) ShowSdlBox(owner, text, caption, type);
  return IDOK;
}
