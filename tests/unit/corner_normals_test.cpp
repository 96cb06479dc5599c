// Smooth shading's corner normals against the true normals of a sphere of
// radius 40 mm, voxelised at several spacings: in cubes of 1 mm on average
// within 5 degrees, 95% within 10.
#include "surface/corner_normals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "surface/ogl_cuberille.h"

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
  VOXSPACE volume{dim[0], dim[1], dim[2], 8, 0, voxels.size(), voxels.data()};
  OGLcuberille surface;
  surface.smooth = true;
  surface.SetVoxelSpacing(GetParam().spacing);
  surface.SetVoxSpace(&volume);
  // Every drawn vertex's normal against the sphere's at its place (the
  // drawn volume is the sphere's, scaled and centred on the origin).
  std::vector<double> degrees;
  for (const QuadList& list : surface.quadLists) {
    ASSERT_NE(list.normals, nullptr);
    for (std::uint32_t q = 0; q < list.quadCount; ++q)
      for (int k = 0; k < 4; ++k) {
        const Vertex& v = list.quads[q].corners[k];
        const PackedNormal& p = list.normals[q].corners[k];
        const double n[3] = {static_cast<double>(p.x), static_cast<double>(p.y),
                             static_cast<double>(p.z)};
        const double length = std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z) *
                              std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        const double cosine = (n[0] * v.x + n[1] * v.y + n[2] * v.z) / length;
        degrees.push_back(std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / 3.14159265358979);
      }
  }
  ASSERT_GT(degrees.size(), 10000u);
  std::sort(degrees.begin(), degrees.end());
  double mean = 0;
  for (double d : degrees) mean += d / static_cast<double>(degrees.size());
  EXPECT_LE(mean, GetParam().meanDegrees) << degrees.size() << " vertices";
  EXPECT_LE(degrees[degrees.size() * 95 / 100], GetParam().degrees95);
}

const NormalSpacing kNormalSpacings[] = {
    {"Cubes", {1, 1, 1}, 5, 10},  // measured 4.4 and 7.5
    {"ThickSlices", {1, 1, 2}, 5, 10},
    {"Uneven", {0.8, 1.2, 1.5}, 5.5, 11},
};

INSTANTIATE_TEST_SUITE_P(Spacings, SphereNormals, ::testing::ValuesIn(kNormalSpacings),
                         [](const auto& info) { return std::string(info.param.name); });

// Two labels side by side along x, one box together: where they meet on
// the box's bottom, each label's normal leans out of its own side, while
// counting both the bottom is flat there.
TEST(CornerNormals, ByValueEachLabelHasItsOwnNormal) {
  const std::uint32_t edge = 16;
  std::vector<std::uint8_t> voxels(edge * edge * edge, 0);
  for (std::uint32_t z = 2; z < 14; ++z)
    for (std::uint32_t y = 2; y < 14; ++y)
      for (std::uint32_t x = 2; x < 14; ++x) voxels[x + edge * (y + edge * z)] = x < 8 ? 3 : 5;
  const VOXSPACE volume{edge, edge, edge, 8, 0, voxels.size(), voxels.data()};
  const double cubes[3] = {1, 1, 1};
  const std::uint32_t seam[3] = {8, 2, 8};
  const auto byValue = surface::CornerNormals::Build(volume, cubes, true);
  const auto together = surface::CornerNormals::Build(volume, cubes, false);
  ASSERT_TRUE(byValue && together);
  const PackedNormal three = byValue->At(seam, 3, DOWN), five = byValue->At(seam, 5, DOWN);
  EXPECT_GT(three.x, 80);
  EXPECT_LT(five.x, -80);
  EXPECT_LT(three.y, -80);
  const PackedNormal both = together->At(seam, 3, DOWN);
  EXPECT_EQ(both.x, 0);
  EXPECT_EQ(both.y, -127);
  // Inside the box no face needs a normal: the face's own is given.
  const std::uint32_t inside[3] = {8, 8, 8};
  EXPECT_EQ(together->At(inside, 0, UP).y, 127);
}

}  // namespace
