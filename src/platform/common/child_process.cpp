#include "platform/common/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace platform {
namespace {

std::string ReadAll(int fd) {
  std::string text;
  char block[4096];
  for (;;) {
    const ssize_t n = read(fd, block, sizeof block);
    if (n > 0) {
      text.append(block, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return text;
    }
  }
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ChildResult RunChildProcess(const std::vector<std::string>& argv) {
  ChildResult result;
  if (argv.empty()) return result;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (error != 0) {
    close(pipeEnds[0]);
    return result;
  }
  result.started = true;
  result.output = ReadAll(pipeEnds[0]);
  close(pipeEnds[0]);
  result.exitStatus = WaitForExit(pid);
  return result;
}

}  // namespace platform
