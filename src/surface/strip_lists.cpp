// The display-list geometry: one display list per direction, compiled from
// the builder of that direction straight into OpenGL: the strips, or in
// merged mode the rectangles.
#include <GL/gl.h>

#include <exception>
#include <thread>

#include "surface/corner_normals.h"
#include "surface/merged_scan.h"
#include "surface/ogl_cuberille.h"
#include "surface/strip_scan.h"

namespace {

// Hands a builder's calls to OpenGL (inside glNewList/glEndList).
template <GLenum kMode>
struct GlSink {
  void Normal(const float n[3]) { glNormal3fv(n); }
  void Color(const float rgb[3]) { glColor3fv(rgb); }
  void Begin() { glBegin(kMode); }
  void TexCoord(float s, float t) { glTexCoord2f(s, t); }
  void Vertex(float x, float y, float z) { glVertex3f(x, y, z); }
  void End() { glEnd(); }
};

// With smooth shading, each vertex's own normal goes before it.
template <GLenum kMode, FaceDirection D>
struct SmoothGlSink : GlSink<kMode> {
  explicit SmoothGlSink(const surface::CornerNormals& table) : normals(table) {}
  void Value(std::uint8_t v) { value = v; }
  void Corner(const std::uint32_t (&corner)[3]) {
    const PackedNormal n = normals.At(corner, value, D);
    glNormal3b(n.x, n.y, n.z);
  }
  const surface::CornerNormals& normals;
  std::uint8_t value = 0;
};

using Builder = int (OGLcuberille::*)();

}  // namespace

template <FaceDirection D>
int OGLcuberille::BuildDirectionStrips() {
  if (buildNormals_) {
    SmoothGlSink<GL_TRIANGLE_STRIP, D> sink(*buildNormals_);
    return surface::ScanStrips<D>(voxSpace, voxelSize, textured != 0, sink, BuildColors());
  }
  GlSink<GL_TRIANGLE_STRIP> sink;
  return surface::ScanStrips<D>(voxSpace, voxelSize, textured != 0, sink, BuildColors());
}

template <FaceDirection D>
int OGLcuberille::BuildDirectionRectangles() {
  constexpr auto kWhole = surface::RunExtent::kWhole;
  if (buildNormals_) {
    SmoothGlSink<GL_QUADS, D> sink(*buildNormals_);
    return surface::ScanRectangles<D>(voxSpace, voxelSize, textured != 0, kWhole, sink,
                                      BuildColors());
  }
  GlSink<GL_QUADS> sink;
  return surface::ScanRectangles<D>(voxSpace, voxelSize, textured != 0, kWhole, sink,
                                    BuildColors());
}

// Compiles the lists of the directions of `mask` in the current context.
void OGLcuberille::CompileLists(const Builder (&builders)[kFaceDirections], int mask,
                                bool reports) {
  for (int d = 0; d < kFaceDirections; ++d) {
    if (!((mask >> d) & 1) || cancelBuild) continue;
    glNewList(displayLists[d], GL_COMPILE);
    (this->*builders[d])();
    glEndList();
    const int built = ++directionsBuilt;
    if (reports && buildListener) buildListener(built / static_cast<double>(kFaceDirections));
  }
}

// With a helper context, a second thread compiles the lists of RIGHT, UP
// and FRONT while this one compiles the other three: opposite directions
// hold about as many faces, so the halves take about as long. Each context
// is used by one thread only.
int OGLcuberille::CompileDirectionLists(const Builder (&builders)[kFaceDirections]) {
  directionsBuilt = 0;
  for (int d = 0; d < kFaceDirections; ++d) {
    if (displayLists[d] != 0) glDeleteLists(displayLists[d], 1);
    displayLists[d] = glGenLists(1);
    if (displayLists[d] == 0) return 0;
  }
  constexpr int kHelperHalf = (1 << RIGHT) | (1 << UP) | (1 << FRONT);
  constexpr int kAll = (1 << kFaceDirections) - 1;
  bool helped = false;
  std::thread helper;
  if (helperContext_) {
    glFlush();  // the names exist for the other context before it uses them
    try {
      helper = std::thread([&] {
        if (!wglMakeCurrent(helperDeviceContext_, helperContext_)) return;
        CompileLists(builders, kHelperHalf, false);
        glFinish();
        wglMakeCurrent(nullptr, nullptr);
        helped = true;
      });
    } catch (const std::exception&) {
      // No thread (std::system_error) or no memory for its state
      // (std::bad_alloc): this one compiles the helper's half too, as when
      // the helper's context fails.
    }
  }
  CompileLists(builders, kAll & ~kHelperHalf, true);
  if (helper.joinable()) helper.join();
  if (!helped) CompileLists(builders, kHelperHalf, true);
  return 1;
}

int OGLcuberille::BuildStripLists() {
  static constexpr Builder kBuilders[kFaceDirections] = {
      &OGLcuberille::BuildDirectionStrips<LEFT>, &OGLcuberille::BuildDirectionStrips<RIGHT>,
      &OGLcuberille::BuildDirectionStrips<DOWN>, &OGLcuberille::BuildDirectionStrips<UP>,
      &OGLcuberille::BuildDirectionStrips<BACK>, &OGLcuberille::BuildDirectionStrips<FRONT>};
  return CompileDirectionLists(kBuilders);
}

int OGLcuberille::BuildMergedLists() {
  static constexpr Builder kBuilders[kFaceDirections] = {
      &OGLcuberille::BuildDirectionRectangles<LEFT>,
      &OGLcuberille::BuildDirectionRectangles<RIGHT>,
      &OGLcuberille::BuildDirectionRectangles<DOWN>,
      &OGLcuberille::BuildDirectionRectangles<UP>,
      &OGLcuberille::BuildDirectionRectangles<BACK>,
      &OGLcuberille::BuildDirectionRectangles<FRONT>};
  return CompileDirectionLists(kBuilders);
}
