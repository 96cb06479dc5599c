// Feeds arbitrary bytes to the CUB reader through an in-memory file: every
// path must end cleanly (no read or write outside a buffer, no leak), with
// or without a volume.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/headless/headless_control.h"
#include "voxel/cub_reader.h"

namespace {

struct MemoryFile {
  int fd = memfd_create("cub", 0);
  char path[64] = {};
  MemoryFile() {
    if (fd < 0) std::abort();
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
  static const bool quiet = (platform::headless::SetMessageBoxEcho(false), true);
  (void)quiet;
  if (ftruncate(file.fd, 0) != 0) std::abort();
  if (size > 0 && pwrite(file.fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();

  VOXSPACE* volume = LoadCub(file.path);
  if (volume) {
    // Every voxel byte the viewer may address must be inside the buffer.
    const std::uint64_t voxels = std::uint64_t{volume->dimX} * volume->dimY * volume->dimZ;
    if (voxels > 0 && voxels <= (std::uint64_t{1} << 20)) {
      volatile unsigned char last = volume->data[voxels - 1];
      (void)last;
      MirrorVoxSpaceZ(volume);
    }
  }
  FreeVoxSpace(volume);
  platform::headless::ClearMessageBoxJournal();
  return 0;
}
