#include "surface/corner_normals.h"

#include <algorithm>
#include <cmath>

namespace surface {

namespace {

// The block spans this many voxels on each side of the corner along the
// axes of the smallest edge.
constexpr std::int64_t kReach = 3;

}  // namespace

void CornerNormal(const VOXSPACE& volume, const double (&spacing)[3], std::uint32_t x,
                  std::uint32_t y, std::uint32_t z, CornerNormalRule rule, float (&normal)[3]) {
  const std::int64_t dim[3] = {volume.dimX, volume.dimY, volume.dimZ};
  const std::int64_t corner[3] = {x, y, z};
  const double shortest = std::min({spacing[0], spacing[1], spacing[2]});
  std::int64_t reach[3], low[3], high[3];
  for (int a = 0; a < 3; ++a) {
    reach[a] = std::max<std::int64_t>(1, std::llround(kReach * shortest / spacing[a]));
    low[a] = std::max<std::int64_t>(0, corner[a] - reach[a]);
    high[a] = std::min<std::int64_t>(dim[a], corner[a] + reach[a]);
  }
  // Offsets in half voxels: a voxel centre lies 2 (i - corner) + 1 halves
  // from the corner.
  std::int64_t moment[3] = {0, 0, 0};
  for (std::int64_t k = low[2]; k < high[2]; ++k) {
    for (std::int64_t j = low[1]; j < high[1]; ++j) {
      const std::uint8_t* row = volume.data + (k * dim[1] + j) * dim[0];
      for (std::int64_t i = low[0]; i < high[0]; ++i) {
        const std::uint8_t v = row[i];
        if (v == 0 || (rule.label != 0 && v != rule.label)) continue;
        moment[0] += 2 * (i - corner[0]) + 1;
        moment[1] += 2 * (j - corner[1]) + 1;
        moment[2] += 2 * (k - corner[2]) + 1;
      }
    }
  }
  // A plane's moment over a box leans towards the box's long sides by
  // their squares, and a normal turns into millimetres by the inverse of
  // the spacing (a plane keeps its place; its normal tilts towards the
  // short edges): both are undone here.
  double n[3];
  for (int a = 0; a < 3; ++a)
    n[a] =
        -static_cast<double>(moment[a]) / (spacing[a] * static_cast<double>(reach[a] * reach[a]));
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (int a = 0; a < 3; ++a) normal[a] = length > 0 ? static_cast<float>(n[a] / length) : 0.0f;
}

}  // namespace surface
