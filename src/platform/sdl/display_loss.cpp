// SDL backend: losing the display.
// Supports: an X11 display that goes away under the program (the server
//           ended or killed) at any moment: drawing, idle, in a message box,
//           during a build. One line on standard error, then exit code 1:
//           through exit() on the main thread (destructors run; SDL_Quit is
//           skipped, it would wait for ever on the dead connection), else
//           at the latest a second after the loss was noticed. SIGPIPE
//           from a write to the dead server is caught for that.
// Not supported: Wayland (its library ends the program itself); getting
//           the display back.
#include "platform/sdl/display_loss.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace platform::sdl {
namespace {

std::atomic<bool> lost{false};
std::atomic<bool> exiting{false};         // exit() has begun, the program's or ours
std::atomic<bool> exitingForLoss{false};  // ours, with code 1
std::thread::id mainThread;

constexpr auto kDeadline = std::chrono::seconds(1);

// Another thread noticed, or exit() itself got stuck: the process ends
// anyway, with the same code.
void StartDeadline() {
  std::thread([] {
    std::this_thread::sleep_for(kDeadline);
    std::fflush(nullptr);
    _exit(1);
  }).detach();
}

[[noreturn]] void EndForLostDisplay(Display* display) {
  if (!lost.exchange(true)) {
    const char* name = display ? DisplayString(display) : "";
    std::fprintf(stderr, "%s: the display %s is gone; ending\n", program_invocation_short_name,
                 name ? name : "");
    std::fflush(stderr);
    StartDeadline();
  }
  if (std::this_thread::get_id() == mainThread) {
    if (!exiting.exchange(true)) {
      exitingForLoss = true;
      std::exit(1);
    }
    _exit(1);  // noticed by the exit's own handlers: nothing is left to do in order
  }
  // Xlib ends the process when this handler returns; the main thread
  // (which owns the process-wide objects) ends it instead, or the deadline.
  for (;;) pause();
}

int OnIoError(Display* display) { EndForLostDisplay(display); }

void OnBrokenPipe(int) {}

// Reads (and drops) what the server sends on the watching connection: a
// keyboard mapping change reaches every client. Reading a closed
// connection calls OnIoError.
void Watch(Display* display) {
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  for (;;) {
    if (poll(&connection, 1, -1) < 0) continue;  // EINTR
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
    }
  }
}

}  // namespace

void WatchForDisplayLoss() {
  mainThread = std::this_thread::get_id();
  XSetIOErrorHandler(OnIoError);
  // A write to a killed server raises SIGPIPE, which would end the process
  // before Xlib sees the error. A handler (not SIG_IGN, which the helper
  // programs would inherit) turns it into the error.
  struct sigaction broken {};
  if (sigaction(SIGPIPE, nullptr, &broken) == 0 && broken.sa_handler == SIG_DFL) {
    broken.sa_handler = OnBrokenPipe;
    broken.sa_flags = SA_RESTART;
    sigemptyset(&broken.sa_mask);
    sigaction(SIGPIPE, &broken, nullptr);
  }
  if (Display* display = XOpenDisplay(nullptr)) std::thread(Watch, display).detach();
}

void QuitVideo() {
  exiting = true;
  if (!lost) {
    SDL_Quit();
  } else if (!exitingForLoss) {
    // The program was ending with its own code when another thread saw
    // the display go: the loss decides the code.
    std::fflush(nullptr);
    _exit(1);
  }
}

}  // namespace platform::sdl
