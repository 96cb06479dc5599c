// Ending the program when its X display goes away (the server ended or
// was killed): one line on standard error, exit code 1, within a second.
#pragma once

namespace platform::sdl {

// Installs the X I/O error handler and starts a thread that watches a
// connection of its own to the display, so a loss is noticed even while
// the main thread makes no X call (a long build). Called once, by the main
// thread, when SDL's X11 video has started.
void WatchForDisplayLoss();

// SDL_Quit, skipped once the display is gone: SDL would wait for ever for
// a reply on the broken connection. Registered with atexit.
void QuitVideo();

}  // namespace platform::sdl
