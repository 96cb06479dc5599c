// Feeds arbitrary bytes to the BMP reader (the part of the texture load
// before the upload) through an in-memory file: every path must end
// cleanly, with the pixels fully inside their buffer when it succeeds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "render/bmp_reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader logs every step on standard output; the fuzzer reports on stderr.
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = memfd_create("bmp", 0);
  static char path[64];
  if (!path[0]) std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
  if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();

  BmpPixels pixels;
  if (ReadBmpPixels(path, pixels)) {
    const std::size_t bytes = std::size_t(pixels.width) * std::size_t(pixels.height) * 3;
    volatile unsigned char last = pixels.bytes[bytes - 1];
    (void)last;
    std::free(pixels.bytes);
  }
  return 0;
}
