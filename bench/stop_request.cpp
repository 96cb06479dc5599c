#include "stop_request.h"

#include <signal.h>

#include <initializer_list>

namespace {

volatile sig_atomic_t stopRequested = 0;

void NoteStop(int) { stopRequested = 1; }

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = NoteStop;
  sigemptyset(&action.sa_mask);
  // The running child is still waited for (a terminal's Ctrl-C reaches it
  // too); the bench looks at the flag before it starts the next one.
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }
