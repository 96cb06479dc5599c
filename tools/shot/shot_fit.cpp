#include "shot_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/app_state.h"

namespace {

// The share of the picture's half-width (or half-height) the box reaches.
constexpr double kFill = 0.9;

struct Box {
  double low[3], high[3];
};

// The box of the solid interior voxels (the border is never drawn), in
// world units; false when none is solid.
bool SolidBox(const VOXSPACE& volume, const float (&size)[3], Box& box) {
  const std::uint32_t dim[3] = {volume.dimX, volume.dimY, volume.dimZ};
  if (dim[0] < 3 || dim[1] < 3 || dim[2] < 3) return false;
  std::uint32_t low[3] = {dim[0], dim[1], dim[2]}, high[3] = {0, 0, 0};
  for (std::uint32_t z = 1; z + 1 < dim[2]; ++z)
    for (std::uint32_t y = 1; y + 1 < dim[1]; ++y) {
      const unsigned char* row = volume.data + (std::uint64_t{z} * dim[1] + y) * dim[0];
      for (std::uint32_t x = 1; x + 1 < dim[0]; ++x) {
        if (!row[x]) continue;
        const std::uint32_t at[3] = {x, y, z};
        for (int a = 0; a < 3; ++a)
          low[a] = std::min(low[a], at[a]), high[a] = std::max(high[a], at[a] + 1);
      }
    }
  if (high[0] == 0) return false;
  // As the surface places them: size * (index - dim / 2).
  for (int a = 0; a < 3; ++a) {
    box.low[a] = size[a] * (low[a] - dim[a] * 0.5);
    box.high[a] = size[a] * (high[a] - dim[a] * 0.5);
  }
  return true;
}

// A world point as the polar view turns it: heading about y, then the
// elevation about x (the translation aside).
void Turn(const double (&p)[3], double (&out)[3]) {
  const double h = polarCam.heading * M_PI / 180, e = -polarCam.elevation * M_PI / 180;
  const double x = std::cos(h) * p[0] + std::sin(h) * p[2];
  const double z = -std::sin(h) * p[0] + std::cos(h) * p[2];
  out[0] = x;
  out[1] = std::cos(e) * p[1] - std::sin(e) * z;
  out[2] = std::sin(e) * p[1] + std::cos(e) * z;
}

}  // namespace

bool FitShotCamera(int width, int height) {
  Box box;
  // The voxels shown: cuts and hidden labels leave the rest out.
  const VOXSPACE* shown = theSurface.voxSpace;
  if (!shown || !SolidBox(*shown, theSurface.voxelSize, box)) return false;
  const double middle[3] = {(box.low[0] + box.high[0]) / 2, (box.low[1] + box.high[1]) / 2,
                            (box.low[2] + box.high[2]) / 2};
  double centre[3];
  Turn(middle, centre);
  double corners[8][3];
  for (int corner = 0; corner < 8; ++corner) {
    const double p[3] = {corner & 1 ? box.high[0] : box.low[0],
                         corner & 2 ? box.high[1] : box.low[1],
                         corner & 4 ? box.high[2] : box.low[2]};
    Turn(p, corners[corner]);
  }
  const double tan[2] = {std::tan(polarCam.fov * M_PI / 360) * width / height,
                         std::tan(polarCam.fov * M_PI / 360)};
  // Seen from the eye at distance d, panned to `pan`, a corner lies
  // (x - pan) / ((d - z) tan) of the way across. The least d that keeps
  // every corner within the share, then the pan that centres the nearer
  // and farther sides alike, a few times over.
  double pan[2] = {centre[0], centre[1]}, distance = 0;
  const auto closest = [&] {
    distance = 0;
    for (const auto& q : corners)
      for (int a = 0; a < 2; ++a)
        distance = std::max({distance, std::fabs(q[a] - pan[a]) / (kFill * tan[a]) + q[2],
                             q[2] + 2 * static_cast<double>(polarCam.zNear)});
  };
  for (int round = 0; round < 6; ++round) {
    closest();
    for (int a = 0; a < 2; ++a) {
      double low = 1, high = -1;
      for (const auto& q : corners) {
        const double across = (q[a] - pan[a]) / ((distance - q[2]) * tan[a]);
        low = std::min(low, across), high = std::max(high, across);
      }
      pan[a] += (low + high) / 2 * (distance - centre[2]) * tan[a];
    }
  }
  closest();
  polarCam.position[0] = static_cast<float>(pan[0]);
  polarCam.position[1] = static_cast<float>(pan[1]);
  polarCam.distance = static_cast<float>(distance);
  return true;
}
