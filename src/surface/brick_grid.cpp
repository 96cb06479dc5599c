#include "surface/brick_grid.h"

#include <algorithm>
#include <cstring>

namespace surface {
namespace {

constexpr std::uint32_t kSmallestEdge = 32;
constexpr std::uint32_t kMostPerAxis = 8;

std::uint32_t EdgeFor(std::uint32_t longest) {
  const std::uint32_t fitting = longest / kMostPerAxis + (longest % kMostPerAxis != 0);
  return std::max(kSmallestEdge, fitting);
}

}  // namespace

BrickGrid BrickGrid::For(const VOXSPACE& volume) {
  BrickGrid grid;
  grid.dim[0] = volume.dimX, grid.dim[1] = volume.dimY, grid.dim[2] = volume.dimZ;
  grid.edge = EdgeFor(std::max({volume.dimX, volume.dimY, volume.dimZ}));
  for (int axis = 0; axis < 3; ++axis)
    grid.count[axis] =
        static_cast<std::uint32_t>((std::uint64_t{grid.dim[axis]} + grid.edge - 1) / grid.edge);
  return grid;
}

void BrickGrid::Box(std::size_t i, std::uint32_t (&lo)[3], std::uint32_t (&hi)[3]) const {
  const std::size_t along[3] = {i % count[0], i / count[0] % count[1], i / count[0] / count[1]};
  for (int axis = 0; axis < 3; ++axis) {
    lo[axis] = static_cast<std::uint32_t>(along[axis] * edge);
    hi[axis] = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{lo[axis]} + edge, dim[axis]));
  }
}

std::vector<std::uint8_t> ChangedBricks(const VOXSPACE& before, const VOXSPACE& after,
                                        const BrickGrid& grid, std::uint32_t reach) {
  std::vector<std::uint8_t> changed(grid.Total(), 0);
  // The bricks along an axis whose reach covers voxels first .. last.
  auto bricks = [&](int axis, std::uint64_t first, std::uint64_t last, std::uint64_t& b0,
                    std::uint64_t& b1) {
    b0 = (first > reach ? first - reach : 0) / grid.edge;
    b1 = std::min<std::uint64_t>(grid.count[axis] - 1, (last + reach) / grid.edge);
  };
  const std::uint64_t dimX = grid.dim[0];
  for (std::uint64_t z = 0; z < grid.dim[2]; ++z) {
    for (std::uint64_t y = 0; y < grid.dim[1]; ++y) {
      const std::uint64_t row = (z * grid.dim[1] + y) * dimX;
      const std::uint8_t* a = before.data + row;
      const std::uint8_t* b = after.data + row;
      if (std::memcmp(a, b, dimX) == 0) continue;
      std::uint64_t first = 0, last = dimX - 1;
      while (a[first] == b[first]) ++first;
      while (a[last] == b[last]) --last;
      std::uint64_t x0, x1, y0, y1, z0, z1;
      bricks(0, first, last, x0, x1);
      bricks(1, y, y, y0, y1);
      bricks(2, z, z, z0, z1);
      for (std::uint64_t k = z0; k <= z1; ++k)
        for (std::uint64_t j = y0; j <= y1; ++j)
          std::fill_n(changed.begin() +
                          static_cast<std::ptrdiff_t>((k * grid.count[1] + j) * grid.count[0] + x0),
                      x1 - x0 + 1, std::uint8_t{1});
    }
  }
  return changed;
}

}  // namespace surface
