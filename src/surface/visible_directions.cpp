// Visible directions and fast lighting. All faces of a direction share one
// normal, so two per-frame decisions come from one feedback pass over six
// big triangles on the surface's bounding box, each wound like its
// direction's faces: a direction whose triangle is culled or clipped away
// cannot show a front face and is skipped, and the lit colour of each
// surviving triangle is the lit colour of all its direction's faces (light
// 0 is directional, with no local viewer and no specular part).
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "surface/ogl_cuberille.h"

namespace {

constexpr float kPassThroughToken = GL_PASS_THROUGH_TOKEN;
constexpr float kPolygonToken = GL_POLYGON_TOKEN;
constexpr int kValuesPerVertex = 7;  // GL_3D_COLOR: x, y, z, r, g, b, a

// Half the edge of the interior region's box, which is centred on the
// origin. A dimension of 0, 1 or 2 has no interior, yet the strip lists
// still hold faces of the border layer along their run axis: the extent
// is kept positive (at least half a voxel) so that every box triangle keeps
// its winding and its area, and with them the culling it is queried for.
float BoxHalfExtent(std::uint32_t dim, float voxelEdge) {
  const float interior = std::fabs(static_cast<float>(dim) - 2.0f);
  return std::max(interior, 1.0f) * voxelEdge * 0.5f;
}

}  // namespace

std::int32_t OGLcuberille::QueryVisibleDirections() {
  glFeedbackBuffer(kFeedbackSize, GL_3D_COLOR, feedbackBuffer);
  // Under flat shading the clipper gives the vertices it makes no colour of
  // their own (black in feedback), and a triangle cut by the view's sides
  // starts with such a vertex. Smooth shading interpolates them between the
  // three equal lit colours, so every vertex returned has the lit colour.
  glPushAttrib(GL_LIGHTING_BIT);
  glShadeModel(GL_SMOOTH);
  glRenderMode(GL_FEEDBACK);
  for (int d = 0; d < kFaceDirections; ++d) {
    glPassThrough(static_cast<float>(d));
    glBegin(GL_TRIANGLES);
    glNormal3fv(normals[d]);
    for (const Vertex& v : boxTriangles[d]) glVertex3fv(&v.x);
    glEnd();
  }
  const GLint count = glRenderMode(GL_RENDER);
  glPopAttrib();
  return ParseFeedback(count, feedbackBuffer);
}

std::int32_t OGLcuberille::ParseFeedback(int count, const float* buffer) {
  std::int32_t mask = 0;
  int current = -1;  // no direction marker seen yet
  int k = 0;
  while (k < count) {
    const float v = buffer[k];
    if (v == kPassThroughToken) {
      if (k + 1 >= count) break;
      // Only the query's own markers name a direction (checked as floats:
      // converting a value out of int range would be undefined).
      const float marker = buffer[k + 1];
      current = marker >= 0.0f && marker < kFaceDirections ? static_cast<int>(marker) : -1;
      k += 2;
    } else if (v == kPolygonToken) {
      if (k + 1 >= count) break;
      // A polygon whose values would run past the end ends the walk.
      const float vertices = buffer[k + 1];
      if (!(vertices >= 0.0f && vertices <= static_cast<float>((count - k - 2) / kValuesPerVertex)))
        break;
      const int n = static_cast<int>(vertices);
      if (current >= 0 && n > 0) {
        mask |= 1 << current;
        directionColors[current][0] = buffer[k + 5];
        directionColors[current][1] = buffer[k + 6];
        directionColors[current][2] = buffer[k + 7];
      }
      k += 2 + kValuesPerVertex * n;
    } else {
      ++k;
    }
  }
  return mask;
}

void OGLcuberille::InitBoxTriangles() {
  if (!voxSpace) return;
  const float ex = BoxHalfExtent(voxSpace->dimX, voxelSize[0]);
  const float ey = BoxHalfExtent(voxSpace->dimY, voxelSize[1]);
  const float ez = BoxHalfExtent(voxSpace->dimZ, voxelSize[2]);
  // Each direction's triangle lies on the box side opposite to it, front
  // side facing the same way as the direction's faces.
  const float corners[kFaceDirections][3][3] = {
      {{ex, -ey, -ez}, {ex, -ey, ez}, {ex, ey, -ez}},     // LEFT
      {{-ex, -ey, -ez}, {-ex, ey, -ez}, {-ex, -ey, ez}},  // RIGHT
      {{-ex, ey, -ez}, {ex, ey, -ez}, {-ex, ey, ez}},     // DOWN
      {{-ex, -ey, -ez}, {-ex, -ey, ez}, {ex, -ey, -ez}},  // UP
      {{-ex, -ey, ez}, {-ex, ey, ez}, {ex, -ey, ez}},     // BACK
      {{-ex, ey, -ez}, {-ex, -ey, -ez}, {ex, -ey, -ez}},  // FRONT
  };
  for (int d = 0; d < kFaceDirections; ++d) {
    for (int k = 0; k < 3; ++k) {
      boxTriangles[d][k].x = corners[d][k][0];
      boxTriangles[d][k].y = corners[d][k][1];
      boxTriangles[d][k].z = corners[d][k][2];
    }
  }
}
