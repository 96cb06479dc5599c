// Cameras, scene set-up, visibility and fast lighting, and the frame
// display, against real Mesa in the pbuffer.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

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

TEST_F(SceneGl, SetupWithA64CubedVolume) {
  VolumePtr volume = MakeVolume(64, 64, 64);
  theVolume = volume.get();
  const std::string log = RunSetup();

  EXPECT_EQ(polarCam.fov, 55);
  EXPECT_EQ(polarCam.zNear, 0.1f);
  // No far plane: the projection in force maps every distance in front of
  // the eye inside the clip volume, however far the user zooms out.
  EXPECT_EQ(polarCam.zFar, std::numeric_limits<float>::max());
  EXPECT_EQ(flyCam.zFar, std::numeric_limits<float>::max());
  const Matrix projection = Current(GL_PROJECTION_MATRIX);
  EXPECT_EQ(projection[10], -1.0f);
  EXPECT_NEAR(projection[14], -0.2f, 1e-7);
  EXPECT_EQ(polarCam.heading, 336);
  EXPECT_EQ(polarCam.elevation, 340);
  EXPECT_EQ(polarCam.distance, 124);
  EXPECT_NEAR(polarCam.direction[0], -0.406737, 1e-6);
  EXPECT_EQ(polarCam.direction[1], 0);
  EXPECT_NEAR(polarCam.direction[2], -0.913545, 1e-6);
  EXPECT_EQ(polarCam.position[0], 0);
  EXPECT_EQ(flyCam.position[2], 62);
  EXPECT_EQ(flyCam.heading, 0);
  EXPECT_EQ(flyCam.elevation, 0);
  EXPECT_EQ(flyCam.roll(), 0);
  // The fly camera's matrices are left in force, with GL_MODELVIEW current.
  ExpectNear(Current(GL_MODELVIEW_MATRIX), Translation(0, 0, -62));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);

  EXPECT_TRUE(glIsEnabled(GL_FOG));
  GLint fogMode = 0;
  glGetIntegerv(GL_FOG_MODE, &fogMode);
  EXPECT_EQ(fogMode, GL_LINEAR);
  EXPECT_EQ(Float(GL_FOG_START), 77.5f);
  EXPECT_EQ(Float(GL_FOG_END), 170.5f);
  GLfloat fogColour[4];
  glGetFloatv(GL_FOG_COLOR, fogColour);
  EXPECT_EQ(std::vector<float>(fogColour, fogColour + 4), (std::vector<float>{0, 0, 0, 1}));
  GLint hint = 0;
  glGetIntegerv(GL_FOG_HINT, &hint);
  EXPECT_EQ(hint, GL_FASTEST);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
  EXPECT_EQ(hint, GL_NICEST);

  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  GLint value = 0;
  glGetIntegerv(GL_FRONT_FACE, &value);
  EXPECT_EQ(value, GL_CCW);
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_BACK);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_DITHER));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  const GLenum alwaysOff[] = {GL_NORMALIZE,      GL_ALPHA_TEST,  GL_BLEND,     GL_COLOR_MATERIAL,
                              GL_POLYGON_SMOOTH, GLenum{0x0BF1}, GL_TEXTURE_2D};
  for (GLenum off : alwaysOff) EXPECT_FALSE(glIsEnabled(off)) << off;
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_FLAT);

  GLfloat v4[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, v4);  // stored in eye space: the fly view turns nothing here
  EXPECT_EQ(std::vector<float>(v4, v4 + 4), (std::vector<float>{1, 4, 2, 0}));
  glGetLightfv(GL_LIGHT0, GL_SPECULAR, v4);
  EXPECT_EQ(std::vector<float>(v4, v4 + 4), (std::vector<float>{0, 0, 0, 1}));
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, v4);
  EXPECT_NEAR(v4[0], 0.2, 1e-7);
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v4);
  EXPECT_EQ(v4[0], 1);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, v4);
  EXPECT_EQ(v4[0], 0);

  GLint texEnv = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &texEnv);
  EXPECT_EQ(texEnv, GL_MODULATE);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR);
  // No texture beside this test: looked for as "texture.bmp" in the current directory.
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
  EXPECT_EQ(Float(GL_FOG_START), 1);
  EXPECT_EQ(Float(GL_FOG_END), 20);
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
