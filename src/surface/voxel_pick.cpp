#include "surface/voxel_pick.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The ray's parameters where it enters and leaves the box [0, dim]; false
// when it misses it.
bool ClipToBox(const double dim[3], const double origin[3], const double direction[3],
               double& enter, double& leave) {
  enter = 0, leave = kInfinity;
  for (int a = 0; a < 3; ++a) {
    if (direction[a] == 0) {
      if (origin[a] < 0 || origin[a] > dim[a]) return false;
      continue;
    }
    double t0 = -origin[a] / direction[a], t1 = (dim[a] - origin[a]) / direction[a];
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
  }
  return enter < leave;
}

}  // namespace

std::optional<std::array<std::uint32_t, 3>> PickVoxel(const VOXSPACE& volume,
                                                      const double origin[3],
                                                      const double direction[3]) {
  const std::int64_t dims[3] = {volume.dimX, volume.dimY, volume.dimZ};
  const double dim[3] = {static_cast<double>(dims[0]), static_cast<double>(dims[1]),
                         static_cast<double>(dims[2])};
  double enter = 0, leave = 0;
  if (!ClipToBox(dim, origin, direction, enter, leave)) return std::nullopt;
  // The voxel holding the entry point, then one voxel boundary at a time.
  const double t = enter + 1e-9 * (1 + enter);
  std::int64_t cell[3], step[3];
  double next[3], delta[3];
  for (int a = 0; a < 3; ++a) {
    const double p = origin[a] + t * direction[a];
    cell[a] = std::clamp(static_cast<std::int64_t>(std::floor(p)), std::int64_t{0}, dims[a] - 1);
    step[a] = direction[a] > 0 ? 1 : -1;
    if (direction[a] == 0) {
      next[a] = delta[a] = kInfinity;
    } else {
      const double boundary = static_cast<double>(direction[a] > 0 ? cell[a] + 1 : cell[a]);
      next[a] = (boundary - origin[a]) / direction[a];
      delta[a] = std::abs(1 / direction[a]);
    }
  }
  // Only a solid voxel entered from an empty one shows a face; from outside
  // the box the eye starts in the empty.
  bool cameFromEmpty = enter > 0;
  for (;;) {
    const std::uint64_t index =
        static_cast<std::uint64_t>(cell[0]) +
        static_cast<std::uint64_t>(dims[0]) *
            (static_cast<std::uint64_t>(cell[1]) +
             static_cast<std::uint64_t>(dims[1]) * static_cast<std::uint64_t>(cell[2]));
    const bool solid = volume.data[index] != 0;
    bool interior = true;
    for (int a = 0; a < 3; ++a) interior = interior && cell[a] >= 1 && cell[a] <= dims[a] - 2;
    if (solid && interior && cameFromEmpty)
      return std::array<std::uint32_t, 3>{static_cast<std::uint32_t>(cell[0]),
                                          static_cast<std::uint32_t>(cell[1]),
                                          static_cast<std::uint32_t>(cell[2])};
    cameFromEmpty = !solid;
    const int a = next[0] <= next[1] ? (next[0] <= next[2] ? 0 : 2) : (next[1] <= next[2] ? 1 : 2);
    if (next[a] > leave) return std::nullopt;
    cell[a] += step[a];
    if (cell[a] < 0 || cell[a] >= dims[a]) return std::nullopt;
    next[a] += delta[a];
  }
}
