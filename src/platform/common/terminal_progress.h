// A progress bar on standard error for long work: drawn only when standard
// error is a terminal and the work has taken over a second, redrawn at
// most ten times a second, and cleared when the work ends, so logs and
// pipes never see it.
#pragma once

#include <chrono>
#include <string>

namespace platform {

class TerminalProgress {
 public:
  explicit TerminalProgress(std::string what);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // The share done, 0 to 1.
  void Update(double share);

 private:
  std::string what_;
  bool terminal_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point start_, lastDrawn_;
};

}  // namespace platform
