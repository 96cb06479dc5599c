#include "platform/common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

int OpenRegularFile(const char* path, std::string& reason) {
  if (!path) {
    reason = "no file name";
    return -1;
  }
  // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a
  // writer; it is then refused as not a regular file.
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    reason = std::strerror(errno);
    return -1;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    reason = std::strerror(errno);
    close(fd);
    return -1;
  }
  if (!S_ISREG(status.st_mode)) {
    reason = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a regular file";
    close(fd);
    return -1;
  }
  // Reads of a regular file never block anyway; clear the flag so that
  // nothing downstream sees EAGAIN semantics.
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

std::FILE* OpenRegularFileStream(const char* path, std::string& reason) {
  const int fd = OpenRegularFile(path, reason);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "rb");
  if (!file) {
    reason = std::strerror(errno);
    close(fd);
  }
  return file;
}

}  // namespace platform
