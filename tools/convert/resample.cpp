#include "resample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Edges this close to the smallest count as equal to it: a header's float
// rounding must not add a slice.
constexpr double kSameEdge = 1e-3;
// The viewer draws no edge longer than this many times the smallest; the
// cubes follow it, so the CUB file shows what the scan shows.
constexpr double kLongestEdgeRatio = 1000;
// CUB's DAT1 size is a 32-bit count of bytes, one byte per voxel.
constexpr std::uint64_t kLargestVolume = 0xFFFFFFFFull;

// The source slice of each output slice in turn along one axis, from
// `from` slices to `to` (to >= from), in exact integer steps: interior
// slice o takes 1 + floor(N / D) with N = (2o - 1)(from - 2) and
// D = 2(to - 2), N growing by 2(from - 2) <= D a slice.
class SliceWalk {
 public:
  SliceWalk(std::uint64_t from, std::uint64_t to)
      : from_(from),
        to_(to),
        step_(from > 2 ? 2 * (from - 2) : 0),
        divisor_(to > 2 ? 2 * (to - 2) : 1),
        remainder_(from > 2 ? from - 2 : 0) {}

  std::uint64_t Next() {
    const std::uint64_t o = next_++;
    if (o == 0) return 0;
    if (o + 1 == to_) return from_ - 1;
    if (o > 1) {
      remainder_ += step_;
      if (remainder_ >= divisor_) remainder_ -= divisor_, ++quotient_;
    }
    return 1 + quotient_;
  }

 private:
  std::uint64_t from_, to_, step_, divisor_, remainder_;
  std::uint64_t quotient_ = 0, next_ = 0;
};

}  // namespace

CubeGrid PlanCubes(const VoxelVolume& volume, const double (&spacing)[3]) {
  const std::uint64_t dims[3] = {volume.dimX, volume.dimY, volume.dimZ};
  double edges[3];
  CubeGrid grid;
  grid.edge = 0;
  for (int axis = 0; axis < 3; ++axis) {
    // As the viewer reads a header's edge: none or not finite is 1 mm.
    const double edge = spacing[axis];
    edges[axis] = std::isfinite(edge) && edge > 0 ? edge : 1;
    if (grid.edge == 0 || edges[axis] < grid.edge) grid.edge = edges[axis];
  }
  for (int axis = 0; axis < 3; ++axis) {
    double ratio = std::fmin(edges[axis] / grid.edge, kLongestEdgeRatio);
    if (ratio <= 1 + kSameEdge) ratio = 1;
    grid.resample = grid.resample || ratio != 1;
    const std::uint64_t n = dims[axis];
    if (n <= 2 || ratio == 1) {
      grid.dims[axis] = n;
      continue;
    }
    const double interior = std::round(static_cast<double>(n - 2) * ratio);
    grid.dims[axis] = interior + 2 <= static_cast<double>(kLargestVolume)
                          ? std::max(static_cast<std::uint64_t>(interior) + 2, n)
                          : 0;
  }
  return grid;
}

std::string ResampleToCubes(const VoxelVolume& in, const CubeGrid& grid, VoxelVolume& out,
                            const std::string& path) {
  std::uint64_t count = 1;
  bool huge = false;
  for (const std::uint64_t d : grid.dims)
    huge = huge || d == 0 || __builtin_mul_overflow(count, d, &count);
  if (huge || count > kLargestVolume) {
    std::string reason = "in cubes of its smallest voxel edge the volume of ";
    reason.append(path).append(
        " would be larger than a CUB file can hold (4 GiB of voxels); --keep-grid keeps its grid");
    return reason;
  }
  out.dimX = static_cast<std::uint32_t>(grid.dims[0]);
  out.dimY = static_cast<std::uint32_t>(grid.dims[1]);
  out.dimZ = static_cast<std::uint32_t>(grid.dims[2]);
  out.voxels.reset(static_cast<std::uint8_t*>(std::calloc(count, 1)));
  if (!out.voxels) return "not enough memory for the resampled volume of " + path;

  const std::uint8_t* source = in.voxels.get();
  std::uint8_t* cube = out.voxels.get();
  SliceWalk z(in.dimZ, out.dimZ);
  for (std::uint32_t oz = 0; oz < out.dimZ; ++oz) {
    const std::uint64_t sz = z.Next();
    SliceWalk y(in.dimY, out.dimY);
    for (std::uint32_t oy = 0; oy < out.dimY; ++oy) {
      const std::uint8_t* row = source + (sz * in.dimY + y.Next()) * in.dimX;
      SliceWalk x(in.dimX, out.dimX);
      for (std::uint32_t ox = 0; ox < out.dimX; ++ox) *cube++ = row[x.Next()];
    }
  }
  return {};
}
