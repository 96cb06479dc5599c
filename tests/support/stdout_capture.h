// What the code under test writes on standard output, kept out of the test
// report: the descriptor is pointed at a temporary file for the while.
#pragma once

#include <string>

class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Puts standard output back and returns what was written meanwhile.
  std::string Finish();

 private:
  int saved_ = -1;
  int file_ = -1;
};

// The text `run()` writes on standard output.
template <typename Run>
std::string CaptureStdoutOf(Run run) {
  StdoutCapture capture;
  run();
  return capture.Finish();
}
