#include "process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

void RedirectOrDie(const std::string& file, int fd) {
  if (file.empty()) return;
  const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || dup2(out, fd) < 0) _exit(126);
  close(out);
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

Process::Process(const std::vector<std::string>& argv, const LaunchOptions& options) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ > 0)
    setpgid(pid_, pid_);  // as the child does: no window in which a kill misses the group
  if (pid_ == 0) {
    setpgid(0, 0);  // its own group: whatever it starts (a box) ends with it
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
      _exit(126);
    for (const auto& [name, value] : options.environment) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    RedirectOrDie(options.stdoutFile, STDOUT_FILENO);
    RedirectOrDie(options.stderrFile, STDERR_FILENO);
    execvp(args[0], args.data());
    _exit(127);
  }
}

Process::~Process() {
  if (Running()) {
    kill(-pid_, SIGKILL);
    WaitForExit(std::chrono::seconds(5));
  }
}

bool Process::Running() {
  if (exitCode_ || pid_ <= 0) return false;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid_, &status, WNOHANG, &usage) == pid_) {
    exitCode_ = DecodeStatus(status);
    peakKilobytes_ = usage.ru_maxrss;
    return false;
  }
  return true;
}

std::optional<int> Process::WaitForExit(std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (Running()) {
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return exitCode_;
}

std::optional<int> RunToEnd(const std::vector<std::string>& argv,
                            std::chrono::milliseconds deadline) {
  Process process(argv);
  return process.WaitForExit(deadline);
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

// Whether some process in /proc names `parent` as its parent.
bool HasChild(pid_t parent) {
  DIR* proc = opendir("/proc");
  if (!proc) return false;
  bool found = false;
  while (const dirent* entry = readdir(proc)) {
    if (found || entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...: the name may hold blanks, the last ')' ends it.
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    long ppid = 0;
    rest >> state >> ppid;
    found = ppid == parent;
  }
  closedir(proc);
  return found;
}

}  // namespace

long CpuTicks(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(file, line);
  // Fields after the command's closing parenthesis; utime and stime are
  // the 14th and 15th of the whole line.
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

bool WaitUntilChildless(pid_t pid, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (HasChild(pid)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
