#include "platform/common/huge_pages.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace platform {
namespace {

constexpr char kTunable[] = "glibc.malloc.hugetlb";
constexpr char kAdded[] = "glibc.malloc.hugetlb=1";
// Set across the restart: "set" when the tunables had a value before (the
// restart appended to it), "unset" when they had none.
constexpr char kRestartMark[] = "QARMEL_HUGE_PAGE_RESTART";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOwnAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOwnAllocator = true;
#else
constexpr bool kOwnAllocator = false;
#endif
#else
constexpr bool kOwnAllocator = false;
#endif

bool SystemHasHugePages() {
  std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  return std::getline(setting, modes) && modes.find("[never]") == std::string::npos;
}

// The file argv[0] names, as the shell found it: as it is when it holds a
// '/', else through PATH. Empty when none.
std::string ProgramFile(const std::string& name) {
  struct stat info {};
  if (name.find('/') != std::string::npos) return stat(name.c_str(), &info) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  const std::string directories = path ? path : "/bin:/usr/bin";
  for (size_t start = 0; start <= directories.size();) {
    size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    const std::string directory = end > start ? directories.substr(start, end - start) : ".";
    const std::string candidate = directory + "/" + name;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return "";
}

// Whether `file` is the running executable itself. Under a launcher (the
// dynamic loader run as a program, valgrind) the running executable is the
// launcher: starting that again with our arguments would fail.
bool IsRunningExecutable(const std::string& file) {
  struct stat running {
  }, named{};
  return !file.empty() && stat("/proc/self/exe", &running) == 0 &&
         stat(file.c_str(), &named) == 0 && running.st_dev == named.st_dev &&
         running.st_ino == named.st_ino;
}

// After the restart: the tunables are read, so the environment goes back
// to what the user gave, and helper programs do not inherit the setting.
void RestoreEnvironment(const char* mark) {
  const char* now = std::getenv("GLIBC_TUNABLES");
  const std::string value = now ? now : "";
  const std::string appended = std::string(":") + kAdded;
  if (std::strcmp(mark, "unset") == 0 && value == kAdded) {
    unsetenv("GLIBC_TUNABLES");
  } else if (std::strcmp(mark, "set") == 0 && value.size() >= appended.size() &&
             value.compare(value.size() - appended.size(), appended.size(), appended) == 0) {
    setenv("GLIBC_TUNABLES", value.substr(0, value.size() - appended.size()).c_str(), 1);
  } else if (std::strcmp(mark, "set") == 0 && value == kAdded) {
    setenv("GLIBC_TUNABLES", "", 1);
  }
  unsetenv(kRestartMark);
}

}  // namespace

void RestartWithHugePages(char** argv) {
  if (const char* mark = std::getenv(kRestartMark)) {
    RestoreEnvironment(mark);
    return;
  }
  // The sanitizers bring their own allocator: the tunable would do nothing.
  if (kOwnAllocator || !argv || !argv[0]) return;
  const char* set = std::getenv("GLIBC_TUNABLES");
  if (set && std::strstr(set, kTunable)) return;
  if (!SystemHasHugePages()) return;
  // Started again by its own name, the process keeps its name (top, pgrep)
  // and its argv[0].
  const std::string self = ProgramFile(argv[0]);
  if (!IsRunningExecutable(self)) return;
  const std::string before = set ? set : "";
  const std::string value = (before.empty() ? "" : before + ":") + kAdded;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0 ||
      setenv(kRestartMark, set ? "set" : "unset", 1) != 0)
    return;
  execv(self.c_str(), argv);
  // Still here: go on as started, with the environment as it was.
  if (set) {
    setenv("GLIBC_TUNABLES", before.c_str(), 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
  unsetenv(kRestartMark);
}

}  // namespace platform
