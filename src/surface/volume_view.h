// Index arithmetic over a VOXSPACE in 64 bits: voxel (x, y, z) is byte
// x + y*dimX + z*dimX*dimY. The interior (indices 1 .. dim-2 on every axis)
// exists only when every dimension is at least 3, so no loop bound is ever
// computed from a wrapped dim - 2.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/direction_tables.h"
#include "voxel/voxspace.h"

namespace surface {

struct VolumeView {
  const std::uint8_t* data;
  std::uint32_t dim[3];
  std::ptrdiff_t stride[3];  // 1, dimX, dimX*dimY

  explicit VolumeView(const VOXSPACE& volume)
      : data(volume.data),
        dim{volume.dimX, volume.dimY, volume.dimZ},
        stride{1, static_cast<std::ptrdiff_t>(volume.dimX),
               static_cast<std::ptrdiff_t>(std::uint64_t{volume.dimX} * volume.dimY)} {}

  bool HasInterior() const { return dim[0] >= 3 && dim[1] >= 3 && dim[2] >= 3; }
  // Interior indices along an axis run 1 .. InteriorEnd - 1 (empty below 3).
  std::uint32_t InteriorEnd(int axis) const { return dim[axis] >= 3 ? dim[axis] - 1 : 1; }
  std::ptrdiff_t Index(std::uint32_t x, std::uint32_t y, std::uint32_t z) const {
    return static_cast<std::ptrdiff_t>(x) + static_cast<std::ptrdiff_t>(y) * stride[1] +
           static_cast<std::ptrdiff_t>(z) * stride[2];
  }

  // The box lo .. hi-1 (each within the view) seen on its own: its voxel
  // (0, 0, 0) is this view's lo, its rows stay those of the whole volume.
  VolumeView Part(const std::uint32_t (&lo)[3], const std::uint32_t (&hi)[3]) const {
    VolumeView part = *this;
    part.data = data + Index(lo[0], lo[1], lo[2]);
    for (int axis = 0; axis < 3; ++axis) part.dim[axis] = hi[axis] - lo[axis];
    return part;
  }
};

// The world position of the low corner of voxel index i along an axis:
// size * (i - dim/2), the exact half, in single precision. For a part of
// the volume, i counts from the part's first voxel, `origin` in the whole.
struct Placement {
  float size[3];
  float half[3];
  std::uint32_t origin[3] = {0, 0, 0};

  Placement(const VolumeView& whole, const float voxelSize[3])
      : size{voxelSize[0], voxelSize[1], voxelSize[2]},
        half{static_cast<float>(whole.dim[0]) * 0.5f, static_cast<float>(whole.dim[1]) * 0.5f,
             static_cast<float>(whole.dim[2]) * 0.5f} {}
  Placement(const VolumeView& whole, const float voxelSize[3], const std::uint32_t (&partOrigin)[3])
      : Placement(whole, voxelSize) {
    for (int axis = 0; axis < 3; ++axis) origin[axis] = partOrigin[axis];
  }

  float Corner(int axis, std::uint32_t index) const {
    return size[axis] * (static_cast<float>(index + origin[axis]) - half[axis]);
  }
};

}  // namespace surface
