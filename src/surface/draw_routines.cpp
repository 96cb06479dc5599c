// The three draw routines: at most one colour, one normal and one draw call
// per visible direction; the geometry is handed to OpenGL in place.
#include <GL/gl.h>

#include "surface/ogl_cuberille.h"

namespace {

bool Visible(std::int32_t mask, int direction) { return (mask >> direction) & 1; }

}  // namespace

int OGLcuberille::DrawQuads() {
  glEnableClientState(GL_VERTEX_ARRAY);
  for (int d = 0; d < kFaceDirections; ++d) {
    // A direction without an array (released after a failed build) is skipped.
    if (!Visible(visibleMask, d) || !quadLists[d].quads) continue;
    if (fastLighting) glColor3f(directionColors[d][0], directionColors[d][1], directionColors[d][2]);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &quadLists[d].quads->corners[0].x);
    glNormal3fv(normals[d]);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(4 * quadLists[d].quadCount));
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  return 1;
}

int OGLcuberille::DrawTexturedQuads() {
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  for (int d = 0; d < kFaceDirections; ++d) {
    if (!Visible(visibleMask, d) || !quadLists[d].quads) continue;
    if (fastLighting) glColor3f(directionColors[d][0], directionColors[d][1], directionColors[d][2]);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &quadLists[d].quads->corners[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &quadLists[d].quads->corners[0].s);
    glNormal3fv(normals[d]);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(4 * quadLists[d].quadCount));
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  return 1;
}

int OGLcuberille::DrawDisplayLists() {
  for (int d = 0; d < kFaceDirections; ++d) {
    if (!Visible(visibleMask, d)) continue;
    if (fastLighting) glColor3f(directionColors[d][0], directionColors[d][1], directionColors[d][2]);
    glCallList(displayLists[d]);
  }
  return 1;
}
