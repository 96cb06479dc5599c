// The per-frame entry and the three draw routines: at most one colour, one
// normal and one draw call per visible direction; the geometry is handed to
// OpenGL in place.
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

#include "surface/ogl_cuberille.h"

namespace {

bool Visible(std::int32_t mask, int direction) { return (mask >> direction) & 1; }

// glDrawArrays counts vertices in a signed 32-bit number: a direction of
// more than a quarter billion quads is drawn in parts, each from its own
// place in the array.
// With smooth shading the list's normals array gives each vertex its own.
void DrawQuadArray(const QuadList& list, bool textured, bool coloured) {
  constexpr std::uint32_t kMostQuads = std::uint32_t{1} << 28;
  const Quad* quads = list.quads;
  if (list.normals) glEnableClientState(GL_NORMAL_ARRAY);
  std::uint32_t first = 0;
  do {
    const std::uint32_t count = std::min(kMostQuads, list.quadCount - first);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &quads[first].corners[0].x);
    if (textured) glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &quads[first].corners[0].s);
    if (coloured) glColorPointer(3, GL_FLOAT, sizeof(Vertex), &quads[first].corners[0].color[0]);
    if (list.normals)
      glNormalPointer(GL_BYTE, sizeof(PackedNormal), &list.normals[first].corners[0]);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(4 * count));
    first += count;
  } while (first < list.quadCount);
  if (list.normals) glDisableClientState(GL_NORMAL_ARRAY);
}

}  // namespace

int OGLcuberille::Draw(bool queryVisibility) {
  if (queryVisibility) {
    visibleMask = QueryVisibleDirections();
    lightingWasOn = fastLighting && !LitByOpenGL() && glIsEnabled(GL_LIGHTING) ? 1 : 0;
    if (lightingWasOn) glDisable(GL_LIGHTING);
  } else {
    visibleMask = 63;
    lightingWasOn = 0;
  }
  if (coloured) {
    // The geometry's colours become the material while it is drawn; the
    // material, the current colour and fast lighting are as before after.
    glPushAttrib(GL_LIGHTING_BIT | GL_CURRENT_BIT);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    (this->*drawRoutine)();
    glPopAttrib();
    return 1;
  }
  (this->*drawRoutine)();
  if (fastLighting && lightingWasOn) glEnable(GL_LIGHTING);
  return 1;
}

void OGLcuberille::SetDirectionColor(int direction) const {
  if (fastLighting && !LitByOpenGL()) glColor3fv(directionColors[direction]);
}

int OGLcuberille::DrawQuads() {
  const QuadList* lists = DrawnQuadLists();
  glEnableClientState(GL_VERTEX_ARRAY);
  if (coloured) glEnableClientState(GL_COLOR_ARRAY);
  for (int d = 0; d < kFaceDirections; ++d) {
    // A direction without an array (released after a failed build) is skipped.
    if (!Visible(visibleMask, d) || !lists[d].quads) continue;
    SetDirectionColor(d);
    glNormal3fv(normals[d]);
    DrawQuadArray(lists[d], false, coloured);
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  return 1;
}

int OGLcuberille::DrawTexturedQuads() {
  const QuadList* lists = DrawnQuadLists();
  glEnableClientState(GL_VERTEX_ARRAY);
  if (coloured) glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  for (int d = 0; d < kFaceDirections; ++d) {
    if (!Visible(visibleMask, d) || !lists[d].quads) continue;
    SetDirectionColor(d);
    glNormal3fv(normals[d]);
    DrawQuadArray(lists[d], true, coloured);
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  return 1;
}

int OGLcuberille::DrawDisplayLists() {
  for (int d = 0; d < kFaceDirections; ++d) {
    if (!Visible(visibleMask, d)) continue;
    SetDirectionColor(d);
    glCallList(displayLists[d]);
  }
  return 1;
}
