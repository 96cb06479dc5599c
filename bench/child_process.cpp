#include "child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// posix_spawn wants a null-terminated array of mutable strings.
std::vector<char*> ArgumentPointers(const std::vector<std::string>& arguments) {
  std::vector<char*> pointers;
  for (const std::string& a : arguments) pointers.push_back(const_cast<char*>(a.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// Read to the end before reaping: a child writing more than a pipe holds
// would otherwise wait for us forever.
std::string ReadToEnd(int fd) {
  std::string text;
  char block[4096];
  for (;;) {
    const ssize_t n = read(fd, block, sizeof block);
    if (n > 0) {
      text.append(block, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return text;
    }
  }
}

std::string DescribeStatus(int status) {
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("killed by signal ") + strsignal(WTERMSIG(status));
  return "ended oddly";
}

// A signal meant for the bench interrupts wait4; the child must still be
// reaped (and measured), so the wait goes on.
void Reap(pid_t pid, ChildRun& run) {
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      run.failure = std::string("wait4: ") + std::strerror(errno);
      return;
    }
  }
  // The spawned child shares this process's memory until its exec, and the
  // kernel keeps the larger of that peak and the program's own: the bench
  // stays far smaller than what it measures, so this is the program's.
  run.peakKiB = usage.ru_maxrss;
  run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!run.succeeded) run.failure = DescribeStatus(status);
}

}  // namespace

ChildRun RunChild(const std::vector<std::string>& arguments, ChildOutput output) {
  ChildRun run;
  int pipeEnds[2] = {-1, -1};
  if (output == ChildOutput::kCapture && pipe2(pipeEnds, O_CLOEXEC) != 0) {
    run.failure = std::string("pipe: ") + std::strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output == ChildOutput::kDiscard) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  } else if (output == ChildOutput::kCapture) {
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  }
  std::vector<char*> argv = ArgumentPointers(arguments);
  pid_t pid = 0;
  const auto start = Clock::now();
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output == ChildOutput::kCapture) close(pipeEnds[1]);  // so that its end shows as end of file
  if (spawned == 0) {
    if (output == ChildOutput::kCapture) run.output = ReadToEnd(pipeEnds[0]);
    Reap(pid, run);
  } else {
    run.failure = std::string("cannot start: ") + std::strerror(spawned);
  }
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (output == ChildOutput::kCapture) close(pipeEnds[0]);
  return run;
}
