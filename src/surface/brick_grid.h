// The bricks of the display-list geometry: the volume cut into boxes a few
// dozen voxels a side, each direction's faces compiled one list a brick.
// A rebuild that changes a few voxels (a cut step, a hidden label, a
// threshold step) compiles again only the bricks near them and calls the
// others' lists as they were: compiling is what a rebuild costs.
#pragma once

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
  // 12 along an axis, since each list called costs the frame a little
  // (about 25 microseconds; fewer bricks make steps slower).
  static BrickGrid For(const VOXSPACE& volume);
  std::size_t Total() const { return std::size_t{count[0]} * count[1] * count[2]; }
  // Brick i's voxels lo .. hi-1 (i counts along x, then y, then z).
  void Box(std::size_t i, std::uint32_t (&lo)[3], std::uint32_t (&hi)[3]) const;
  bool operator==(const BrickGrid&) const = default;
};

// The lattice corners of the voxels of some bricks (those a rebuild
// compiles), as bit rows along x: where smooth shading needs normals.
class CornerRows {
 public:
  // The bricks b with skipped[b] == 0.
  CornerRows(const BrickGrid& grid, const std::vector<std::uint8_t>& skipped);
  // Bits x = 0 .. dimX of the corners of row (y, z); none when it has none.
  const std::uint64_t* Row(std::uint32_t y, std::uint32_t z) const;

 private:
  // Corner rows along an axis fall into classes: inside brick b (2b) or on
  // the side between bricks b - 1 and b (2b - 1).
  std::uint32_t ClassOf(int axis, std::uint32_t corner) const;

  BrickGrid grid_;
  std::size_t words_;
  std::uint32_t zClasses_;
  std::vector<std::uint64_t> bits_;  // per y class, then z class: words_ words
  std::vector<std::uint8_t> any_;
};

// Per brick, 1 where its geometry may differ between two volumes of the
// grid's dimensions: a voxel that differs lies within `reach` voxels of
// the brick (1: a face looks at its neighbour; smooth shading's normals
// look further).
std::vector<std::uint8_t> ChangedBricks(const VOXSPACE& before, const VOXSPACE& after,
                                        const BrickGrid& grid, std::uint32_t reach);

}  // namespace surface
