// SDL events to window messages.
#pragma once

#include <SDL.h>

namespace platform::sdl {

// Turns every pending SDL event into queued messages; with `wait`, first
// blocks until there is one (at most timeoutMs, or for ever when negative).
void PumpEvents(bool wait, int timeoutMs = -1);

// Turns one SDL event into queued messages (none for the events not listed
// in events.cpp).
void TranslateEvent(const SDL_Event& e);

// The Windows virtual-key code of an SDL key, 0 for keys without one here.
unsigned VirtualKeyOf(SDL_Keycode key);

}  // namespace platform::sdl
