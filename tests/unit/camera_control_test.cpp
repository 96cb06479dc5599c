#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "app/app_settings.h"
#include "camera/camera_controls.h"
#include "camera/ogl_camera.h"
#include "camera/vec3.h"

namespace {

// The controls' own input and cameras: keys held and the last motion's
// delta.
class CameraControl : public ::testing::Test {
 protected:
  void SetUp() override { mouseState.changed = 0; }
  void Hold(int vk) { keyboardState.table[vk].down = 1; }
  void Drag(int dx, int dy) {
    mouseState.table[MOUSE_LEFT].value = 1;
    mouseState.table[MOUSE_X].delta = dx;
    mouseState.table[MOUSE_Y].delta = dy;
    mouseState.changed = 1;
  }
  int UpdatePolarCamera() {
    return ::UpdatePolarCamera(polarCam, keyboardState, mouseState, cameraDelta);
  }
  int UpdateFlyCamera() {
    return ::UpdateFlyCamera(flyCam, keyboardState, mouseState, cameraDelta);
  }

  Keyboard keyboardState;
  Mouse mouseState;
  OGLcamera polarCam, flyCam;
  float cameraDelta = AppSettings{}.cameraDelta;
};

TEST_F(CameraControl, PolarArrowsWrapTheHeading) {
  Hold(VK_LEFT);
  UpdatePolarCamera();
  EXPECT_FLOAT_EQ(polarCam.heading, 359);
  EXPECT_NEAR(polarCam.direction[0], std::sin(359 * DEG_TO_RAD), 1e-6);
  EXPECT_NEAR(polarCam.direction[2], -std::cos(359 * DEG_TO_RAD), 1e-6);
  keyboardState.table[VK_LEFT].down = 0;
  Hold(VK_RIGHT);
  polarCam.heading = 359.5f;
  UpdatePolarCamera();
  EXPECT_NEAR(polarCam.heading, 0.5f, 1e-4);

  keyboardState.table[VK_RIGHT].down = 0;
  Hold(VK_UP);
  polarCam.elevation = 359.5f;
  UpdatePolarCamera();
  EXPECT_NEAR(polarCam.elevation, 0.5f, 1e-4);
}

TEST_F(CameraControl, PolarDragTurnsAQuarterDegreePerPixel) {
  polarCam.heading = 100;
  Drag(1200, 0);
  UpdatePolarCamera();
  EXPECT_FLOAT_EQ(polarCam.heading, 40);  // 400 wrapped once
  polarCam.heading = 100;
  Drag(3000, 0);
  UpdatePolarCamera();
  EXPECT_FLOAT_EQ(polarCam.heading, 490);  // above 720 before the wrap: still above 360
  polarCam.elevation = 10;
  Drag(0, 8);
  UpdatePolarCamera();
  EXPECT_FLOAT_EQ(polarCam.elevation, 8);
  // The deltas only count while some mouse event arrived since the last update.
  mouseState.changed = 0;
  UpdatePolarCamera();
  EXPECT_FLOAT_EQ(polarCam.elevation, 8);
  EXPECT_EQ(polarCam.position[0], 0);
  EXPECT_EQ(polarCam.distance, 0);
}

TEST_F(CameraControl, PolarDistanceHasNoBounds) {
  polarCam.distance = 0.5f;
  Hold(VK_A);
  for (int i = 0; i < 3; ++i) UpdatePolarCamera();
  EXPECT_NEAR(polarCam.distance, -0.7f, 1e-6);
  Hold(VK_Z);
  Hold(VK_SHIFT);
  UpdatePolarCamera();
  EXPECT_NEAR(polarCam.distance, -0.7f, 1e-6);  // A and Z together cancel out
}

TEST_F(CameraControl, PolarPanFollowsTheScreenAtEveryHeading) {
  // The polar view shifts the picture by -position in eye space, so a drag
  // to the right must lower position.x, whatever the heading.
  Hold(VK_SHIFT);
  for (float heading : {0.0f, 90.0f, 180.0f, 270.0f}) {
    polarCam = OGLcamera{};
    polarCam.heading = heading;
    Drag(50, 0);
    UpdatePolarCamera();
    EXPECT_NEAR(polarCam.position[0], -0.5f, 1e-6) << heading;
    EXPECT_EQ(polarCam.heading, heading) << "a drag with Shift does not turn";
    mouseState.changed = 0;
    Hold(VK_LEFT);
    UpdatePolarCamera();
    EXPECT_NEAR(polarCam.position[0], -0.3f, 1e-6)
        << "left arrow pans left on screen at " << heading;
    keyboardState.table[VK_LEFT].down = 0;
    Drag(0, 20);  // the picture follows the cursor down
    UpdatePolarCamera();
    EXPECT_NEAR(polarCam.position[1], 0.2f, 1e-6);
    mouseState.changed = 0;
  }
  Hold(VK_DOWN);
  polarCam.position[1] = 0;
  UpdatePolarCamera();
  EXPECT_NEAR(polarCam.position[1], 0.2f, 1e-6);
}

TEST_F(CameraControl, Vec3Operations) {
  Vec3 a{};
  a.Set(1, 2, 3);
  Vec3 b{};
  b.Set(4, 5, 6);
  Vec3 separate{};
  a.Cross(separate, b);
  EXPECT_EQ(separate.x, -3);
  EXPECT_EQ(separate.y, 6);
  EXPECT_EQ(separate.z, -3);
  Vec3 intoA = a;
  intoA.Cross(intoA, b);  // out is a
  EXPECT_EQ(intoA.x, separate.x);
  EXPECT_EQ(intoA.y, separate.y);
  EXPECT_EQ(intoA.z, separate.z);
  Vec3 intoB = b;
  a.Cross(intoB, intoB);  // out is b
  EXPECT_EQ(intoB.z, separate.z);
  EXPECT_EQ(a.LengthSquared(), 14.0);
  Vec3 big{};
  big.Set(3e19f, 4e19f, 0);
  EXPECT_NEAR(big.LengthSquared() / 25e38, 1.0, 1e-6) << "no float overflow";
  Vec3 c{};
  ScaledCopy(c, a, 2);
  EXPECT_EQ(c.z, 6);
  c.Divide(4);
  EXPECT_EQ(c.z, 1.5f);
}

TEST_F(CameraControl, FlyStrafeAndUpVectors) {
  flyCam.direction[0] = 0, flyCam.direction[1] = 0, flyCam.direction[2] = -1;
  Hold(VK_SHIFT);
  Hold(VK_RIGHT);
  UpdateFlyCamera();
  EXPECT_NEAR(flyCam.position[0], 0.1f, 1e-7);
  EXPECT_EQ(flyCam.position[1], 0);
  keyboardState.table[VK_RIGHT].down = 0;
  Hold(VK_UP);
  UpdateFlyCamera();
  EXPECT_NEAR(flyCam.position[1], 0.1f, 1e-7);
  keyboardState.table[VK_UP].down = 0;
  keyboardState.table[VK_SHIFT].down = 0;
  Hold(VK_A);
  UpdateFlyCamera();
  EXPECT_NEAR(flyCam.position[2], -0.05f, 1e-7);

  // Straight up (elevation 90): the right vector is still the heading's
  // horizontal right, a full step long.
  flyCam = OGLcamera{};
  flyCam.heading = 0, flyCam.elevation = 90;
  ApplyFlyView(flyCam);  // the direction of the last frame drawn
  keyboardState.table[VK_A].down = 0;
  Hold(VK_SHIFT);
  Hold(VK_RIGHT);
  UpdateFlyCamera();
  EXPECT_NEAR(flyCam.position[0], 0.1f, 1e-6);
  EXPECT_NEAR(flyCam.position[2], 0, 1e-6);
  EXPECT_EQ(flyCam.heading, 0);
  EXPECT_EQ(flyCam.elevation, 90);
}

TEST_F(CameraControl, FlyTurnsAndClampsTheElevation) {
  Hold(VK_LEFT);
  UpdateFlyCamera();
  EXPECT_FLOAT_EQ(flyCam.heading, 1);
  keyboardState.table[VK_LEFT].down = 0;
  Hold(VK_RIGHT);
  flyCam.heading = 0;
  UpdateFlyCamera();
  EXPECT_FLOAT_EQ(flyCam.heading, 359);
  keyboardState.table[VK_RIGHT].down = 0;
  Hold(VK_UP);
  flyCam.elevation = 89.5f;
  UpdateFlyCamera();
  EXPECT_EQ(flyCam.elevation, 90);
  UpdateFlyCamera();
  EXPECT_EQ(flyCam.elevation, 90);
  keyboardState.table[VK_UP].down = 0;
  Drag(40, -20);  // right and up by a twentieth of a degree per pixel
  flyCam.heading = 10, flyCam.elevation = 0;
  UpdateFlyCamera();
  EXPECT_FLOAT_EQ(flyCam.heading, 8);
  EXPECT_FLOAT_EQ(flyCam.elevation, 1);
  EXPECT_EQ(flyCam.position[0], 0);
  // Turning and moving in one update: the move uses the direction of the
  // last frame drawn.
  flyCam.direction[0] = 0, flyCam.direction[1] = 0, flyCam.direction[2] = -1;
  mouseState.changed = 0;
  Hold(VK_LEFT);
  Hold(VK_Z);
  UpdateFlyCamera();
  EXPECT_NEAR(flyCam.position[2], 0.05f, 1e-7);
  EXPECT_EQ(flyCam.position[0], 0);
}

TEST(Camera, WrapDegreesAndSetElevation) {
  OGLcamera c;
  const std::pair<float, float> cases[] = {{-6, 354},  {360, 360},  {0, 0},
                                           {725, 365}, {-400, -40}, {359.5f, 359.5f}};
  for (auto [in, out] : cases) {
    SetElevation(c, in);
    EXPECT_EQ(c.elevation, out) << in;
  }
}

}  // namespace

namespace {

// Notches there and back give the distance back; the fly camera comes a
// tenth of the way to the centre per notch, along its view.
TEST(WheelZoom, NotchesAreTenthsOfTheWayToTheCentre) {
  OGLcamera polar;
  polar.distance = 200;
  ZoomWithWheel(polar, true, 3);
  EXPECT_NEAR(polar.distance, 200 * 0.9 * 0.9 * 0.9, 1e-3);
  ZoomWithWheel(polar, true, -3);
  EXPECT_NEAR(polar.distance, 200, 1e-3);
  OGLcamera fly;
  fly.position[2] = 100;
  fly.direction[2] = -1;  // looking at the centre
  ZoomWithWheel(fly, false, 1);
  EXPECT_NEAR(fly.position[2], 90, 1e-4);
  ZoomWithWheel(fly, false, -1);
  EXPECT_NEAR(fly.position[2], 100, 1e-3);
}

// A pixel's worth of pan at the centre's depth: 2 d tan(fov / 2) / height,
// with the picture (the polar pan offset goes against the eye's x).
TEST(CursorPan, MovesByThePixelWidthAtTheCentresDepth) {
  OGLcamera polar;
  polar.fov = 90, polar.distance = 50;
  PanWithCursor(polar, true, 10, -4, 100);
  EXPECT_NEAR(polar.position[0], -10.0f, 1e-4);
  EXPECT_NEAR(polar.position[1], -4.0f, 1e-4);
  OGLcamera fly;
  fly.fov = 90, fly.position[2] = 50, fly.direction[2] = -1;
  PanWithCursor(fly, false, 10, 0, 100);
  EXPECT_NEAR(fly.position[0], -10.0f, 1e-4);  // the eye goes left, the scene right
  EXPECT_NEAR(fly.position[2], 50.0f, 1e-4);
}

}  // namespace
