#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "surface/ogl_cuberille.h"
#include "surface_reference.h"
#include "test_volumes.h"

namespace {

std::array<std::uint32_t, 6> Counts(const OGLcuberille& s) {
  std::array<std::uint32_t, 6> c{};
  for (int d = 0; d < 6; ++d) c[d] = s.quadLists[d].quadCount;
  return c;
}

using Six = std::array<std::uint32_t, 6>;

TEST(FaceCensus, SmallVolumes) {
  struct Case {
    const char* name;
    VolumePtr volume;
    Six counts;
  };
  VolumePtr core = MakeVolume(5, 5, 5);
  for (std::uint32_t z = 1; z < 4; ++z)
    for (std::uint32_t y = 1; y < 4; ++y)
      for (std::uint32_t x = 1; x < 4; ++x) VoxelAt(*core, x, y, z) = 1;
  VolumePtr full = MakeVolume(4, 4, 4);
  std::fill(full->data, full->data + 64, 7);
  VolumePtr border = MakeVolume(4, 4, 4, {{0, 0, 0}, {3, 1, 1}, {1, 3, 2}, {2, 2, 3}});

  std::vector<Case> cases;
  cases.push_back({"centre voxel", MakeVolume(3, 3, 3, {{1, 1, 1}}), {1, 1, 1, 1, 1, 1}});
  cases.push_back({"solid 3x3x3 core", std::move(core), {9, 9, 9, 9, 9, 9}});
  cases.push_back({"entirely solid", std::move(full), {0, 0, 0, 0, 0, 0}});
  cases.push_back({"solid only in the border", std::move(border), {0, 0, 0, 0, 0, 0}});
  cases.push_back(
      {"line along z", MakeVolume(3, 3, 5, {{1, 1, 1}, {1, 1, 2}, {1, 1, 3}}), {3, 3, 3, 3, 1, 1}});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    OGLcuberille surface;
    surface.voxSpace = c.volume.get();
    std::uint32_t sum = 0;
    for (std::uint32_t n : c.counts) sum += n;
    EXPECT_EQ(surface.CountFaces(), sum);
    EXPECT_EQ(Counts(surface), c.counts);
  }
}

TEST(FaceCensus, DimensionsBelow3ReadNoVoxel) {
  // A volume whose buffer has no byte at all: any read would be caught by
  // the sanitizer build.
  for (std::uint32_t small : {0u, 1u, 2u}) {
    VOXSPACE volume = {small, 300, 300, 8, 0, 0, nullptr};
    OGLcuberille surface;
    surface.voxSpace = &volume;
    surface.quadLists[UP].quadCount = 99;
    EXPECT_EQ(surface.CountFaces(), 0u);
    EXPECT_EQ(Counts(surface), (Six{0, 0, 0, 0, 0, 0}));
    VOXSPACE other = {300, 300, small, 8, 0, 0, nullptr};
    surface.voxSpace = &other;
    EXPECT_EQ(surface.CountFaces(), 0u);
  }
  OGLcuberille unattached;
  unattached.quadLists[LEFT].quadCount = 5;
  EXPECT_EQ(unattached.CountFaces(), 0u);
  EXPECT_EQ(unattached.quadLists[LEFT].quadCount, 5u);  // left as it was
}

TEST(FaceCensus, RandomVolumesMatchTheReferenceCount) {
  // Shapes chosen to hit the sixteen-voxel steps, their 255-step flushes
  // and the scalar tails.
  const std::array<std::uint32_t, 3> shapes[] = {{3, 3, 3},    {17, 5, 4},  {18, 18, 18},
                                                 {33, 7, 9},   {64, 3, 3},  {257, 3, 4},
                                                 {4200, 4, 3}, {40, 41, 42}};
  std::uint32_t seed = 1;
  for (const auto& shape : shapes) {
    for (double density : {0.1, 0.5, 0.9}) {
      VolumePtr v = RandomVolume(shape[0], shape[1], shape[2], density, seed++);
      OGLcuberille surface;
      surface.voxSpace = v.get();
      const std::uint32_t total = surface.CountFaces();
      const auto expected = reference::CountFaces(*v);
      EXPECT_EQ(Counts(surface), expected)
          << shape[0] << "x" << shape[1] << "x" << shape[2] << " " << density;
      EXPECT_EQ(total,
                expected[0] + expected[1] + expected[2] + expected[3] + expected[4] + expected[5]);
    }
  }
}

TEST(FaceCensus, MirroringSwapsBackAndFront) {
  VolumePtr v = RandomVolume(12, 11, 10, 0.4, 77);
  VoxelAt(*v, 3, 3, 1) = 1;  // make sure BACK and FRONT differ
  VoxelAt(*v, 3, 3, 2) = 1;
  VoxelAt(*v, 3, 3, 0) = 0;
  OGLcuberille surface;
  surface.voxSpace = v.get();
  surface.CountFaces();
  const Six before = Counts(surface);
  MirrorVoxSpaceZ(v.get());
  surface.CountFaces();
  const Six after = Counts(surface);
  EXPECT_EQ(after, (Six{before[0], before[1], before[2], before[3], before[5], before[4]}));
}

// How far the front side of direction d's box triangle turns towards the
// direction's normal: positive when the winding is right, 0 without area.
float FrontAlongNormal(const OGLcuberille& surface, int d) {
  const Vertex* t = surface.boxTriangles[d];
  const float ux = t[1].x - t[0].x, uy = t[1].y - t[0].y, uz = t[1].z - t[0].z;
  const float vx = t[2].x - t[0].x, vy = t[2].y - t[0].y, vz = t[2].z - t[0].z;
  const float n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
  return n[0] * surface.normals[d][0] + n[1] * surface.normals[d][1] + n[2] * surface.normals[d][2];
}

TEST(BoxTriangles, LieOnTheInteriorBoxFacingInwards) {
  VolumePtr v = MakeVolume(10, 6, 4);
  OGLcuberille surface;
  surface.voxSpace = v.get();
  surface.InitBoxTriangles();
  // ex = 4, ey = 2, ez = 1
  const float expected[6][3][3] = {
      {{4, -2, -1}, {4, -2, 1}, {4, 2, -1}}, {{-4, -2, -1}, {-4, 2, -1}, {-4, -2, 1}},
      {{-4, 2, -1}, {4, 2, -1}, {-4, 2, 1}}, {{-4, -2, -1}, {-4, -2, 1}, {4, -2, -1}},
      {{-4, -2, 1}, {-4, 2, 1}, {4, -2, 1}}, {{-4, 2, -1}, {-4, -2, -1}, {4, -2, -1}}};
  for (int d = 0; d < 6; ++d) {
    for (int k = 0; k < 3; ++k) {
      const Vertex& vx = surface.boxTriangles[d][k];
      EXPECT_EQ(vx.x, expected[d][k][0]) << d << "/" << k;
      EXPECT_EQ(vx.y, expected[d][k][1]) << d << "/" << k;
      EXPECT_EQ(vx.z, expected[d][k][2]) << d << "/" << k;
      EXPECT_EQ(vx.s, 0.0f);
      EXPECT_EQ(vx.t, 0.0f);
    }
    EXPECT_GT(FrontAlongNormal(surface, d), 0) << d;
  }
}

// Volumes without an interior on some axis (dimensions 0, 1 and 2) still
// get triangles that face the way their direction's faces do: with
// dimZ = 1 the strip lists hold LEFT and RIGHT faces, and culling must not
// make the query drop them.
TEST(BoxTriangles, KeepTheirWindingWithoutAnInterior) {
  const std::array<std::uint32_t, 3> shapes[] = {{0, 5, 5}, {1, 5, 5}, {2, 5, 5},
                                                 {5, 0, 5}, {5, 1, 5}, {5, 2, 5},
                                                 {7, 7, 1}, {5, 5, 2}, {1, 1, 1}};
  for (const auto& dims : shapes) {
    VolumePtr v = MakeVolume(dims[0], dims[1], dims[2]);
    OGLcuberille surface;
    surface.voxSpace = v.get();
    surface.InitBoxTriangles();
    for (int d = 0; d < 6; ++d)
      EXPECT_GT(FrontAlongNormal(surface, d), 0)
          << dims[0] << "x" << dims[1] << "x" << dims[2] << " direction " << d;
  }
}

}  // namespace
