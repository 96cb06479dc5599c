// The bricks of the display-list geometry: the volume cut into boxes a few
// dozen voxels a side, each direction's faces compiled one list a brick.
// A rebuild that changes a few voxels (a cut step, a hidden label, a
// threshold step) compiles again only the bricks near them and calls the
// others' lists as they were: compiling is what a rebuild costs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "voxel/voxspace.h"

namespace surface {

struct BrickGrid {
  std::uint32_t dim[3] = {0, 0, 0};    // the volume's
  std::uint32_t edge = 1;              // voxels a side, the last brick of an axis shorter
  std::uint32_t count[3] = {0, 0, 0};  // bricks along each axis

  // The grid for a volume: bricks of at least 32 voxels a side and at most
  // 8 along an axis, since each list called costs the frame a little.
  static BrickGrid For(const VOXSPACE& volume);
  std::size_t Total() const { return std::size_t{count[0]} * count[1] * count[2]; }
  // Brick i's voxels lo .. hi-1 (i counts along x, then y, then z).
  void Box(std::size_t i, std::uint32_t (&lo)[3], std::uint32_t (&hi)[3]) const;
  bool operator==(const BrickGrid&) const = default;

  // Whether lattice corner (x, y, z) is a corner of a voxel of a brick i
  // for which of(i) holds; a corner on bricks' sides is each one's.
  template <class Of>
  bool CornerOf(std::uint32_t x, std::uint32_t y, std::uint32_t z, Of of) const {
    const std::uint32_t corner[3] = {x, y, z};
    std::uint32_t first[3], last[3];
    for (int axis = 0; axis < 3; ++axis) {
      const std::uint32_t at = corner[axis] / edge;
      last[axis] = std::min(at, count[axis] - 1);
      first[axis] = at == last[axis] && at > 0 && corner[axis] % edge == 0 ? at - 1 : last[axis];
    }
    for (std::uint32_t k = first[2]; k <= last[2]; ++k)
      for (std::uint32_t j = first[1]; j <= last[1]; ++j)
        for (std::uint32_t i = first[0]; i <= last[0]; ++i)
          if (of((std::size_t{k} * count[1] + j) * count[0] + i)) return true;
    return false;
  }
};

// Per brick, 1 where its geometry may differ between two volumes of the
// grid's dimensions: a voxel that differs lies within `reach` voxels of
// the brick (1: a face looks at its neighbour; smooth shading's normals
// look further).
std::vector<std::uint8_t> ChangedBricks(const VOXSPACE& before, const VOXSPACE& after,
                                        const BrickGrid& grid, std::uint32_t reach);

}  // namespace surface
