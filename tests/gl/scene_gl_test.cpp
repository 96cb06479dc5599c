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
#include "test_volumes.h"

namespace headless = platform::headless;

namespace {

using Matrix = std::array<float, 16>;

Matrix Current(GLenum which) {
  Matrix m{};
  glGetFloatv(which, m.data());
  return m;
}

// Column-major product a * b.
Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
  return r;
}

Matrix Rotation(float degrees, float x, float y, float z) {
  const double a = degrees * M_PI / 180;
  const double c = std::cos(a), s = std::sin(a);
  Matrix m{};
  m[15] = 1;
  const double axis[3] = {x, y, z};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double v = axis[i] * axis[j] * (1 - c) + (i == j ? c : 0);
      const int k = 3 - i - j;  // the remaining axis for i != j
      if (i != j) v += ((j == (i + 1) % 3) ? -1 : 1) * axis[k] * s;
      m[j * 4 + i] = static_cast<float>(v);
    }
  return m;
}

Matrix Translation(float x, float y, float z) {
  Matrix m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
  return m;
}

void ExpectNear(const Matrix& got, const Matrix& want, float tolerance = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "element " << i;
}

class SceneGl : public ::testing::Test {
 protected:
  void SetUp() override {
    UseGlContext();
    appSettings = AppSettings{};
    texturePath[0] = '\0';
    exeDirectory[0] = '\0';
    polarCam = OGLcamera{};
    flyCam = OGLcamera{};
    flyCam.direction[2] = 1;
    deviceContext = headless::OffscreenDeviceContext();
  }
  void TearDown() override {
    theSurface.SetRenderMethod(QUADS);
    theSurface.voxSpace = nullptr;
    theVolume = nullptr;
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
  }
  // SetupScene with its texture log kept out of the test output.
  std::string RunSetup() {
    ::testing::internal::CaptureStdout();
    SetupScene();
    return ::testing::internal::GetCapturedStdout();
  }
};

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

namespace {

// The eye's world position from a polar camera's view matrix.
std::array<float, 3> EyeOf(const Matrix& view) {
  // view = [R | t]: the eye is at -R^T t.
  std::array<float, 3> eye{};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) eye[i] -= view[i * 4 + k] * view[12 + k];
  return eye;
}

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
  std::int32_t ExpectedMask(const std::array<float, 3>& eye) {
    const float extent[3] = {5, 4, 3};  // (dim - 2) / 2
    std::int32_t mask = 0;
    for (int d = 0; d < 6; ++d) {
      const float* n = theSurface.normals[d];
      float side = 0;
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

class FrameGl : public SceneGl {
 protected:
  void SetUp() override {
    SceneGl::SetUp();
    // A solid 8x8x8 cube in a 12^3 volume.
    volume = MakeVolume(12, 12, 12);
    for (std::uint32_t z = 2; z < 10; ++z)
      for (std::uint32_t y = 2; y < 10; ++y)
        for (std::uint32_t x = 2; x < 10; ++x) VoxelAt(*volume, x, y, z) = 1;
    theVolume = volume.get();
    appSettings.fog = false;  // exact colours
    RunSetup();
    theSurface.SetRenderMethod(TRISTRIP_DISPLIST);
    MirrorVoxSpaceZ(theVolume);
    theSurface.SetVoxSpace(theVolume);
    theSurface.fastLighting = 1;
    headless::ClearTextOutJournal();
  }
  VolumePtr volume;
};

TEST_F(FrameGl, TheStartCameraShowsEachVisibleDirectionInItsColour) {
  Resize(kPbufferSize, kPbufferSize);  // draws a frame
  std::map<std::array<int, 3>, int> seen;
  for (int y = 0; y < kPbufferSize; ++y)
    for (int x = 0; x < kPbufferSize; ++x) ++seen[PixelAt(x, y)];
  ASSERT_GT(seen.size(), 1u);
  int directionsShown = 0;
  for (int d = 0; d < 6; ++d) {
    if (!(theSurface.visibleMask & (1 << d))) continue;
    std::array<int, 3> colour;
    for (int c = 0; c < 3; ++c)
      colour[c] = static_cast<int>(std::lround(theSurface.directionColors[d][c] * 255));
    if (seen.count(colour)) ++directionsShown;
  }
  EXPECT_GE(directionsShown, 2);
  for (const auto& [colour, count] : seen) {
    if (colour == std::array<int, 3>{0, 0, 0}) continue;  // background
    bool known = false;
    for (int d = 0; d < 6; ++d) {
      std::array<int, 3> c;
      for (int k = 0; k < 3; ++k)
        c[k] = static_cast<int>(std::lround(theSurface.directionColors[d][k] * 255));
      known = known || c == colour;
    }
    EXPECT_TRUE(known) << "pixel colour " << colour[0] << "," << colour[1] << "," << colour[2]
                       << " x" << count;
  }
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(FrameGl, DisplayClearsSwapsTicksAndWritesTheRate) {
  const int swaps = headless::SwapCount();
  appSettings.showFps = true;
  headless::ScriptPerformanceFrequency(10000000);
  StartFrameClockFrequency(frameClock);
  headless::ScriptPerformanceCounter(0);
  TakeFirstFrameClockSample(frameClock);
  headless::ScriptPerformanceCounter(166667);
  Display();
  headless::ScriptPerformanceFrequency(std::nullopt);
  StartFrameClockFrequency(frameClock);
  EXPECT_EQ(headless::SwapCount(), swaps + 1);
  ASSERT_EQ(headless::TextOutJournal().size(), 1u);
  EXPECT_EQ(headless::TextOutJournal()[0].text, "60.00 fps");
  EXPECT_EQ(headless::TextOutJournal()[0].x, 0);
  EXPECT_EQ(headless::TextOutJournal()[0].y, 0);
  EXPECT_STREQ(fpsText, "60.00 fps");
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 1.0f);

  // Without the depth buffer only the colour buffer is cleared.
  glClearDepth(0.5);
  glClear(GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);
  appSettings.depthBuffer = false;
  glDisable(GL_DEPTH_TEST);
  theSurface.visibleMask = 0;
  theSurface.voxSpace = nullptr;
  appSettings.polarMode = false;  // fly path: nothing drawn in this corner
  Display();
  GLfloat depth = 0;
  glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_NEAR(depth, 0.5f, 1e-3);
  appSettings.depthBuffer = true;
  Display();
  glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_NEAR(depth, 1.0f, 1e-3);
}

TEST_F(FrameGl, FlyModeRecomputesTheDirectionEveryFrame) {
  appSettings.polarMode = false;
  flyCam.heading = 90, flyCam.elevation = 0;
  Display();
  EXPECT_NEAR(flyCam.direction[0], -1, 1e-6);
  EXPECT_NEAR(flyCam.direction[2], 0, 1e-6);
}

TEST_F(FrameGl, ResizeSetsBothAspectsAndKeepsThemForAZeroHeight) {
  Resize(800, 600);
  EXPECT_EQ(polarCam.aspect, 1.3333334f);
  EXPECT_EQ(flyCam.aspect, 1.3333334f);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  Resize(800, 0);  // minimised
  EXPECT_EQ(polarCam.aspect, 1.3333334f);
  EXPECT_EQ(flyCam.aspect, 1.3333334f);
  Resize(kPbufferSize, kPbufferSize);
}

TEST_F(FrameGl, TheAxesGizmo) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-2, 2, -2, 2, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  std::vector<GLfloat> buffer(4096);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  DrawAxes();
  const int count = glRenderMode(GL_RENDER);
  int points = 0, yellowLines = 0, whiteLines = 0;
  for (int i = 0; i < count;) {
    const GLfloat token = buffer[i];
    if (token == GL_POINT_TOKEN) {
      ++points;
      EXPECT_NEAR(buffer[i + 4], 0.7, 1e-6);
      i += 1 + 7;
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      const bool yellow = buffer[i + 4] == 1 && buffer[i + 5] == 1 && buffer[i + 6] == 0;
      (yellow ? yellowLines : whiteLines)++;
      i += 1 + 14;
    } else {
      ADD_FAILURE() << "token " << token;
      break;
    }
  }
  EXPECT_EQ(points, 6);
  EXPECT_EQ(yellowLines, 3);
  EXPECT_EQ(whiteLines, 7);
  GLfloat size = 0;
  glGetFloatv(GL_POINT_SIZE, &size);
  EXPECT_EQ(size, 3.0f);
  glPointSize(1);
}

}  // namespace
