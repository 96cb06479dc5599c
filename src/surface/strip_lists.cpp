// The TRISTRIP_DISPLIST geometry: one display list per direction, compiled
// from the strip builder of that direction straight into OpenGL.
#include <GL/gl.h>

#include "surface/ogl_cuberille.h"
#include "surface/strip_scan.h"

namespace {

// Hands the strip builder's calls to OpenGL (inside glNewList/glEndList).
struct GlStripSink {
  void Normal(const float n[3]) { glNormal3fv(n); }
  void Begin() { glBegin(GL_TRIANGLE_STRIP); }
  void TexCoord(float s, float t) { glTexCoord2f(s, t); }
  void Vertex(float x, float y, float z) { glVertex3f(x, y, z); }
  void End() { glEnd(); }
};

}  // namespace

template <FaceDirection D>
int OGLcuberille::BuildDirectionStrips() {
  GlStripSink sink;
  return surface::ScanStrips<D>(voxSpace, voxelSize, textured != 0, sink);
}

int OGLcuberille::BuildStripLists() {
  for (int d = 0; d < kFaceDirections; ++d) {
    if (displayLists[d] != 0) glDeleteLists(displayLists[d], 1);
    displayLists[d] = glGenLists(1);
    if (displayLists[d] == 0) return 0;
  }
  using Builder = int (OGLcuberille::*)();
  static constexpr Builder kBuilders[kFaceDirections] = {
      &OGLcuberille::BuildDirectionStrips<LEFT>, &OGLcuberille::BuildDirectionStrips<RIGHT>,
      &OGLcuberille::BuildDirectionStrips<DOWN>, &OGLcuberille::BuildDirectionStrips<UP>,
      &OGLcuberille::BuildDirectionStrips<BACK>, &OGLcuberille::BuildDirectionStrips<FRONT>};
  for (int d = 0; d < kFaceDirections; ++d) {
    glNewList(displayLists[d], GL_COMPILE);
    (this->*kBuilders[d])();
    glEndList();
  }
  return 1;
}
