// The camera record shared by the polar (orbiting) and the fly camera, the
// angle conventions, and the operations that load its matrices.
#pragma once

constexpr float DEG_TO_RAD = 0.017453292f;

// Thirteen floats; position, direction and the last slot mean different
// things to the two cameras. All angles are in degrees.
struct OGLcamera {
  float fov = 45;  // vertical field of view
  float aspect = 1;
  float zNear = 0.1f;
  float zFar = 1000;
  float position[3] = {0, 0, 0};    // polar: pan offset; fly: eye position
  float direction[3] = {0, 0, -1};  // polar: heading direction for panning; fly: view direction
  float heading = 0;
  float elevation = 0;
  float distance = 0;  // polar: distance of the origin in front of the eye; fly: roll

  float& roll() { return distance; }
};

// One-step wrap into 0..360: above 360 subtract 360, below 0 add 360.
float WrapDegrees(float degrees);

// gluPerspective of the camera on a fresh projection matrix; leaves the
// matrix mode at GL_PROJECTION.
void ApplyProjection(const OGLcamera& camera);

// Identity, translate (-x, -y, -distance), rotate -elevation about x, then
// +heading about y.
void ApplyPolarView(const OGLcamera& camera);

// elevation = WrapDegrees(angle).
void SetElevation(OGLcamera& camera, float angle);

// Recomputes direction from heading and elevation, then loads rotate -roll
// about z, -elevation about x, -heading about y, translate -position.
void ApplyFlyView(OGLcamera& camera);
