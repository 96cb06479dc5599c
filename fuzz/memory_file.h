// The fuzz input as a file the readers can open by path: an in-memory file
// (memfd) rewritten for each input, named through /proc/self/fd.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {
    if (fd_ < 0) std::abort();
    std::snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd_);
  }
  // Holds exactly these bytes from now on; returns the path to open.
  const char* Hold(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    if (size > 0 && pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    return path_;
  }

 private:
  int fd_;
  char path_[64] = {};
};
