#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "surface/ogl_cuberille.h"
#include "surface_reference.h"
#include "test_volumes.h"

namespace {

std::vector<reference::Quad> ArrayOf(const OGLcuberille& s, int d) {
  std::vector<reference::Quad> quads;
  const QuadList& list = s.quadLists[d];
  for (std::uint32_t i = 0; i < list.quadCount; ++i) {
    reference::Quad q;
    for (int k = 0; k < 4; ++k) {
      const Vertex& v = list.quads[i].corners[k];
      q[k] = {v.x, v.y, v.z, v.s, v.t};
    }
    quads.push_back(q);
  }
  return quads;
}

// Attaches the volume the way the program does, with QUADS current.
int Attach(OGLcuberille& surface, VOXSPACE* v) {
  surface.SetVoxSpace(v);
  return surface.BuildQuads();
}

TEST(QuadArrays, CentreVoxelFieldByField) {
  VolumePtr v = MakeVolume(3, 3, 3, {{1, 1, 1}});
  OGLcuberille surface;
  ASSERT_EQ(Attach(surface, v.get()), 6);
  using Q = reference::Quad;
  EXPECT_EQ(ArrayOf(surface, LEFT), (std::vector<Q>{{{{-0.5f, -0.5f, -0.5f, 0, 0},
                                                      {-0.5f, -0.5f, 0.5f, 1, 0},
                                                      {-0.5f, 0.5f, 0.5f, 1, 1},
                                                      {-0.5f, 0.5f, -0.5f, 0, 1}}}}));
  EXPECT_EQ(ArrayOf(surface, FRONT), (std::vector<Q>{{{{-0.5f, -0.5f, 0.5f, 0, 0},
                                                       {0.5f, -0.5f, 0.5f, 1, 0},
                                                       {0.5f, 0.5f, 0.5f, 1, 1},
                                                       {-0.5f, 0.5f, 0.5f, 0, 1}}}}));
  EXPECT_EQ(ArrayOf(surface, UP), (std::vector<Q>{{{{-0.5f, 0.5f, -0.5f, 0, 0},
                                                    {-0.5f, 0.5f, 0.5f, 0, 1},
                                                    {0.5f, 0.5f, 0.5f, 1, 1},
                                                    {0.5f, 0.5f, -0.5f, 1, 0}}}}));
  const auto expected = reference::BuildQuads(*v);
  for (int d = 0; d < 6; ++d) EXPECT_EQ(ArrayOf(surface, d), expected[d]) << d;
}

TEST(QuadArrays, PlacementUsesExactHalves) {
  // 4x4x4 with its 2x2x2 core solid: the core spans -1 .. 1.
  VolumePtr core = MakeVolume(
      4, 4, 4,
      {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}, {2, 2, 1}, {1, 1, 2}, {2, 1, 2}, {1, 2, 2}, {2, 2, 2}});
  OGLcuberille surface;
  ASSERT_EQ(Attach(surface, core.get()), 24);
  for (int d = 0; d < 6; ++d) ASSERT_EQ(surface.quadLists[d].quadCount, 4u);
  EXPECT_EQ(surface.quadLists[LEFT].quads[0].corners[0].x, -1.0f);
  EXPECT_EQ(surface.quadLists[RIGHT].quads[0].corners[0].x, 1.0f);

  // dimX = 5: the voxel with x = 1 starts at -1.5.
  VolumePtr odd = MakeVolume(5, 3, 3, {{1, 1, 1}});
  OGLcuberille other;
  Attach(other, odd.get());
  EXPECT_EQ(other.quadLists[LEFT].quads[0].corners[0].x, -1.5f);
  EXPECT_EQ(other.quadLists[RIGHT].quads[0].corners[0].x, -0.5f);
}

TEST(QuadArrays, RandomVolumesMatchTheReferenceInOrder) {
  const std::array<std::uint32_t, 3> shapes[] = {
      {3, 3, 3}, {19, 4, 5}, {33, 9, 7}, {8, 40, 17}, {70, 5, 9}};
  std::uint32_t seed = 100;
  for (const auto& shape : shapes) {
    for (double density : {0.2, 0.5, 0.8}) {
      VolumePtr v = RandomVolume(shape[0], shape[1], shape[2], density, seed++);
      OGLcuberille surface;
      const std::uint32_t total = (surface.SetVoxSpace(v.get()), surface.CountFaces());
      EXPECT_EQ(surface.BuildQuads(), static_cast<std::int32_t>(total));
      const auto expected = reference::BuildQuads(*v);
      for (int d = 0; d < 6; ++d) {
        EXPECT_EQ(ArrayOf(surface, d), expected[d])
            << "direction " << d << " of " << shape[0] << "x" << shape[1] << "x" << shape[2] << " "
            << density;
      }
      // A second build from the same volume gives the same arrays.
      const auto first = ArrayOf(surface, BACK);
      surface.BuildQuads();
      EXPECT_EQ(ArrayOf(surface, BACK), first);
    }
  }
}

TEST(QuadArrays, NoVolumeOrNoFaces) {
  OGLcuberille surface;
  EXPECT_EQ(surface.BuildQuads(), 0);
  for (const QuadList& list : surface.quadLists) EXPECT_EQ(list.quads, nullptr);

  // No exposed face: attaching builds nothing; a later build allocates
  // empty arrays and writes nothing.
  VolumePtr full = MakeVolume(4, 4, 4);
  std::fill(full->data, full->data + 64, 1);
  surface.SetVoxSpace(full.get());
  for (const QuadList& list : surface.quadLists) EXPECT_EQ(list.quads, nullptr);
  EXPECT_EQ(surface.BuildQuads(), 0);
  for (const QuadList& list : surface.quadLists) {
    EXPECT_NE(list.quads, nullptr);
    EXPECT_EQ(list.quadCount, 0u);
  }
}

TEST(QuadArrays, WritesStopAtTheCensusCount) {
  // If the volume changed after the census (or a count was cut short), the
  // builder must not write beyond the arrays it allocated.
  VolumePtr v = MakeVolume(6, 6, 6, {{2, 2, 2}});
  OGLcuberille surface;
  surface.SetVoxSpace(v.get());
  VoxelAt(*v, 3, 3, 3) = 1;
  VoxelAt(*v, 2, 3, 3) = 1;
  EXPECT_EQ(surface.BuildQuads(), 6);  // only what the arrays hold
}

}  // namespace
