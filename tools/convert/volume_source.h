// The scalar volumes cubconvert reads: NIfTI-1 files (plain or gzipped,
// through the viewer's own reader in voxel/nifti_reader) and raw files of a
// stated size and type.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cub_writer.h"

// Turns each scalar value (scaling applied) into the CUB voxel byte.
using VoxelRule = std::function<std::uint8_t(double)>;

enum class RawType { kU8, kU16, kI16, kF32 };

struct RawLayout {
  std::uint32_t dimX = 0, dimY = 0, dimZ = 0;
  RawType type = RawType::kU8;
  bool bigEndian = false;
};

// Each returns an empty text on success, else what is wrong. `progress`
// (0 to 1) is called now and then while a large input is read.
std::string ReadNifti(const std::string& path, const VoxelRule& rule, CubVolume& out);
std::string ReadRaw(const std::string& path, const RawLayout& layout, const VoxelRule& rule,
                    CubVolume& out, const std::function<void(double)>& progress);
