// Runs a helper program (the desktop's file chooser) without a shell, so no
// text from the user or the record is ever interpreted as a command.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct ChildResult {
  bool started = false;  // false: the program could not be run (not installed, ...)
  int exitStatus = -1;   // the exit code; -1 when it ended by a signal
  std::string output;    // everything it wrote to standard output
};

// Runs argv[0] (looked up in PATH) with the given arguments, inherits
// standard error, collects standard output and waits for the end.
ChildResult RunChildProcess(const std::vector<std::string>& argv);

}  // namespace platform
