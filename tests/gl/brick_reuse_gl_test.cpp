// A rebuild that calls the unchanged bricks' lists again draws exactly what
// a build from nothing draws, for every look of the display lists: the
// same triangles with the same lit colours (so the same smooth normals),
// after the shown surface has taken the rebuild's place as the viewer has
// it. The volume changes in a box that ends along x just below a brick's
// side, one voxel nearer than a face or a normal looks and one voxel
// beyond (a reach too short shows), and starts along y a little above
// one (a brick compiled beside one called again).
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "gl_harness.h"
#include "surface/ogl_cuberille.h"
#include "test_volumes.h"

namespace {

struct ReuseCase {
  const char* name;
  bool merged, smooth, coloured, textured;
  std::uint32_t changedUpTo;  // x of the last voxel that changes; bricks start at 0, 32, 64
};

void PrintTo(const ReuseCase& look, std::ostream* out) { *out << look.name; }

// Two labels in a ball with a few holes: a surface on every side of the
// brick sides, with values that change along it.
VolumePtr LabelledBall() {
  VolumePtr v = MakeVolume(70, 66, 68);
  for (std::uint32_t z = 1; z < 67; ++z)
    for (std::uint32_t y = 1; y < 65; ++y)
      for (std::uint32_t x = 1; x < 69; ++x) {
        const double dx = x - 35.0, dy = y - 33.0, dz = z - 34.0;
        if (dx * dx + dy * dy + dz * dz > 30.0 * 30.0 || (x * 7 + y * 3 + z) % 23 == 0) continue;
        VoxelAt(*v, x, y, z) = dy > 4 ? 2 : 1;
      }
  return v;
}

void Build(OGLcuberille& surface, const ReuseCase& look, VOXSPACE* volume,
           const OGLcuberille* shown) {
  surface.SetLook({TRISTRIP_DISPLIST, look.textured, look.merged, look.coloured, look.smooth});
  if (shown) surface.ReuseBricksOf(*shown);
  surface.SetVoxSpace(volume);
}

// Lit, with the colours by value as material: the colours show the normals.
std::multiset<Triangle> LitTriangles(OGLcuberille& surface) {
  return AsSet(CaptureTriangles([&] {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    surface.visibleMask = (1 << kFaceDirections) - 1;
    surface.DrawDisplayLists();
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
  }));
}

class BrickReuse : public ::testing::TestWithParam<ReuseCase> {
 protected:
  void SetUp() override { UseGlContext(); }
};

TEST_P(BrickReuse, DrawsWhatABuildFromNothingDraws) {
  const ReuseCase& look = GetParam();
  VolumePtr before = LabelledBall();
  VolumePtr after = LabelledBall();
  for (std::uint32_t z = 0; z < after->dimZ; ++z)
    for (std::uint32_t y = 36; y < after->dimY; ++y)
      for (std::uint32_t x = 0; x <= look.changedUpTo; ++x) VoxelAt(*after, x, y, z) = 0;

  OGLcuberille shown, fresh;
  Build(shown, look, before.get(), nullptr);
  Build(fresh, look, after.get(), nullptr);
  auto rebuilt = std::make_unique<OGLcuberille>();
  Build(*rebuilt, look, after.get(), &shown);
  EXPECT_GT(rebuilt->BricksReused(), 0u);
  shown.AdoptGeometry(*rebuilt);
  rebuilt.reset();  // holds no lists of its own any more

  const auto want = LitTriangles(fresh);
  ASSERT_GT(want.size(), 1000u);
  EXPECT_TRUE(LitTriangles(shown) == want);
  shown.ReleaseGeometry();
  fresh.ReleaseGeometry();
}

INSTANTIATE_TEST_SUITE_P(
    Looks, BrickReuse,
    ::testing::Values(ReuseCase{"strips", false, false, false, false, 31},
                      ReuseCase{"stripsSmooth", false, true, false, false, 28},
                      ReuseCase{"stripsColouredTextured", false, false, true, true, 31},
                      ReuseCase{"stripsSmoothColoured", false, true, true, false, 28},
                      ReuseCase{"merged", true, false, false, false, 31},
                      ReuseCase{"mergedSmooth", true, true, false, false, 28},
                      ReuseCase{"mergedSmoothColouredTextured", true, true, true, true, 28}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
