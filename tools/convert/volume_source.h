// The scalar volumes cubconvert reads: scans (NIfTI-1, NRRD, MetaImage,
// known by their content, through the viewer's own readers in voxel/) and
// raw files of a stated size and type.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "voxel/scan_layout.h"

// Turns each scalar value (scaling applied) into the CUB voxel byte.
using VoxelRule = std::function<std::uint8_t(double)>;

enum class RawType { kU8, kU16, kI16, kF32 };

struct RawLayout {
  std::uint32_t dimX = 0, dimY = 0, dimZ = 0;
  RawType type = RawType::kU8;
  bool bigEndian = false;
};

// One byte per voxel, x fastest, then y, then z. The buffer comes from
// calloc, which hands out untouched pages: memory is spent only as the
// input's values arrive, never on a size a header merely claims.
struct VoxelVolume {
  struct Free {
    void operator()(std::uint8_t* bytes) const { std::free(bytes); }
  };
  std::uint32_t dimX = 0, dimY = 0, dimZ = 0;
  std::unique_ptr<std::uint8_t, Free> voxels;

  std::uint64_t Count() const { return std::uint64_t{dimX} * dimY * dimZ; }
};

// Each returns an empty text on success, else what is wrong, naming the
// file. Only regular files are read. `progress` (0 to 1) is called now and
// then while a large input is read.
// A scan is turned as the viewer turns it, so the CUB file of its voxels
// shows the same picture; `facts` receives its voxel size along x, y, z.
std::string ReadScan(const std::string& path, const VoxelRule& rule, VoxelVolume& out,
                     VolumeFacts& facts);
std::string ReadRaw(const std::string& path, const RawLayout& layout, const VoxelRule& rule,
                    VoxelVolume& out, const std::function<void(double)>& progress);
