// The visibility query and fast lighting on a real context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "app/app_state.h"
#include "render/frame_display.h"
#include "scene_fixture.h"
#include "test_volumes.h"

namespace headless = platform::headless;
using namespace scene_test;

namespace {

class VisibilityGl : public SceneGl {
 protected:
  void SetUp() override {
    SceneGl::SetUp();
    volume = MakeVolume(12, 10, 8, {{5, 5, 4}});
    theVolume = volume.get();
    RunSetup();
    theSurface.SetVoxSpace(theVolume);
  }
  // The mask the geometry says: direction d can face the eye when the eye
  // is on its normal's side of the box side opposite to it.
  std::int32_t ExpectedMask(const std::array<double, 3>& eye) {
    const float extent[3] = {5, 4, 3};  // (dim - 2) / 2
    std::int32_t mask = 0;
    for (int d = 0; d < 6; ++d) {
      const float* n = theSurface.normals[d];
      double side = 0;
      for (int a = 0; a < 3; ++a) side += (eye[a] + n[a] * extent[a]) * n[a];
      if (side > 0) mask |= 1 << d;
    }
    return mask;
  }
  VolumePtr volume;
};

TEST_F(VisibilityGl, DirectionsFacingTheEyeAreFound) {
  polarCam.distance = 60;  // the whole box in view
  const std::pair<float, float> views[] = {{0, 0},   {90, 0},    {180, 0},   {270, 0}, {45, 0},
                                           {45, 35}, {200, 320}, {336, 340}, {10, 90}};
  for (auto [heading, elevation] : views) {
    polarCam.heading = heading;
    polarCam.elevation = elevation;
    ApplyPolarView(polarCam);
    const auto eye = EyeOf(Current(GL_MODELVIEW_MATRIX));
    glEnable(GL_CULL_FACE);
    EXPECT_EQ(theSurface.QueryVisibleDirections(), ExpectedMask(eye))
        << heading << "/" << elevation;
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(theSurface.QueryVisibleDirections(), 63) << "culling off: every triangle in view";
  }
  // The -x side sees LEFT and not RIGHT; the +x side the reverse.
  polarCam.heading = 90, polarCam.elevation = 0;
  ApplyPolarView(polarCam);
  glEnable(GL_CULL_FACE);
  const std::int32_t fromMinusX = theSurface.QueryVisibleDirections();
  EXPECT_TRUE(fromMinusX & 1);
  EXPECT_FALSE(fromMinusX & 2);
  polarCam.heading = 270;
  ApplyPolarView(polarCam);
  const std::int32_t fromPlusX = theSurface.QueryVisibleDirections();
  EXPECT_FALSE(fromPlusX & 1);
  EXPECT_TRUE(fromPlusX & 2);
}

TEST_F(VisibilityGl, ATriangleClippedAwayHidesItsDirection) {
  // FRONT's triangle covers the lower left half of the far box side z = -3
  // and faces +z. Looking from +z at the upper right of that side, only the
  // other half is in view.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(10, 1, 0.1, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(4, 3, 10, 4, 3, -3, 0, 1, 0);
  glEnable(GL_CULL_FACE);
  EXPECT_FALSE(theSurface.QueryVisibleDirections() & (1 << FRONT));
  glLoadIdentity();
  gluLookAt(-4, -3, 10, -4, -3, -3, 0, 1, 0);  // the lower left: FRONT's triangle is there
  EXPECT_TRUE(theSurface.QueryVisibleDirections() & (1 << FRONT));
}

TEST_F(VisibilityGl, FastLightingColoursAreTheLitColourOfEachNormal) {
  ApplyProjection(polarCam);
  for (float heading : {0.0f, 90.0f, 200.0f, 336.0f}) {
    polarCam.heading = heading;
    ApplyPolarView(polarCam);
    const Matrix view = Current(GL_MODELVIEW_MATRIX);
    glEnable(GL_LIGHTING);
    theSurface.fastLighting = 1;
    const std::int32_t mask = theSurface.QueryVisibleDirections();
    ASSERT_NE(mask, 0);
    // Lighting equation: global ambient 0.2 + light ambient 0.2 + diffuse
    // max(0, N.L), with N the eye-space normal and L the light direction
    // (1, 4, 2) given while the view was the identity.
    const float length = std::sqrt(1.0f + 16 + 4);
    const float light[3] = {1 / length, 4 / length, 2 / length};
    for (int d = 0; d < 6; ++d) {
      if (!(mask & (1 << d))) continue;
      float nDotL = 0;
      for (int i = 0; i < 3; ++i) {
        float eyeNormal = 0;
        for (int k = 0; k < 3; ++k) eyeNormal += view[k * 4 + i] * theSurface.normals[d][k];
        nDotL += eyeNormal * light[i];
      }
      const float expected = std::min(1.0f, 0.4f + std::max(0.0f, nDotL));
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(theSurface.directionColors[d][c], expected, 1e-4) << d;
    }
  }
}

TEST_F(VisibilityGl, DrawSwitchesLightingOffOnlyWhileItDraws) {
  ApplyPolarView(polarCam);
  theSurface.fastLighting = 1;
  glEnable(GL_LIGHTING);
  theSurface.Draw(true);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(theSurface.lightingWasOn, 1);

  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);  // as every frame leaves it
  theSurface.Draw(true);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(theSurface.lightingWasOn, 0);
  for (int c = 0; c < 3; ++c)
    EXPECT_EQ(theSurface.directionColors[FRONT][c], 1.0f) << "white, captured unlit";

  // The fly path draws everything and never touches lighting.
  theSurface.Draw(false);
  EXPECT_EQ(theSurface.visibleMask, 63);
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  glEnable(GL_LIGHTING);
  theSurface.Draw(false);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

// The frame display -------------------------------------------------------

}  // namespace
