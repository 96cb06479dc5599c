#include "camera/ogl_camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

float WrapDegrees(float degrees) {
  if (degrees > 360) return degrees - 360;
  if (degrees < 0) return degrees + 360;
  return degrees;
}

void ApplyProjection(const OGLcamera& camera) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(camera.fov, camera.aspect, camera.zNear, camera.zFar);
}

void ApplyPolarView(const OGLcamera& camera) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(-camera.position[0], -camera.position[1], -camera.distance);
  glRotatef(-camera.elevation, 1, 0, 0);
  glRotatef(camera.heading, 0, 1, 0);
}

void SetElevation(OGLcamera& camera, float angle) { camera.elevation = WrapDegrees(angle); }

void ApplyFlyView(OGLcamera& camera) {
  // The angles are formed in double precision: as a float, 90 x DEG_TO_RAD
  // lies just beyond a right angle, and looking straight up would turn the
  // right vector (D x Y) of the fly control into the left one.
  const double a = static_cast<double>(camera.heading) * DEG_TO_RAD;
  camera.direction[0] = static_cast<float>(-std::sin(a));
  camera.direction[2] = static_cast<float>(-std::cos(a));
  const double b = static_cast<double>(camera.elevation) * DEG_TO_RAD;
  camera.direction[1] = static_cast<float>(std::sin(b));
  camera.direction[0] = static_cast<float>(std::cos(b) * camera.direction[0]);
  camera.direction[2] = static_cast<float>(std::cos(b) * camera.direction[2]);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRotatef(-camera.roll(), 0, 0, 1);
  glRotatef(-camera.elevation, 1, 0, 0);
  glRotatef(-camera.heading, 0, 1, 0);
  glTranslatef(-camera.position[0], -camera.position[1], -camera.position[2]);
}
