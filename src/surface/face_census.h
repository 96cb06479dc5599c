// The face census: how many exposed faces each direction has among the
// interior voxels (indices 1 .. dim-2 on every axis). The surface object's
// CountFaces keeps them as its quad counts.
#pragma once

#include <array>
#include <cstdint>

#include "surface/surface_types.h"
#include "voxel/voxspace.h"

namespace surface {

// Per direction (FaceDirection order); all zero without an interior or for a
// volume recorded as unfilled (read without looking at its voxels).
std::array<std::uint64_t, kFaceDirections> CountExposedFaces(const VOXSPACE& volume);

}  // namespace surface
