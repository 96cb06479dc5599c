#include "process_memory.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string name(field);
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name, 0) == 0) return std::strtol(line.c_str() + name.size(), nullptr, 10);
  }
  return -1;
}

void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string RunSelf(const std::string& arguments) {
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " + arguments;
  std::string output;
  if (std::FILE* child = popen(command.c_str(), "r")) {
    char block[256];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, child)) > 0) output.append(block, n);
    pclose(child);
  }
  return output;
}
