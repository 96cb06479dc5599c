#include "surface/brick_grid.h"

#include <algorithm>
#include <cstring>

namespace surface {
namespace {

constexpr std::uint32_t kSmallestEdge = 32;
constexpr std::uint32_t kMostPerAxis = 12;

// The scanners take sixteen voxels a step along x: edges are a multiple.
constexpr std::uint32_t kLanes = 16;

std::uint32_t EdgeFor(std::uint32_t longest) {
  const std::uint64_t fitting = (std::uint64_t{longest} + kMostPerAxis - 1) / kMostPerAxis;
  const std::uint64_t whole = (fitting + kLanes - 1) / kLanes * kLanes;
  return static_cast<std::uint32_t>(std::max<std::uint64_t>(kSmallestEdge, whole));
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

CornerRows::CornerRows(const BrickGrid& grid, const std::vector<std::uint8_t>& skipped)
    : grid_(grid),
      words_((std::size_t{grid.dim[0]} + 1 + 63) / 64),
      zClasses_(grid.count[2] ? 2 * grid.count[2] - 1 : 0) {
  const std::size_t yClasses = grid.count[1] ? 2 * grid.count[1] - 1 : 0;
  bits_.assign(yClasses * zClasses_ * words_, 0);
  any_.assign(yClasses * zClasses_, 0);
  // The classes of brick b's corners along an axis: its sides and inside.
  auto classes = [&](int axis, std::size_t b, std::size_t& first, std::size_t& last) {
    first = b > 0 ? 2 * b - 1 : 0;
    last = b + 1 < grid.count[axis] ? 2 * b + 1 : 2 * b;
  };
  for (std::size_t b = 0; b < grid.Total(); ++b) {
    if (skipped[b]) continue;
    std::uint32_t lo[3], hi[3];
    grid.Box(b, lo, hi);
    std::size_t y0, y1, z0, z1;
    classes(1, b / grid.count[0] % grid.count[1], y0, y1);
    classes(2, b / grid.count[0] / grid.count[1], z0, z1);
    for (std::size_t yc = y0; yc <= y1; ++yc)
      for (std::size_t zc = z0; zc <= z1; ++zc) {
        const std::size_t row = yc * zClasses_ + zc;
        any_[row] = 1;
        std::uint64_t* bits = &bits_[row * words_];
        for (std::uint32_t x = lo[0]; x <= hi[0]; ++x) bits[x >> 6] |= std::uint64_t{1} << (x & 63);
      }
  }
}

std::uint32_t CornerRows::ClassOf(int axis, std::uint32_t corner) const {
  const std::uint32_t b = corner / grid_.edge;
  if (b >= grid_.count[axis]) return 2 * (grid_.count[axis] - 1);  // the far side
  return corner % grid_.edge == 0 && b > 0 ? 2 * b - 1 : 2 * b;
}

const std::uint64_t* CornerRows::Row(std::uint32_t y, std::uint32_t z) const {
  if (any_.empty()) return nullptr;
  const std::size_t row = std::size_t{ClassOf(1, y)} * zClasses_ + ClassOf(2, z);
  return any_[row] ? &bits_[row * words_] : nullptr;
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
