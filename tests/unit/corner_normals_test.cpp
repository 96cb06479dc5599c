// Smooth shading's corner normals against the true normals of a sphere of
// radius 40 mm, voxelised at several spacings: in cubes of 1 mm on average
// within 5 degrees, 95% within 10.
#include "surface/corner_normals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

namespace {

struct NormalSpacing {
  const char* name;
  double spacing[3];
  double meanDegrees, degrees95;  // the bounds: coarser axes see less of the surface
};

void PrintTo(const NormalSpacing& s, std::ostream* out) { *out << s.name; }

class SphereNormals : public ::testing::TestWithParam<NormalSpacing> {};

TEST_P(SphereNormals, FollowTheSphere) {
  const double* s = GetParam().spacing;
  const double radius = 40;
  std::uint32_t dim[3];
  double centre[3];
  for (int a = 0; a < 3; ++a) {
    dim[a] = static_cast<std::uint32_t>(std::ceil(2 * radius / s[a])) + 16;
    centre[a] = dim[a] * s[a] / 2;
  }
  std::vector<std::uint8_t> voxels(std::size_t{dim[0]} * dim[1] * dim[2], 0);
  const auto at = [&](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> std::uint8_t& {
    return voxels[x + dim[0] * (y + std::size_t{dim[1]} * z)];
  };
  for (std::uint32_t z = 0; z < dim[2]; ++z)
    for (std::uint32_t y = 0; y < dim[1]; ++y)
      for (std::uint32_t x = 0; x < dim[0]; ++x) {
        const double p[3] = {(x + 0.5) * s[0] - centre[0], (y + 0.5) * s[1] - centre[1],
                             (z + 0.5) * s[2] - centre[2]};
        at(x, y, z) = p[0] * p[0] + p[1] * p[1] + p[2] * p[2] <= radius * radius ? 1 : 0;
      }
  // The corners of every exposed face.
  std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>> corners;
  for (std::uint32_t z = 1; z + 1 < dim[2]; ++z)
    for (std::uint32_t y = 1; y + 1 < dim[1]; ++y)
      for (std::uint32_t x = 1; x + 1 < dim[0]; ++x) {
        if (!at(x, y, z)) continue;
        const std::uint32_t v[3] = {x, y, z};
        for (int axis = 0; axis < 3; ++axis)
          for (int side = 0; side < 2; ++side) {
            std::uint32_t n[3] = {x, y, z};
            n[axis] = side ? n[axis] + 1 : n[axis] - 1;
            if (at(n[0], n[1], n[2])) continue;
            const int u = (axis + 1) % 3, w = (axis + 2) % 3;
            for (int corner = 0; corner < 4; ++corner) {
              std::uint32_t c[3] = {v[0], v[1], v[2]};
              c[axis] += side;
              c[u] += corner & 1, c[w] += corner >> 1;
              corners.insert({c[0], c[1], c[2]});
            }
          }
      }
  ASSERT_GT(corners.size(), 1000u);
  const VOXSPACE volume{dim[0], dim[1], dim[2], 8, 0, voxels.size(), voxels.data()};
  std::vector<double> degrees;
  for (const auto& [x, y, z] : corners) {
    float normal[3];
    surface::CornerNormal(volume, GetParam().spacing, x, y, z, {}, normal);
    const double p[3] = {x * s[0] - centre[0], y * s[1] - centre[1], z * s[2] - centre[2]};
    const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const double cosine = (normal[0] * p[0] + normal[1] * p[1] + normal[2] * p[2]) / length;
    degrees.push_back(std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / 3.14159265358979);
  }
  std::sort(degrees.begin(), degrees.end());
  double mean = 0;
  for (double d : degrees) mean += d / static_cast<double>(degrees.size());
  EXPECT_LE(mean, GetParam().meanDegrees) << corners.size() << " corners";
  EXPECT_LE(degrees[degrees.size() * 95 / 100], GetParam().degrees95);
}

const NormalSpacing kNormalSpacings[] = {
    {"Cubes", {1, 1, 1}, 5, 10},  // measured 4.4 and 7.5
    {"ThickSlices", {1, 1, 2}, 5, 10},
    {"Uneven", {0.8, 1.2, 1.5}, 5.5, 11},
};

INSTANTIATE_TEST_SUITE_P(Spacings, SphereNormals, ::testing::ValuesIn(kNormalSpacings),
                         [](const auto& info) { return std::string(info.param.name); });

// Two labels side by side along x: by its own label, the face between them
// faces the other label; counting both, there is no surface there at all.
TEST(CornerNormalRule, NeighbouringLabelsDoNotBendEachOthersNormals) {
  const std::uint32_t edge = 16;
  std::vector<std::uint8_t> voxels(edge * edge * edge, 0);
  for (std::uint32_t z = 2; z < 14; ++z)
    for (std::uint32_t y = 2; y < 14; ++y)
      for (std::uint32_t x = 2; x < 14; ++x) voxels[x + edge * (y + edge * z)] = x < 8 ? 3 : 5;
  const VOXSPACE volume{edge, edge, edge, 8, 0, voxels.size(), voxels.data()};
  const double cubes[3] = {1, 1, 1};
  float normal[3];
  surface::CornerNormal(volume, cubes, 8, 8, 8, {3}, normal);
  EXPECT_NEAR(normal[0], 1, 1e-6);
  surface::CornerNormal(volume, cubes, 8, 8, 8, {}, normal);
  EXPECT_EQ(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2], 0);
}

}  // namespace
