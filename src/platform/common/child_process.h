// Runs helper programs (the desktop's file chooser, message boxes) without a
// shell, so no text from the user or the record is ever interpreted as a
// command. Each child is ended (SIGTERM) when this process ends, however
// it ends, and gets this process's environment with the helper entries of
// HelperProgramEnvironment.
#pragma once

#include <sys/types.h>

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

// A helper program that runs while this one goes on: a message box that
// the main thread waits for while it keeps its own windows painted. Its
// output goes nowhere; the destructor waits for its end.
class BackgroundChild {
 public:
  BackgroundChild() = default;
  ~BackgroundChild();
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;

  // Starts argv[0] (looked up in PATH) without a shell; false when it could
  // not be run.
  bool Start(const std::vector<std::string>& argv);
  // Whether it has ended (it is then reaped); never blocks.
  bool Ended();
  // Its exit code once ended; -1 when it ended by a signal or never ran.
  int exitStatus() const { return exitStatus_; }
  // Its process id while it runs, else -1.
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int exitStatus_ = -1;
};

}  // namespace platform
