#include "platform/common/huge_pages.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace platform {
namespace {

constexpr char kTunable[] = "glibc.malloc.hugetlb";

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

}  // namespace

void RestartWithHugePages(char** argv) {
  // The sanitizers bring their own allocator: the tunable would do nothing.
  if (kOwnAllocator || !argv || !argv[0]) return;
  const char* set = std::getenv("GLIBC_TUNABLES");
  if (set && std::strstr(set, kTunable)) return;
  if (!SystemHasHugePages()) return;
  const std::string before = set ? set : "";
  const std::string value = (before.empty() ? "" : before + ":") + kTunable + "=1";
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Still here: go on as started, with the environment as it was.
  if (set) {
    setenv("GLIBC_TUNABLES", before.c_str(), 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
}

}  // namespace platform
