// What the scene, visibility and frame tests share: a fresh context state
// per test (SceneGl) and column-major matrix helpers.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "app/app_state.h"
#include "gl_harness.h"
#include "platform/headless/headless_control.h"
#include "render/scene_setup.h"
#include "stdout_capture.h"

namespace scene_test {

using Matrix = std::array<float, 16>;

inline Matrix Current(GLenum which) {
  Matrix m{};
  glGetFloatv(which, m.data());
  return m;
}

// Column-major product a * b.
inline Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row)
      for (int k = 0; k < 4; ++k) r[c * 4 + row] += a[k * 4 + row] * b[c * 4 + k];
  return r;
}

inline Matrix Rotation(float degrees, float x, float y, float z) {
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

inline Matrix Translation(float x, float y, float z) {
  Matrix m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
  return m;
}

// Where a rigid view puts the eye, in the volume's coordinates: for
// view = [R | t] the eye is at -R^T t.
inline std::array<double, 3> EyeOf(const Matrix& view) {
  std::array<double, 3> eye{};
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) eye[i] -= double{view[i * 4 + k]} * view[12 + k];
  return eye;
}

inline void ExpectNear(const Matrix& got, const Matrix& want, float tolerance = 1e-5f) {
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
    deviceContext = platform::headless::OffscreenDeviceContext();
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
    return CaptureStdoutOf([] { SetupScene(); });
  }
};

}  // namespace scene_test
