// Feeds arbitrary bytes to the NRRD reader through an in-memory file, as
// the viewer reads it (recognition, then the volume): every path must end
// cleanly (no read or write outside a buffer, no leak, no hang), with or
// without a volume. A detached header's data file is looked for beside
// the in-memory file and is mostly absent.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "memory_file.h"
#include "voxel/nrrd_reader.h"
#include "voxel/scan_samples.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("nrrd");
  const char* path = file.Hold(data, size);

  // Damaged headers are the interesting inputs: read whether or not the
  // bytes pass for NRRD.
  const bool known = IsNrrdFile(path);
  unsigned char* volume = nullptr;
  std::uint64_t voxels = 0;
  VolumeFacts facts;
  const std::string reason = ReadNrrd(
      path, NonZeroLabel,
      [&](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        voxels = std::uint64_t{x} * y * z;
        volume = static_cast<unsigned char*>(std::malloc(voxels));
        return volume;
      },
      facts);
  if (reason.empty()) {
    // What loads must be known for NRRD, or the viewer would never load it.
    if (!known || voxels == 0 || !volume) std::abort();
    // Every voxel the viewer may address is inside the buffer.
    volatile unsigned char last = volume[voxels - 1];
    (void)last;
  } else if (reason.find("/proc/self/fd/") == std::string::npos) {
    std::abort();  // a failure always names the file
  }
  std::free(volume);
  return 0;
}
