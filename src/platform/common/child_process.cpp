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

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return ExitCodeOf(status);
}

std::vector<char*> ArgumentPointers(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return args;
}

// This process's environment with the given entries added or replaced.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
  std::vector<std::string> entries(extra);
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || x.compare(0, name.size(), name) == 0;
    if (!replaced) entries.push_back(entry);
  }
  return entries;
}

}  // namespace

ChildResult RunChildProcess(const std::vector<std::string>& argv) {
  ChildResult result;
  if (argv.empty()) return result;
  std::vector<char*> args = ArgumentPointers(argv);

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclosefrom_np(&actions,
                                           STDERR_FILENO + 1);  // only the three standard streams
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

BackgroundChild::~BackgroundChild() {
  if (!Ended()) WaitForExit(pid_);
}

bool BackgroundChild::Start(const std::vector<std::string>& argv,
                            const std::vector<std::string>& extraEnvironment) {
  if (argv.empty() || pid_ > 0) return false;
  std::vector<char*> args = ArgumentPointers(argv);
  std::vector<std::string> environment = EnvironmentWith(extraEnvironment);
  std::vector<char*> environmentPointers = ArgumentPointers(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  pid_t pid = 0;
  const int error =
      posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environmentPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  pid_ = pid;
  return true;
}

bool BackgroundChild::Ended() {
  if (pid_ <= 0) return true;  // never started, or reaped already
  int status = 0;
  pid_t done = 0;
  do {
    done = waitpid(pid_, &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == 0) return false;
  exitStatus_ = done > 0 ? ExitCodeOf(status) : -1;
  pid_ = -1;  // reaped: nothing left to wait for
  return true;
}

}  // namespace platform
