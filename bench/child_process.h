// Runs a program as a child process and measures it as its user feels it:
// wall time from start to exit, and peak resident memory. posix_spawn, not
// system(): no shell stands between us and the program, so the time is the
// program's own and file names reach it unchanged.
#pragma once

#include <string>
#include <vector>

// What becomes of the child's standard output (its standard error stays
// ours, so that its complaints are seen).
enum class ChildOutput { kInherit, kDiscard, kCapture };

struct ChildRun {
  bool succeeded = false;  // started, and exited with status 0
  std::string failure;     // why not, when it did not
  double seconds = 0;      // wall time from spawn to reaped
  long peakKiB = 0;        // wait4's ru_maxrss
  std::string output;      // its standard output, with ChildOutput::kCapture
};

// arguments[0] is the program's path (no PATH search).
ChildRun RunChild(const std::vector<std::string>& arguments, ChildOutput output);
