// Starts a program for end-to-end tests and waits for it with a deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct LaunchOptions {
  std::string workingDirectory;                                   // empty: the test's own
  std::map<std::string, std::optional<std::string>> environment;  // nullopt: removed
  std::string stdoutFile;                                         // empty: inherited
  std::string stderrFile;                                         // empty: inherited
};

class Process {
 public:
  Process(const std::vector<std::string>& argv, const LaunchOptions& options = {});
  ~Process();  // kills the program if it is still running
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // The exit code (128 + signal when killed by one), or none when the
  // deadline passed first.
  std::optional<int> WaitForExit(std::chrono::milliseconds deadline);
  bool Running();
  pid_t pid() const { return pid_; }
  // The program's peak resident memory, once it has ended.
  long PeakKilobytes() const { return peakKilobytes_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
  long peakKilobytes_ = 0;
};

// Runs a program to its end (with a deadline) and returns its exit code.
std::optional<int> RunToEnd(const std::vector<std::string>& argv,
                            std::chrono::milliseconds deadline = std::chrono::seconds(30));

std::string ReadTextFile(const std::string& path);

// Polls until the process has no child processes left (not even unreaped
// ones), or the deadline passes; true when it has none.
// User and system CPU time of a process, in clock ticks.
long CpuTicks(pid_t pid);

bool WaitUntilChildless(pid_t pid, std::chrono::milliseconds deadline = std::chrono::seconds(30));
