#include "coverage_oracle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace oracle {
namespace {

using Vec = std::array<double, 3>;
using Voxel = std::array<long, 3>;

// p_eye = T(-pan, -distance) Rx(-elevation) Ry(heading) p_world, undone.
Vec EyeToWorld(const PolarView& v, Vec p) {
  const double e = v.elevation * M_PI / 180, h = v.heading * M_PI / 180;
  // Rx(+elevation)
  const double y = p[1] * std::cos(e) - p[2] * std::sin(e);
  const double z = p[1] * std::sin(e) + p[2] * std::cos(e);
  p[1] = y, p[2] = z;
  // Ry(-heading)
  const double x = p[0] * std::cos(h) - p[2] * std::sin(h);
  const double z2 = p[0] * std::sin(h) + p[2] * std::cos(h);
  return {x, p[1], z2};
}

class Grid {
 public:
  Grid(const VOXSPACE& v, FaceRule rule) : v_(v), rule_(rule), dim_{v.dimX, v.dimY, v.dimZ} {}

  bool Solid(const std::array<long, 3>& i) const {
    return v_.data[i[0] + static_cast<std::size_t>(dim_[0]) *
                              (i[1] + static_cast<std::size_t>(dim_[1]) * i[2])] != 0;
  }
  bool Inside(const std::array<long, 3>& i) const {
    for (int a = 0; a < 3; ++a)
      if (i[a] < 0 || i[a] >= static_cast<long>(dim_[a])) return false;
    return true;
  }
  // Whether voxel i has a face towards the neighbour along `axis`, when
  // it is solid and that neighbour is empty.
  bool HasFaces(const std::array<long, 3>& i, int axis) const {
    const int runAxis = axis == 0 ? 2 : 0;
    for (int a = 0; a < 3; ++a) {
      if (rule_ == FaceRule::kStripRuns && a == runAxis) continue;
      if (i[a] < 1 || i[a] > static_cast<long>(dim_[a]) - 2) return false;
    }
    return true;
  }
  double Dim(int a) const { return dim_[a]; }

  // Marches from `origin` along `dir` (grid coordinates: voxel i spans
  // [i, i + 1]) from parameter tStart on; the voxel of the first front face.
  std::optional<Voxel> FrontFace(const Vec& origin, const Vec& dir, double tStart) const {
    double tEnter = tStart, tExit = std::numeric_limits<double>::infinity();
    for (int a = 0; a < 3; ++a) {
      if (dir[a] == 0) {
        if (origin[a] < 0 || origin[a] > Dim(a)) return std::nullopt;
        continue;
      }
      double t0 = (0 - origin[a]) / dir[a], t1 = (Dim(a) - origin[a]) / dir[a];
      if (t0 > t1) std::swap(t0, t1);
      tEnter = std::max(tEnter, t0);
      tExit = std::min(tExit, t1);
    }
    if (tEnter >= tExit) return std::nullopt;
    // The voxel holding the entry point (nudged inside), then cell steps.
    const double t = tEnter + 1e-9 * (1 + tEnter);
    std::array<long, 3> cell{};
    std::array<long, 3> step{};
    Vec next{}, delta{};
    for (int a = 0; a < 3; ++a) {
      const double p = origin[a] + t * dir[a];
      cell[a] = std::clamp(static_cast<long>(std::floor(p)), 0L, static_cast<long>(Dim(a)) - 1);
      step[a] = dir[a] > 0 ? 1 : -1;
      if (dir[a] == 0) {
        next[a] = delta[a] = std::numeric_limits<double>::infinity();
      } else {
        const double boundary = dir[a] > 0 ? cell[a] + 1 : cell[a];
        next[a] = (boundary - origin[a]) / dir[a];
        delta[a] = std::abs(1 / dir[a]);
      }
    }
    bool previousSolid = Solid(cell);  // where the ray starts inside solid, it sees no face
    for (;;) {
      const int a = next[0] < next[1] ? (next[0] < next[2] ? 0 : 2) : (next[1] < next[2] ? 1 : 2);
      cell[a] += step[a];
      next[a] += delta[a];
      if (!Inside(cell)) return std::nullopt;
      const bool solid = Solid(cell);
      if (solid && !previousSolid && HasFaces(cell, a)) return cell;
      previousSolid = solid;
    }
  }

 private:
  const VOXSPACE& v_;
  FaceRule rule_;
  std::uint32_t dim_[3];
};

// Calls `seen(pixel, voxel)` for every pixel (rows from the top) whose ray
// meets a front face.
template <typename Seen>
void MarchPixels(const VOXSPACE& volume, const PolarView& view, FaceRule rule, Seen seen) {
  const Grid grid(volume, rule);
  const double f = 1 / std::tan(view.fovDegrees * M_PI / 360);
  // The eye in world coordinates, then in grid coordinates.
  Vec eye = EyeToWorld(view, {view.panX, view.panY, view.distance});
  for (int a = 0; a < 3; ++a) eye[a] += grid.Dim(a) / 2;
  for (int row = 0; row < view.height; ++row) {
    const double ndcY = 1 - 2 * (row + 0.5) / view.height;  // row 0 is the top
    for (int column = 0; column < view.width; ++column) {
      const double ndcX = 2 * (column + 0.5) / view.width - 1;
      // One unit of the parameter is one unit of depth in front of the eye.
      const Vec dir = EyeToWorld(view, {ndcX * view.aspect / f, ndcY / f, -1});
      if (const auto voxel = grid.FrontFace(eye, dir, view.zNear))
        seen(static_cast<std::size_t>(row) * view.width + column, *voxel);
    }
  }
}

}  // namespace

std::vector<std::uint8_t> FrontFaceCoverage(const VOXSPACE& volume, const PolarView& view,
                                            FaceRule rule) {
  std::vector<std::uint8_t> covered(static_cast<std::size_t>(view.width) * view.height, 0);
  MarchPixels(volume, view, rule, [&](std::size_t pixel, const Voxel&) { covered[pixel] = 1; });
  return covered;
}

std::vector<std::array<long, 3>> FrontFaceVoxels(const VOXSPACE& volume, const PolarView& view) {
  std::vector<Voxel> voxels(static_cast<std::size_t>(view.width) * view.height, Voxel{-1, -1, -1});
  MarchPixels(volume, view, FaceRule::kInterior,
              [&](std::size_t pixel, const Voxel& voxel) { voxels[pixel] = voxel; });
  return voxels;
}

void KeepBetween(VOXSPACE& volume, int axis, std::uint32_t lo, std::uint32_t hi) {
  std::size_t i = 0;
  for (std::uint32_t z = 0; z < volume.dimZ; ++z)
    for (std::uint32_t y = 0; y < volume.dimY; ++y)
      for (std::uint32_t x = 0; x < volume.dimX; ++x, ++i) {
        const std::uint32_t at = axis == 0 ? x : axis == 1 ? y : z;
        if (at < lo || at > hi) volume.data[i] = 0;
      }
}

}  // namespace oracle
