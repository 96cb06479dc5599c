// Cameras, scene set-up, visibility and fast lighting, and the frame
// display, against real Mesa in the pbuffer.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "gl_harness.h"
#include "platform/headless/headless_control.h"
#include "render/frame_display.h"
#include "render/scene_setup.h"
#include "scene_fixture.h"
#include "test_volumes.h"

namespace headless = platform::headless;
using namespace scene_test;

namespace {

TEST_F(SceneGl, CameraMatrices) {
  OGLcamera c;
  c.fov = 55, c.aspect = 2, c.zNear = 0.5f, c.zFar = 100;
  ApplyProjection(c);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  const double f = 1 / std::tan(55 * M_PI / 360);
  ExpectNear(Current(GL_PROJECTION_MATRIX),
             Matrix{static_cast<float>(f / 2), 0, 0, 0, 0, static_cast<float>(f), 0, 0, 0, 0,
                    static_cast<float>((100 + 0.5) / (0.5 - 100)), -1, 0, 0,
                    static_cast<float>(2 * 100 * 0.5 / (0.5 - 100)), 0});

  c.position[0] = 3, c.position[1] = -2, c.position[2] = 99;  // z is not read
  c.distance = 10, c.elevation = 30, c.heading = 40;
  ApplyPolarView(c);
  const Matrix polar = Current(GL_MODELVIEW_MATRIX);
  ExpectNear(polar, Multiply(Multiply(Translation(-3, 2, -10), Rotation(-30, 1, 0, 0)),
                             Rotation(40, 0, 1, 0)));
  c.position[2] = -5;
  c.direction[0] = 7;
  ApplyPolarView(c);
  EXPECT_EQ(Current(GL_MODELVIEW_MATRIX), polar);

  OGLcamera fly;
  fly.position[0] = 1, fly.position[1] = 2, fly.position[2] = 3;
  fly.heading = 90, fly.elevation = 0, fly.roll() = 0;
  ApplyFlyView(fly);
  EXPECT_NEAR(fly.direction[0], -1, 1e-6);
  EXPECT_NEAR(fly.direction[1], 0, 1e-6);
  EXPECT_NEAR(fly.direction[2], 0, 1e-6);
  ExpectNear(Current(GL_MODELVIEW_MATRIX),
             Multiply(Rotation(-90, 0, 1, 0), Translation(-1, -2, -3)));
  fly.heading = 33, fly.elevation = 90;
  ApplyFlyView(fly);
  EXPECT_NEAR(fly.direction[0], 0, 1e-6);
  EXPECT_NEAR(fly.direction[1], 1, 1e-6);
  EXPECT_NEAR(fly.direction[2], 0, 1e-6);
  fly.heading = 180, fly.elevation = -30;
  ApplyFlyView(fly);
  EXPECT_NEAR(fly.direction[0], 0, 1e-6);
  EXPECT_NEAR(fly.direction[1], -0.5, 1e-6);
  EXPECT_NEAR(fly.direction[2], 0.866025, 1e-6);
}

GLfloat Float(GLenum what) {
  GLfloat v = 0;
  glGetFloatv(what, &v);
  return v;
}

// The eight corners of the volume's box in its own coordinates: the
// interior region, centred on the origin.
std::vector<std::array<double, 3>> BoxCorners(const VOXSPACE& v) {
  const double e[3] = {(v.dimX - 2) / 2.0, (v.dimY - 2) / 2.0, (v.dimZ - 2) / 2.0};
  std::vector<std::array<double, 3>> corners;
  for (int i = 0; i < 8; ++i)
    corners.push_back({i & 1 ? e[0] : -e[0], i & 2 ? e[1] : -e[1], i & 4 ? e[2] : -e[2]});
  return corners;
}

// The start view must show the whole volume, large, from above, in front
// and to one side, whatever its size; the fly camera waits in front of it
// looking at its centre. (The start picture itself is held by the key
// baselines; this says what its numbers are for.)
TEST_F(SceneGl, TheStartCamerasFrameTheVolumeFromAboveFrontAndSide) {
  for (const auto& dims : {std::array<std::uint32_t, 3>{64, 64, 64}, {181, 217, 181}}) {
    SCOPED_TRACE(std::to_string(dims[0]) + "x" + std::to_string(dims[1]));
    VolumePtr volume = MakeVolume(dims[0], dims[1], dims[2]);
    theVolume = volume.get();
    RunSetup();
    const Matrix fly = Current(GL_MODELVIEW_MATRIX);  // left in force
    const GLint view[4] = {0, 0, 100, 100};           // both cameras' aspect is 1

    ApplyProjection(polarCam);
    ApplyPolarView(polarCam);
    const Matrix polar = Current(GL_MODELVIEW_MATRIX);
    const Matrix projection = Current(GL_PROJECTION_MATRIX);
    const auto Project = [&](const Matrix& m, const std::array<double, 3>& p) {
      double md[16], pd[16];
      std::copy(m.begin(), m.end(), md);
      std::copy(projection.begin(), projection.end(), pd);
      std::array<double, 3> w{};
      EXPECT_TRUE(gluProject(p[0], p[1], p[2], md, pd, view, &w[0], &w[1], &w[2]));
      return w;
    };
    double lowest = 100, highest = 0;
    for (const auto& corner : BoxCorners(*volume)) {
      const auto w = Project(polar, corner);
      EXPECT_TRUE(w[0] > 0 && w[0] < 100 && w[1] > 0 && w[1] < 100) << w[0] << ", " << w[1];
      lowest = std::min(lowest, w[1]), highest = std::max(highest, w[1]);
    }
    EXPECT_GT(highest - lowest, 50) << "the volume fills most of the view";
    const auto eye = EyeOf(polar);
    const double half[3] = {(dims[0] - 2) / 2.0, (dims[1] - 2) / 2.0, (dims[2] - 2) / 2.0};
    EXPECT_GT(eye[1], half[1]) << "above";
    EXPECT_GT(eye[2], half[2]) << "in front";
    EXPECT_GT(std::fabs(eye[0]), half[0]) << "to one side";
    // The heading direction agrees with the heading, as the controls keep it.
    const double h = polarCam.heading * M_PI / 180;
    EXPECT_NEAR(polarCam.direction[0], std::sin(h), 1e-6);
    EXPECT_NEAR(polarCam.direction[2], -std::cos(h), 1e-6);

    // Fog leaves the nearest corner clear and has not closed in at the centre.
    double nearest = polarCam.distance;
    for (const auto& c : BoxCorners(*volume))
      nearest =
          std::min(nearest, -(polar[2] * c[0] + polar[6] * c[1] + polar[10] * c[2] + polar[14]));
    EXPECT_LT(nearest, Float(GL_FOG_START));
    EXPECT_GT(Float(GL_FOG_END), polarCam.distance);

    const auto flyEye = EyeOf(fly);
    EXPECT_GT(flyEye[2], half[2]) << "the fly camera starts outside the volume";
    const auto centre = Project(fly, {0, 0, 0});
    EXPECT_NEAR(centre[0], 50, 1e-3);
    EXPECT_NEAR(centre[1], 50, 1e-3);
  }
}

// Neither camera has a far plane: the user may zoom out without bound and
// fly up to a tenth of a voxel from a face.
TEST_F(SceneGl, DepthReachesFromATenthOfAVoxelToAnyDistance) {
  VolumePtr volume = MakeVolume(64, 64, 64);
  theVolume = volume.get();
  RunSetup();
  for (const OGLcamera* camera : {&polarCam, &flyCam}) {
    ApplyProjection(*camera);
    const Matrix p = Current(GL_PROJECTION_MATRIX);
    const auto Depth = [&](double distance) {  // window depth of a point straight ahead
      return (-p[10] * distance + p[14]) / distance * 0.5 + 0.5;
    };
    EXPECT_LT(Depth(0.09), 0) << "clipped: nearer than the near plane";
    EXPECT_GE(Depth(0.11), 0);
    EXPECT_LE(Depth(1e30), 1);
    EXPECT_LT(Depth(1e3), Depth(1e4)) << "depth still tells a thousand from ten thousand";
  }
}

// States no picture on this renderer shows (llvmpipe dithers nothing and
// always corrects perspective), and the texture looked for when none is
// beside the program.
TEST_F(SceneGl, SetupStatesNoPictureShowsAndTheTextureLookedFor) {
  VolumePtr volume = MakeVolume(64, 64, 64);
  theVolume = volume.get();
  const std::string log = RunSetup();
  EXPECT_TRUE(glIsEnabled(GL_DITHER));
  GLint hint = 0;
  glGetIntegerv(GL_FOG_HINT, &hint);
  EXPECT_EQ(hint, GL_FASTEST);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
  EXPECT_EQ(hint, GL_NICEST);
  EXPECT_STREQ(texturePath, "texture.bmp");
  EXPECT_EQ(log,
            "OGLtexture::ReadBMP()  input file: texture.bmp \nOGLtexture::ReadBMP()  could not "
            "open texture.bmp \n");
}

TEST_F(SceneGl, SetupVariants) {
  VolumePtr volume = MakeVolume(64, 64, 64);
  theVolume = volume.get();
  appSettings.polarMode = false;
  appSettings.textureFiltering = false;
  appSettings.perspectiveCorrection = false;
  appSettings.fog = false;
  std::strcpy(exeDirectory, "/nowhere/");
  RunSetup();
  // The fly camera starts 62 from the centre; the fog keeps 46.5 (0.375 of
  // the polar start distance, 124) before and behind it.
  EXPECT_EQ(Float(GL_FOG_START), 15.5);
  EXPECT_EQ(Float(GL_FOG_END), 108.5);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
  EXPECT_EQ(value, GL_NEAREST);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_FASTEST);
  EXPECT_STREQ(texturePath, "/nowhere/texture.bmp");

  // Without a volume.
  theVolume = nullptr;
  texturePath[0] = '\0';
  RunSetup();
  EXPECT_EQ(polarCam.fov, 45);
  EXPECT_EQ(polarCam.zNear, 1);
  EXPECT_EQ(polarCam.zFar, 100);
  EXPECT_EQ(polarCam.heading, 340);
  EXPECT_EQ(polarCam.elevation, 354);
  EXPECT_EQ(polarCam.distance, 2);
  EXPECT_NEAR(polarCam.direction[0], -0.342020, 1e-6);
  EXPECT_NEAR(polarCam.direction[2], -0.939693, 1e-6);
  EXPECT_EQ(flyCam.heading, 340);
  EXPECT_EQ(flyCam.elevation, -6);  // stored as is
  EXPECT_EQ(flyCam.position[2], 2);
  EXPECT_EQ(Float(GL_FOG_START), 2);
  EXPECT_EQ(Float(GL_FOG_END), 6);
}

}  // namespace
