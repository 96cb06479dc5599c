// Feeds arbitrary bytes to the CUB reader through an in-memory file: every
// path must end cleanly (no read or write outside a buffer, no leak), with
// or without a volume.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "memory_file.h"
#include "platform/headless/headless_control.h"
#include "voxel/cub_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("cub");
  static const bool quiet = (platform::headless::SetMessageBoxEcho(false), true);
  (void)quiet;
  const char* path = file.Hold(data, size);

  VOXSPACE* volume = LoadCub(path);
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
