// One fuzz run of a scan reader: arbitrary bytes through an in-memory
// file, as the viewer loads them (recognition, then the volume). Every
// path must end cleanly (no read or write outside a buffer, no leak, no
// hang), with or without a volume; damaged headers are the interesting
// inputs, so the reader runs whether or not the bytes pass for its format.
// A detached header's data file is looked for beside the in-memory file
// and is mostly absent.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "memory_file.h"
#include "platform/headless/headless_control.h"
#include "voxel/scan_layout.h"
#include "voxel/scan_samples.h"
#include "voxel/voxspace.h"

using ScanRecogniser = bool (*)(const char* path);
using ScanReader = std::string (*)(const std::string& path, const ScanVoxelRule& rule,
                                   const ScanVoxelBuffer& buffer, VolumeFacts& facts);

inline int FuzzScanReader(MemoryFile& file, const std::uint8_t* data, std::size_t size,
                          ScanRecogniser recognise, ScanReader read) {
  static const bool quiet = (platform::headless::SetMessageBoxEcho(false), true);
  (void)quiet;
  const char* path = file.Hold(data, size);
  const bool known = recognise(path);
  VOXSPACE* volume = nullptr;
  VolumeFacts facts;
  const std::string reason = read(
      path, NonZeroLabel,
      [&volume](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
        volume = InitVoxSpace(x, y, z, 8);
        return volume ? volume->data : nullptr;
      },
      facts);
  if (reason.empty()) {
    // What loads must be known for its format, or the viewer would never
    // load it.
    if (!known || !volume) std::abort();
    // Every voxel the viewer may address must be inside the buffer.
    const std::uint64_t voxels = std::uint64_t{volume->dimX} * volume->dimY * volume->dimZ;
    if (voxels == 0 || volume->dataSize != voxels) std::abort();
    volatile unsigned char last = volume->data[voxels - 1];
    (void)last;
  } else if (reason.find("/proc/self/fd/") == std::string::npos) {
    std::abort();  // a failure always names the file
  }
  FreeVoxSpace(volume);
  platform::headless::ClearMessageBoxJournal();
  return 0;
}
