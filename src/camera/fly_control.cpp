// The fly camera control: turns by heading and elevation, moves the eye in
// the camera's own frame (right and up vectors from the view direction of
// the last frame drawn) and along the view direction.
#include <cmath>

#include "camera/camera_controls.h"
#include "camera/vec3.h"

namespace {

void Normalise(Vec3& v) {
  const auto length = static_cast<float>(std::sqrt(v.LengthSquared()));
  v.Divide(length);
}

// D x Y, normalised.
Vec3 RightVector(const Vec3& d) {
  Vec3 y{};
  y.Set(0, 1, 0);
  Vec3 right{};
  d.Cross(right, y);
  Normalise(right);
  return right;
}

// (D x Y) x D, normalised.
Vec3 UpVector(const Vec3& d) {
  Vec3 y{};
  y.Set(0, 1, 0);
  Vec3 t{};
  d.Cross(t, y);
  Vec3 up{};
  t.Cross(up, d);
  Normalise(up);
  return up;
}

void Move(Vec3& p, Vec3 v, float s) { p.Add(v.Scale(s)); }

float ClampElevation(float v) {
  if (v > 90) return 90;
  if (v < -90) return -90;
  return v;
}

}  // namespace

int UpdateFlyCamera(OGLcamera& cam, const Keyboard& keys, const Mouse& mouse, float step) {
  const float cd = step;
  const auto dx = static_cast<float>(mouse.table[MOUSE_X].delta);
  const auto dy = static_cast<float>(mouse.table[MOUSE_Y].delta);
  const Vec3 d = ToVec3(cam.direction);
  Vec3 p = ToVec3(cam.position);
  if (keys.Down(VK_SHIFT)) {
    if (mouse.Dragging()) {
      Move(p, RightVector(d), dx * 0.002f);
      Move(p, UpVector(d), dy * -0.002f);
    }
    if (keys.Down(VK_LEFT)) Move(p, RightVector(d), -cd);
    if (keys.Down(VK_RIGHT)) Move(p, RightVector(d), cd);
    if (keys.Down(VK_DOWN)) Move(p, UpVector(d), -cd);
    if (keys.Down(VK_UP)) Move(p, UpVector(d), cd);
  } else {
    if (mouse.Dragging()) {
      cam.heading = WrapDegrees(cam.heading - dx * 0.05f);
      cam.elevation = ClampElevation(cam.elevation - dy * 0.05f);
    }
    if (keys.Down(VK_LEFT)) cam.heading = WrapDegrees(cam.heading - cd * -10);
    if (keys.Down(VK_RIGHT)) cam.heading = WrapDegrees(cam.heading - cd * 10);
    if (keys.Down(VK_DOWN)) cam.elevation = ClampElevation(cam.elevation - cd * 10);
    if (keys.Down(VK_UP)) cam.elevation = ClampElevation(cam.elevation - cd * -10);
  }
  if (keys.Down(VK_A)) {
    Vec3 v{};
    ScaledCopy(v, d, cd * 0.5f);
    p.x += v.x, p.y += v.y, p.z += v.z;
  }
  if (keys.Down(VK_Z)) {
    const float s = cd * -0.5f;
    Vec3 v{};
    v.Set(s * d.x, s * d.y, s * d.z);
    p.Add(v);
  }
  StoreVec3(p, cam.position);
  return 1;
}
