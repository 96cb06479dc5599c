// Feeds arbitrary bytes to the BMP reader (the part of the texture load
// before the upload) through an in-memory file: every path must end
// cleanly, with the pixels fully inside their buffer when it succeeds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "memory_file.h"
#include "render/bmp_reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader logs every step on standard output; the fuzzer reports on stderr.
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("bmp");
  const char* path = file.Hold(data, size);

  BmpPixels pixels;
  if (ReadBmpPixels(path, pixels)) {
    const std::size_t bytes = std::size_t(pixels.width) * std::size_t(pixels.height) * 3;
    volatile unsigned char last = pixels.bytes[bytes - 1];
    (void)last;
    std::free(pixels.bytes);
  }
  return 0;
}
