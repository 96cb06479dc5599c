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

// A helper program that runs while this one goes on: a message box that
// the main thread waits for while it keeps its own windows painted. Its
// output goes nowhere; the destructor waits for its end.
class BackgroundChild {
 public:
  BackgroundChild() = default;
  ~BackgroundChild();
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;

  // Starts argv[0] (looked up in PATH) without a shell, with the extra
  // environment entries ("NAME=VALUE", each replacing a variable of that
  // name); false when it could not be run.
  bool Start(const std::vector<std::string>& argv,
             const std::vector<std::string>& extraEnvironment = {});
  // Whether it has ended (it is then reaped); never blocks.
  bool Ended();
  // Its exit code once ended; -1 when it ended by a signal or never ran.
  int exitStatus() const { return exitStatus_; }

 private:
  int pid_ = -1;
  int exitStatus_ = -1;
};

}  // namespace platform
