// Whole frames: what Display, Resize and the axes do on a real context.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <map>

#include "app/app_state.h"
#include "render/frame_display.h"
#include "scene_fixture.h"
#include "test_volumes.h"

namespace headless = platform::headless;
using namespace scene_test;

namespace {

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
