// Every message box is first written to standard error, whichever backend
// shows it (or none does), so a run without a display still reports it.
#pragma once

namespace platform {

// Writes "CAPTION: TEXT" and a line feed to standard error; a missing text
// or caption counts as empty.
void EchoMessageBox(const char* text, const char* caption);

}  // namespace platform
