// The voxel under a pixel: where a ray from the eye first passes from an
// empty voxel (or from outside the volume) into a solid voxel of the
// interior, which is where the surface has the face the eye sees. Border
// voxels never get faces, so they are never picked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "voxel/voxspace.h"

// `origin` and `direction` in grid units: voxel i spans [i, i + 1) on each
// axis. None when the ray meets no such voxel.
std::optional<std::array<std::uint32_t, 3>> PickVoxel(const VOXSPACE& volume,
                                                      const double origin[3],
                                                      const double direction[3]);
