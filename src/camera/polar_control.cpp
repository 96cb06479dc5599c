// The polar camera control. Its sideways pan moves the picture in eye
// space, which is where the polar view applies the pan offset: a sideways
// drag moves the picture with the cursor and the arrow keys pan left and
// right on screen at every heading. (Turning the step by the heading, in
// the world's horizontal plane, would reverse the pan behind the volume
// and cancel it at the sides.)
#include <cmath>

#include "camera/camera_controls.h"

namespace {

// The horizontal heading direction (sin h, 0, -cos h).
void RecomputeHeadingDirection(OGLcamera& camera) {
  camera.direction[1] = 0;
  const float r = (90 - camera.heading) * DEG_TO_RAD;
  camera.direction[0] = std::cos(r);
  camera.direction[2] = -std::sin(r);
}

void PanSideways(OGLcamera& camera, float step) { camera.position[0] = camera.position[0] + step; }

}  // namespace

int UpdatePolarCamera(OGLcamera& cam, const Keyboard& keys, const Mouse& mouse, float step) {
  const float cd = step;
  const auto dx = static_cast<float>(mouse.table[MOUSE_X].delta);
  const auto dy = static_cast<float>(mouse.table[MOUSE_Y].delta);
  if (keys.Down(VK_SHIFT)) {
    if (mouse.Dragging()) {
      PanSideways(cam, dx * -0.01f);
      cam.position[1] = cam.position[1] - dy * -0.01f;
    }
    if (keys.Down(VK_LEFT)) PanSideways(cam, 2 * cd);
    if (keys.Down(VK_RIGHT)) PanSideways(cam, -2 * cd);
    if (keys.Down(VK_DOWN)) cam.position[1] = 2 * cd + cam.position[1];
    if (keys.Down(VK_UP)) cam.position[1] = -2 * cd + cam.position[1];
  } else {
    if (mouse.Dragging()) {
      cam.heading = WrapDegrees(cam.heading - dx * -0.25f);
      RecomputeHeadingDirection(cam);
      cam.elevation = WrapDegrees(cam.elevation - dy * 0.25f);
    }
    if (keys.Down(VK_LEFT)) {
      cam.heading = WrapDegrees(cam.heading - cd * 10);
      RecomputeHeadingDirection(cam);
    }
    if (keys.Down(VK_RIGHT)) {
      cam.heading = WrapDegrees(cam.heading - cd * -10);
      RecomputeHeadingDirection(cam);
    }
    if (keys.Down(VK_DOWN)) cam.elevation = WrapDegrees(cam.elevation - cd * 10);
    if (keys.Down(VK_UP)) cam.elevation = WrapDegrees(cam.elevation - cd * -10);
  }
  if (keys.Down(VK_A)) cam.distance = cam.distance - cd * 4;
  if (keys.Down(VK_Z)) cam.distance = cam.distance - cd * -4;
  return 1;
}
