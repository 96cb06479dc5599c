// Volumes for surface tests, made in memory.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <random>

#include "voxel/voxspace.h"

struct VolumeDeleter {
  void operator()(VOXSPACE* v) const { FreeVoxSpace(v); }
};
using VolumePtr = std::unique_ptr<VOXSPACE, VolumeDeleter>;

inline std::uint8_t& VoxelAt(VOXSPACE& v, std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  return v.data[x + std::size_t{v.dimX} * (y + std::size_t{v.dimY} * z)];
}

// An empty volume with the listed voxels set to 1.
inline VolumePtr MakeVolume(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                            std::initializer_list<std::array<std::uint32_t, 3>> solid = {}) {
  VolumePtr v(InitVoxSpace(dimX, dimY, dimZ, 8));
  for (const auto& p : solid) VoxelAt(*v, p[0], p[1], p[2]) = 1;
  return v;
}

// Every voxel solid with the given probability; solid bytes vary (any
// non-zero value is solid).
inline VolumePtr RandomVolume(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                              double density, std::uint32_t seed) {
  VolumePtr v = MakeVolume(dimX, dimY, dimZ);
  std::mt19937 random(seed);
  std::bernoulli_distribution solid(density);
  std::uniform_int_distribution<int> value(1, 255);
  const std::size_t n = std::size_t{dimX} * dimY * dimZ;
  for (std::size_t i = 0; i < n; ++i)
    v->data[i] = solid(random) ? static_cast<std::uint8_t>(value(random)) : 0;
  return v;
}
