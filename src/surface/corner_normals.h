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
//
// The normals are worked out once per build, for the corners where solid
// voxels meet empty ones (every corner of an exposed face, and only
// those), and looked up by the builders as they write each vertex.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "surface/surface_types.h"
#include "voxel/voxspace.h"

namespace surface {

// No normal looks further than this many voxels from its corner.
inline constexpr std::uint32_t kNormalReach = 3;

class CornerNormals {
 public:
  // The normals of `volume`, whose voxel edges are `spacing` millimetres
  // (each positive, as OGLcuberille::spacing holds them). By value, each
  // corner has one normal per non-zero value around it, from the voxels of
  // that value alone, so that neighbouring labels do not bend each other's
  // normals; otherwise one, from every non-zero voxel. None when the
  // memory cannot be had or there would be more than 2^32 - 1 normals.
  // With `wanted`, only the corners it names get normals (a rebuild that
  // compiles a few bricks); the others have the face's own. It gives the
  // corners of row (y, z) as bits x = 0 .. dimX, or none for none.
  using CornerFilter = std::function<const std::uint64_t*(std::uint32_t y, std::uint32_t z)>;
  static std::unique_ptr<CornerNormals> Build(const VOXSPACE& volume, const double (&spacing)[3],
                                              bool byValue, const CornerFilter& wanted = {});

  // The normal at lattice corner `corner` (the low corner of the voxel of
  // the same indices) for a face of `value` (used only by value) looking
  // in `direction`; the face's own normal where the voxels around the
  // corner are balanced (no surface to speak of) or the corner has none.
  PackedNormal At(const std::uint32_t (&corner)[3], std::uint8_t value,
                  FaceDirection direction) const;

  struct Entry {
    std::uint32_t x;
    std::uint8_t value;  // 0 unless by value
    std::int8_t normal[3];
  };

 private:
  CornerNormals() = default;

  bool byValue_ = false;
  std::uint64_t rowsPerPlane_ = 0;  // dimY + 1: rows of corners run along x
  std::uint64_t rows_ = 0;
  std::unique_ptr<std::uint32_t[]> rowStart_;  // rows_ + 1 entries
  std::unique_ptr<Entry[]> entries_;           // by row, then x, then value
};

}  // namespace surface
