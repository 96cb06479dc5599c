// Scans whose voxels are not cubes, made into cubes for a CUB file: it has
// no voxel size, so the viewer draws its voxels as cubes, while it draws the
// scan itself at its true proportions. Nearest neighbour only, so labels
// stay labels.
#pragma once

#include <cstdint>
#include <string>

#include "volume_source.h"

// The grid of cubes a volume takes: each edge the smallest of the source's.
struct CubeGrid {
  bool resample = false;  // false when the edges agree within 1e-3
  double edge = 1;        // millimetres
  // Extents of the cubes, each at most 2^32 - 1; 0 where an axis would
  // reach beyond that.
  std::uint64_t dims[3] = {0, 0, 0};
};

// The grid for `volume` whose voxel edges along x, y and z are `spacing`
// millimetres. The viewer draws no face towards the border, so the outer
// layer stays one slice thick on every side: only the interior (source
// slices 1..n-2) is stretched, to round((n-2) s / edge) slices.
CubeGrid PlanCubes(const VoxelVolume& volume, const double (&spacing)[3]);

// `in` resampled onto `grid` into `out` (a buffer of its own): the outer
// layer from the source's outer layer, interior slice o from source slice
// 1 + floor((o - 0.5) (n-2) / (n'-2)). The size is checked against what a
// CUB file can hold before anything is allocated. An empty text on
// success, else why not, naming `path`.
std::string ResampleToCubes(const VoxelVolume& in, const CubeGrid& grid, VoxelVolume& out,
                            const std::string& path);
