#include "shapes.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

struct Ellipsoid {
  double cx, cy, cz, rx, ry, rz;
  bool Contains(double x, double y, double z) const {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry, dz = (z - cz) / rz;
    return dx * dx + dy * dy + dz * dz <= 1.0;
  }
};

// Fills every voxel with shade(x, y, z) at the voxel's centre, each axis
// running from -1 to 1 across the box.
template <typename Shade>
CubVolume Sample(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ, Shade shade) {
  CubVolume volume;
  volume.dimX = dimX, volume.dimY = dimY, volume.dimZ = dimZ;
  volume.voxels.assign(std::size_t{dimX} * dimY * dimZ, 0);
  for (std::uint32_t z = 0; z < dimZ; ++z)
    for (std::uint32_t y = 0; y < dimY; ++y)
      for (std::uint32_t x = 0; x < dimX; ++x)
        volume.At(x, y, z) = shade((x + 0.5) * 2.0 / dimX - 1.0, (y + 0.5) * 2.0 / dimY - 1.0,
                                   (z + 0.5) * 2.0 / dimZ - 1.0);
  return volume;
}

template <typename Shade>
CubVolume Sample(std::uint32_t edge, Shade shade) {
  return Sample(edge, edge, edge, shade);
}

std::uint8_t HeadShade(double x, double y, double z) {
  static const Ellipsoid skullOuter{0, 0.05, 0, 0.72, 0.88, 0.84};
  static const Ellipsoid skullInner{0, 0.05, 0, 0.64, 0.80, 0.76};
  static const Ellipsoid brain{0, 0.08, 0, 0.56, 0.70, 0.68};
  static const Ellipsoid ventricles[2] = {{-0.13, 0.15, 0, 0.08, 0.2, 0.3},
                                          {0.13, 0.15, 0, 0.08, 0.2, 0.3}};
  static const Ellipsoid eyes[2] = {{-0.27, 0.12, 0.72, 0.12, 0.12, 0.12},
                                    {0.27, 0.12, 0.72, 0.12, 0.12, 0.12}};
  static const Ellipsoid nose{0, -0.12, 0.84, 0.08, 0.17, 0.12};
  static const Ellipsoid neck{0, -0.9, -0.05, 0.34, 0.45, 0.32};

  if (x > 0.0 && y > 0.1) return 0;  // the cut that opens the head
  if (eyes[0].Contains(x, y, z) || eyes[1].Contains(x, y, z)) return 150;
  if (nose.Contains(x, y, z)) return 200;
  if (skullOuter.Contains(x, y, z) && !skullInner.Contains(x, y, z)) return 200;
  if (brain.Contains(x, y, z)) {
    return ventricles[0].Contains(x, y, z) || ventricles[1].Contains(x, y, z) ? 0 : 100;
  }
  if (neck.Contains(x, y, z) && !skullOuter.Contains(x, y, z)) return 120;
  return 0;
}

}  // namespace

CubVolume MakeHeadPhantom(std::uint32_t edge) { return Sample(edge, HeadShade); }

CubVolume MakeHeadPhantom(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ) {
  return Sample(dimX, dimY, dimZ, HeadShade);
}

CubVolume MakeHollowSphere(std::uint32_t edge) {
  return Sample(edge, [](double x, double y, double z) -> std::uint8_t {
    const double r2 = x * x + y * y + z * z;
    return r2 >= 0.7 * 0.7 && r2 <= 0.9 * 0.9 ? 255 : 0;
  });
}

namespace {

// Random values on a lattice with the given spacing, blended trilinearly
// with a smooth step, so the field varies smoothly between lattice points.
class ValueNoise {
 public:
  ValueNoise(std::uint32_t largestDim, std::uint32_t spacing, std::mt19937& random)
      : spacing_(spacing), points_(largestDim / spacing + 2) {
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    lattice_.resize(std::size_t{points_} * points_ * points_);
    for (float& v : lattice_) v = value(random);
  }

  float At(std::uint32_t x, std::uint32_t y, std::uint32_t z) const {
    const std::uint32_t p[3] = {x, y, z};
    std::uint32_t cell[3];
    float f[3];
    for (int a = 0; a < 3; ++a) {
      cell[a] = p[a] / spacing_;
      const float u = static_cast<float>(p[a] % spacing_) / static_cast<float>(spacing_);
      f[a] = u * u * (3 - 2 * u);
    }
    float sum = 0;
    for (int corner = 0; corner < 8; ++corner) {
      const std::uint32_t dx = corner & 1, dy = (corner >> 1) & 1, dz = (corner >> 2) & 1;
      const float w = (dx ? f[0] : 1 - f[0]) * (dy ? f[1] : 1 - f[1]) * (dz ? f[2] : 1 - f[2]);
      sum += w * Lattice(cell[0] + dx, cell[1] + dy, cell[2] + dz);
    }
    return sum;
  }

 private:
  float Lattice(std::uint32_t x, std::uint32_t y, std::uint32_t z) const {
    return lattice_[x + std::size_t{points_} * (y + std::size_t{points_} * z)];
  }
  std::uint32_t spacing_;
  std::uint32_t points_;
  std::vector<float> lattice_;
};

}  // namespace

CubVolume MakeNoiseField(std::uint32_t edge, std::uint32_t seed) {
  return MakeNoiseField(edge, edge, edge, seed);
}

CubVolume MakeNoiseField(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                         std::uint32_t seed) {
  std::mt19937 random(seed);
  const std::uint32_t largest = std::max(dimX, std::max(dimY, dimZ));
  const ValueNoise coarse(largest, 32, random), fine(largest, 8, random);
  CubVolume volume;
  volume.dimX = dimX, volume.dimY = dimY, volume.dimZ = dimZ;
  volume.voxels.assign(std::size_t{dimX} * dimY * dimZ, 0);
  for (std::uint32_t z = 0; z < dimZ; ++z)
    for (std::uint32_t y = 0; y < dimY; ++y)
      for (std::uint32_t x = 0; x < dimX; ++x) {
        const float v = 0.75f * coarse.At(x, y, z) + 0.25f * fine.At(x, y, z);
        volume.At(x, y, z) = v > 0.5f ? static_cast<std::uint8_t>(1 + v * 200) : 0;
      }
  return volume;
}

CubVolume MakeScanPhantom(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                          std::uint32_t seed) {
  std::mt19937 random(seed);
  const std::uint32_t largest = std::max(dimX, std::max(dimY, dimZ));
  const ValueNoise tissue(largest, 4, random);
  CubVolume volume = MakeHeadPhantom(dimX, dimY, dimZ);
  for (std::uint32_t z = 0; z < dimZ; ++z)
    for (std::uint32_t y = 0; y < dimY; ++y)
      for (std::uint32_t x = 0; x < dimX; ++x) {
        std::uint8_t& v = volume.At(x, y, z);
        if (v == 100 && tissue.At(x, y, z) < 0.5f) v = 0;
      }
  return volume;
}

CubVolume MakeAtlasPhantom(std::uint32_t edge, std::uint32_t regions, std::uint32_t seed) {
  CubVolume volume = MakeHeadPhantom(edge);
  std::mt19937 random(seed);
  std::vector<std::array<std::uint32_t, 3>> brain;
  for (std::uint32_t z = 0; z < edge; ++z)
    for (std::uint32_t y = 0; y < edge; ++y)
      for (std::uint32_t x = 0; x < edge; ++x)
        if (volume.At(x, y, z) == 100) brain.push_back({x, y, z});
  if (brain.empty() || regions == 0) return volume;
  std::vector<std::array<std::uint32_t, 3>> centres;
  std::uniform_int_distribution<std::size_t> pick(0, brain.size() - 1);
  for (std::uint32_t r = 0; r < regions; ++r) centres.push_back(brain[pick(random)]);
  for (const auto& p : brain) {
    std::size_t nearest = 0;
    std::int64_t best = INT64_MAX;
    for (std::size_t c = 0; c < centres.size(); ++c) {
      std::int64_t d = 0;
      for (int a = 0; a < 3; ++a) {
        const std::int64_t delta = std::int64_t{p[a]} - std::int64_t{centres[c][a]};
        d += delta * delta;
      }
      if (d < best) best = d, nearest = c;
    }
    volume.At(p[0], p[1], p[2]) = static_cast<std::uint8_t>(2 + nearest % 250);
  }
  for (std::uint8_t& v : volume.voxels) {
    if (v == 200) v = 1;  // skull and nose
  }
  return volume;
}

CubVolume MakeRandomHalf(std::uint32_t edge, std::uint32_t seed) {
  std::mt19937 random(seed);
  CubVolume volume;
  volume.dimX = volume.dimY = volume.dimZ = edge;
  volume.voxels.resize(std::size_t{edge} * edge * edge);
  for (std::uint8_t& v : volume.voxels) v = (random() & 1) ? 255 : 0;
  return volume;
}
