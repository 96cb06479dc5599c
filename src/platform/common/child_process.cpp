#include "platform/common/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/common/display_environment.h"

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

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& t : texts) pointers.push_back(const_cast<char*>(t.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// This process's environment with the helper entries added or replaced.
std::vector<std::string> ChildEnvironment() {
  const std::vector<std::string> extra = HelperProgramEnvironment();
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

// The program's path as execvp would find it, looked up before the fork:
// the child may only make system calls between fork and exec.
std::string ProgramPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  const std::string directories = path ? path : "/bin:/usr/bin";
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(directories.find(':', start), directories.size());
    const std::string directory = end > start ? directories.substr(start, end - start) : ".";
    const std::string candidate = directory + "/" + name;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    if (end == directories.size()) return {};
    start = end + 1;
  }
}

// Runs argv with the helper environment, standard output to `output` (the
// write end of a pipe) or /dev/null when it is -1, standard error inherited
// or to /dev/null. The child asks for SIGTERM when this thread (the main
// thread, which lives to the process's end) goes, so no box or chooser
// stays on screen after the viewer was killed. Returns its pid, or -1 when
// it could not be run (the exec's error comes back through a pipe).
pid_t Spawn(const std::vector<std::string>& argv, int output, bool quietErrors) {
  if (argv.empty()) return -1;
  const std::string program = ProgramPath(argv[0]);
  if (program.empty()) return -1;
  std::vector<char*> args = Pointers(argv);
  const std::vector<std::string> environment = ChildEnvironment();
  std::vector<char*> environmentPointers = Pointers(environment);
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  int failure[2];
  if (devNull < 0 || pipe2(failure, O_CLOEXEC) != 0) {
    if (devNull >= 0) close(devNull);
    return -1;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // the parent ended before the line above
    const int out = output >= 0 ? output : devNull;
    if (dup2(out, STDOUT_FILENO) < 0 || (quietErrors && dup2(devNull, STDERR_FILENO) < 0) ||
        dup2(failure[1], STDERR_FILENO + 1) < 0 ||
        fcntl(STDERR_FILENO + 1, F_SETFD, FD_CLOEXEC) != 0)
      _exit(127);
    close_range(STDERR_FILENO + 2, ~0u, 0);  // only the standard streams and the error pipe
    execve(program.c_str(), args.data(), environmentPointers.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO + 1, &error, sizeof error);
    _exit(127);
  }
  close(devNull);
  close(failure[1]);
  int error = 0;
  ssize_t got = 0;
  do {
    got = pid > 0 ? read(failure[0], &error, sizeof error) : 0;
  } while (got < 0 && errno == EINTR);
  close(failure[0]);
  if (pid > 0 && got > 0) {
    WaitForExit(pid);
    return -1;
  }
  return pid;
}

}  // namespace

ChildResult RunChildProcess(const std::vector<std::string>& argv) {
  ChildResult result;
  int pipeEnds[2];
  if (argv.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0) return result;
  const pid_t pid = Spawn(argv, pipeEnds[1], false);
  close(pipeEnds[1]);
  if (pid < 0) {
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

bool BackgroundChild::Start(const std::vector<std::string>& argv) {
  if (pid_ > 0) return false;
  const pid_t pid = Spawn(argv, -1, true);
  if (pid < 0) return false;
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
