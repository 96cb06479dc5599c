// Feeds arbitrary bytes to the MetaImage reader through an in-memory file,
// as the viewer loads it (recognition, then the volume): every path must
// end cleanly (no read or write outside a buffer, no leak, no hang), with
// or without a volume. Compressed data take zlib's path through the same
// file; a data file named beside the header is mostly absent.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "memory_file.h"
#include "platform/headless/headless_control.h"
#include "voxel/metaimage_reader.h"
#include "voxel/scan_samples.h"
#include "voxel/voxspace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("metaimage");
  static const bool quiet = (platform::headless::SetMessageBoxEcho(false), true);
  (void)quiet;
  const char* path = file.Hold(data, size);

  // Damaged headers are the interesting inputs: read whether or not the
  // bytes pass for MetaImage.
  const bool known = IsMetaImageFile(path);
  VOXSPACE* volume = nullptr;
  VolumeFacts facts;
  const std::string reason = ReadMetaImage(
      path, NonZeroLabel,
      [&volume](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
        volume = InitVoxSpace(x, y, z, 8);
        return volume ? volume->data : nullptr;
      },
      facts);
  if (reason.empty()) {
    // What loads must be known for MetaImage, or the viewer would never load it.
    if (!known || !volume) std::abort();
    // Every voxel the viewer may address must be inside the buffer.
    const std::uint64_t voxels = std::uint64_t{volume->dimX} * volume->dimY * volume->dimZ;
    if (voxels == 0 || volume->dataSize != voxels) std::abort();
    volatile unsigned char last = volume->data[voxels - 1];
    (void)last;
  }
  FreeVoxSpace(volume);
  platform::headless::ClearMessageBoxJournal();
  return 0;
}
