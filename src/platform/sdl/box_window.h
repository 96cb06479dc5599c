// A message box's window (drawn by a child process), as the owner's X
// connection sees it: when it goes, what the owner receives after that
// belongs to the time after the box, and the owner takes the focus back.
#pragma once

#include <SDL.h>
#include <sys/types.h>

namespace platform::sdl {

class BoxWindow {
 public:
  // Starts watching the top-level windows of the owner's X11 display; made
  // before the box's process starts, so its window's mapping cannot be
  // missed. Does nothing without an owner or off X11.
  explicit BoxWindow(SDL_Window* owner);
  ~BoxWindow();
  BoxWindow(const BoxWindow&) = delete;
  BoxWindow& operator=(const BoxWindow&) = delete;

  // The box's process, whose shown window is the box.
  void SetProcess(pid_t box) { pid_ = box; }
  // Notes the box's window when this event shows it; true when the event
  // says it was unmapped or destroyed: the events after it came after the
  // box.
  bool IsGoneEvent(const SDL_Event& event);
  // Gives the owner the focus when it fell to nobody (no window manager
  // to give it back), so the keys typed next reach it.
  void ReturnFocus() const;

 private:
  SDL_Window* owner_ = nullptr;
  void* display_ = nullptr;  // Display*, kept out of this header
  long rootEventsBefore_ = 0;
  unsigned long window_ = 0;  // the box's top-level window once shown
  pid_t pid_ = -1;
  Uint8 wmEventsBefore_ = SDL_DISABLE;
};

}  // namespace platform::sdl
