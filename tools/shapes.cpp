#include "shapes.h"

namespace {

struct Ellipsoid {
  double cx, cy, cz, rx, ry, rz;
  bool Contains(double x, double y, double z) const {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry, dz = (z - cz) / rz;
    return dx * dx + dy * dy + dz * dz <= 1.0;
  }
};

// Fills every voxel with shade(x, y, z) at the voxel's centre in -1..1.
template <typename Shade>
CubVolume Sample(std::uint32_t edge, Shade shade) {
  CubVolume volume;
  volume.dimX = volume.dimY = volume.dimZ = edge;
  volume.voxels.assign(std::size_t{edge} * edge * edge, 0);
  const double scale = 2.0 / edge;
  for (std::uint32_t z = 0; z < edge; ++z)
    for (std::uint32_t y = 0; y < edge; ++y)
      for (std::uint32_t x = 0; x < edge; ++x)
        volume.At(x, y, z) = shade((x + 0.5) * scale - 1.0, (y + 0.5) * scale - 1.0,
                                   (z + 0.5) * scale - 1.0);
  return volume;
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

CubVolume MakeHollowSphere(std::uint32_t edge) {
  return Sample(edge, [](double x, double y, double z) -> std::uint8_t {
    const double r2 = x * x + y * y + z * z;
    return r2 >= 0.7 * 0.7 && r2 <= 0.9 * 0.9 ? 255 : 0;
  });
}
