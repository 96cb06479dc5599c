#include "gl_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "platform/headless/offscreen_context.h"

namespace {

constexpr float kScale = 16.0f;

// Kept to the end of the process (never torn down), so the driver stays
// loaded and the leak checker can name the driver's own allocations.
platform::headless::OffscreenContext& SharedContext() {
  static auto* context = [] {
    auto* c = new platform::headless::OffscreenContext;
    c->Create(kPbufferSize, kPbufferSize);
    return c;
  }();
  return *context;
}

auto Key(const FeedbackVertex& v) {
  return std::make_tuple(v.x, v.y, v.z, v.s, v.t, v.r, v.g, v.b);
}

Triangle Canonical(Triangle t) {
  const auto smallest = std::min_element(t.begin(), t.end()) - t.begin();
  std::rotate(t.begin(), t.begin() + smallest, t.end());
  return t;
}

bool ZeroArea(const Triangle& t) {
  const float ux = t[1].x - t[0].x, uy = t[1].y - t[0].y, uz = t[1].z - t[0].z;
  const float vx = t[2].x - t[0].x, vy = t[2].y - t[0].y, vz = t[2].z - t[0].z;
  const float cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
  return cx == 0 && cy == 0 && cz == 0;
}

}  // namespace

bool FeedbackVertex::operator<(const FeedbackVertex& o) const { return Key(*this) < Key(o); }
bool FeedbackVertex::operator==(const FeedbackVertex& o) const { return Key(*this) == Key(o); }

void UseGlContext() {
  platform::headless::OffscreenContext& context = SharedContext();
  ASSERT_TRUE(context.MakeCurrent()) << "no offscreen GL context: " << context.error();
}

std::vector<Triangle> CaptureTriangles(const std::function<void()>& draw) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glViewport(0, 0, 2, 2);  // window = clip + 1: exact for these scales
  glDepthRange(0.0, 1.0);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glScalef(1 / kScale, 1 / kScale, 1 / kScale);

  std::vector<GLfloat> buffer(1 << 22);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint count = glRenderMode(GL_RENDER);

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  EXPECT_GE(count, 0) << "feedback buffer overflow";

  // Each vertex: x, y, z (window), r, g, b, a, s, t, r, q.
  std::vector<Triangle> triangles;
  for (GLint i = 0; i < count;) {
    const GLfloat token = buffer[i++];
    if (token != GL_POLYGON_TOKEN) {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
    const int n = static_cast<int>(buffer[i++]);
    EXPECT_EQ(n, 3) << "Mesa returns triangles";
    std::vector<FeedbackVertex> vertices;
    for (int k = 0; k < n && i + 11 <= count; ++k, i += 11) {
      const GLfloat* v = &buffer[i];
      vertices.push_back({(v[0] - 1) * kScale, (v[1] - 1) * kScale, (v[2] * 2 - 1) * kScale, v[7],
                          v[8], v[3], v[4], v[5]});
    }
    if (vertices.size() != 3) continue;
    const Triangle t = {vertices[0], vertices[1], vertices[2]};
    if (!ZeroArea(t)) triangles.push_back(Canonical(t));
  }
  return triangles;
}

std::multiset<Triangle> AsSet(const std::vector<Triangle>& triangles) {
  return {triangles.begin(), triangles.end()};
}

std::array<int, 3> PixelAt(int x, int y) {
  unsigned char rgba[4] = {};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return {rgba[0], rgba[1], rgba[2]};
}

std::string Describe(const Triangle& t) {
  std::ostringstream out;
  for (const FeedbackVertex& v : t)
    out << "(" << v.x << "," << v.y << "," << v.z << " st " << v.s << "," << v.t << ") ";
  return out.str();
}
