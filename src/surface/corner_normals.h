// Smooth shading's normals. Each face stays an exact cube face; only its
// shading follows the surface, through a normal at each corner of the
// voxel lattice estimated from the voxels around it: the first moment of
// the solid voxels of the block centred on the corner (the sum of each
// solid voxel centre's offset from the corner) points into the solid, so
// the normal is its reverse. The block is 6 voxels along the axes of the
// smallest edge and about as long in millimetres along the others; the
// moment is taken to millimetres by the spacing and the block's shape and
// made unit length. On a voxelised sphere of radius 40 it is 4.4 degrees
// off the true normal on average (95% within 7.5), where differences of
// occupancy over 2, 4 or 6 voxels are 5 to 17 degrees off.
#pragma once

#include <cstdint>

#include "voxel/voxspace.h"

namespace surface {

// Which voxels count as solid around a corner: every non-zero one (label
// 0), or, with colours by value, those of the face's own value, so that
// neighbouring labels do not bend each other's normals.
struct CornerNormalRule {
  std::uint8_t label = 0;
};

// The normal at the lattice corner (x, y, z), the low corner of voxel
// (x, y, z) (each index at most the dimension), in the volume's axes with
// voxel edges of `spacing` millimetres (each positive, as
// OGLcuberille::spacing holds them); unit length, or (0, 0, 0) where the
// block is balanced (no surface to speak of). Voxels outside the volume
// count as empty.
void CornerNormal(const VOXSPACE& volume, const double (&spacing)[3], std::uint32_t x,
                  std::uint32_t y, std::uint32_t z, CornerNormalRule rule, float (&normal)[3]);

}  // namespace surface
