// The surface object's life: construction (no GL call: it runs before any
// context exists), attaching a volume, and the switch between the two
// render methods, which keeps only the geometry of the method in use.
#include "surface/ogl_cuberille.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/winapi.h"
#include "surface/corner_normals.h"
#include "surface/direction_tables.h"
#include "surface/gl_capability.h"
#include "surface/label_palette.h"
#include "surface/quad_arrays.h"

OGLcuberille::OGLcuberille()
    : voxSpace(nullptr),
      drawRoutine(&OGLcuberille::DrawQuads),
      normals{},
      quadLists{},
      mergedQuads{},
      displayLists{},
      voxelSize{1.0f, 1.0f, 1.0f},
      renderMethod(QUADS),
      textured(0),
      fastLighting(0) {
  std::memcpy(normals, surface::kNormals, sizeof normals);
  SetLabelColors(BuiltInPalette().rgb);
  ApplyRenderMethod();  // no volume yet: selects DrawQuads, builds nothing
  fastLighting = 0;
}

OGLcuberille::~OGLcuberille() { ReleaseQuadArrays(); }

void OGLcuberille::SetVoxSpace(VOXSPACE* volume) {
  if (!volume) return;
  voxSpace = volume;
  InitBoxTriangles();
  if (CountFaces() != 0) ApplyRenderMethod();
}

void OGLcuberille::SetVoxelSpacing(const double (&millimetres)[3]) {
  // Edges more than this many times the smallest are drawn at this many:
  // a header's stray value must not push the volume beyond a float's reach.
  constexpr double kLongestEdgeRatio = 1000;
  double smallest = 0;
  for (int axis = 0; axis < 3; ++axis) {
    const double edge = millimetres[axis];
    spacing[axis] = std::isfinite(edge) && edge > 0 ? edge : 1;
    if (smallest == 0 || spacing[axis] < smallest) smallest = spacing[axis];
  }
  for (int axis = 0; axis < 3; ++axis)
    voxelSize[axis] = static_cast<float>(std::fmin(spacing[axis] / smallest, kLongestEdgeRatio));
}

void OGLcuberille::SetRenderMethod(int method) {
  renderMethod = method;
  ApplyRenderMethod();
}

void OGLcuberille::SetTexturing(int on) {
  textured = on;
  SetCapability(GL_TEXTURE_2D, on != 0);
  ApplyRenderMethod();
}

void OGLcuberille::SetListHelperContext(HDC deviceContext, HGLRC context) {
  helperDeviceContext_ = deviceContext;
  helperContext_ = context;
}

void OGLcuberille::SetColoured(bool on) {
  coloured = on;
  ApplyRenderMethod();
}

void OGLcuberille::SetSmooth(bool on) {
  smooth = on;
  glShadeModel(on ? GL_SMOOTH : GL_FLAT);
  ApplyRenderMethod();
}

void OGLcuberille::SetLabelColors(const std::uint8_t (*rgb)[3]) {
  for (int v = 0; v < 256; ++v)
    for (int c = 0; c < 3; ++c) labelColors[v][c] = static_cast<float>(rgb[v][c]) / 255.0f;
}

void OGLcuberille::SetMerged(bool on) {
  merged = on;
  ApplyRenderMethod();
}

void OGLcuberille::ApplyRenderMethod() {
  if (renderMethod == QUADS) {
    DeleteDisplayLists();
    ReleaseQuadArrays(merged ? quadLists : mergedQuads);
    drawRoutine = textured ? &OGLcuberille::DrawTexturedQuads : &OGLcuberille::DrawQuads;
    const auto normals = SmoothNormals({});
    buildNormals_ = normals.get();
    if (merged) {
      BuildMergedQuads();
    } else {
      BuildQuads();
    }
    buildNormals_ = nullptr;
  } else {
    ReleaseQuadArrays();
    drawRoutine = &OGLcuberille::DrawDisplayLists;
    if (merged) {
      BuildMergedLists();
    } else {
      BuildStripLists();
    }
  }
  // The geometry given up (arrays, lists) is large: without this, every
  // switch of method or texturing leaves the process bigger for good.
  HeapCompact(GetProcessHeap(), 0);
}

std::unique_ptr<surface::CornerNormals> OGLcuberille::SmoothNormals(
    const surface::CornerNormals::CornerFilter& wanted) const {
  if (!smooth || !voxSpace) return nullptr;
  auto normals = surface::CornerNormals::Build(*voxSpace, spacing, coloured, wanted);
  if (!normals)
    std::fputs("not enough memory for smooth shading's normals: the faces are shaded flat\n",
               stderr);
  return normals;
}

void OGLcuberille::SetLook(const SurfaceLook& look) {
  renderMethod = look.renderMethod;
  textured = look.textured;
  merged = look.merged;
  coloured = look.coloured;
  smooth = look.smooth;
}

void OGLcuberille::AdoptGeometry(OGLcuberille& built) {
  // The bricks `built` calls again stay: they are its lists now.
  if (built.brickGrid_ == brickGrid_) {
    for (std::size_t b = 0; b < built.borrowed_.size(); ++b) {
      if (!built.borrowed_[b]) continue;
      for (int d = 0; d < kFaceDirections; ++d)
        if (b < brickLists_[d].size() && brickLists_[d][b] == built.brickLists_[d][b])
          brickLists_[d][b] = 0;
    }
  }
  ReleaseGeometry();
  SetLook(built.Look());
  voxSpace = built.voxSpace;
  drawRoutine = built.drawRoutine;
  std::memcpy(quadLists, built.quadLists, sizeof quadLists);
  std::memcpy(mergedQuads, built.mergedQuads, sizeof mergedQuads);
  std::memcpy(displayLists, built.displayLists, sizeof displayLists);
  std::memcpy(boxTriangles, built.boxTriangles, sizeof boxTriangles);
  std::memcpy(quadCapacity_, built.quadCapacity_, sizeof quadCapacity_);
  brickGrid_ = built.brickGrid_;
  for (int d = 0; d < kFaceDirections; ++d) {
    brickLists_[d] = std::move(built.brickLists_[d]);
    built.brickLists_[d].clear();
    built.quadLists[d] = {};
    built.mergedQuads[d] = {};
    built.displayLists[d] = 0;
    built.quadCapacity_[d] = 0;
  }
  borrowed_.clear();
  built.borrowed_.clear();
  ApplyLookState();
}

void OGLcuberille::ApplyLookState() const {
  glShadeModel(smooth ? GL_SMOOTH : GL_FLAT);
  SetCapability(GL_TEXTURE_2D, textured != 0);
}

void OGLcuberille::ReleaseGeometry() {
  DeleteDisplayLists();
  ReleaseQuadArrays();
}

void OGLcuberille::ReleaseQuadArrays() {
  ReleaseQuadArrays(quadLists);
  ReleaseQuadArrays(mergedQuads);
}

void OGLcuberille::ReleaseQuadArrays(QuadList* lists) {
  for (int d = 0; d < kFaceDirections; ++d) {
    std::free(lists[d].quads);
    lists[d].quads = nullptr;
    std::free(lists[d].normals);
    lists[d].normals = nullptr;
    if (lists == quadLists) quadCapacity_[d] = 0;
  }
}

bool OGLcuberille::AllocateNormals(QuadList* lists) {
  for (int d = 0; d < kFaceDirections; ++d) {
    std::free(lists[d].normals);
    lists[d].normals = nullptr;
    if (!buildNormals_) continue;
    lists[d].normals = surface::AllocateQuadNormals(lists[d].quadCount);
    if (!lists[d].normals) {
      ReleaseQuadArrays(lists);
      return false;
    }
  }
  return true;
}

void OGLcuberille::DeleteDisplayLists() {
  for (int d = 0; d < kFaceDirections; ++d) {
    if (displayLists[d] != 0) glDeleteLists(displayLists[d], 1);
    displayLists[d] = 0;
    for (std::size_t b = 0; b < brickLists_[d].size(); ++b) {
      const bool borrowed = b < borrowed_.size() && borrowed_[b];
      if (brickLists_[d][b] != 0 && !borrowed) glDeleteLists(brickLists_[d][b], 1);
    }
    brickLists_[d].clear();
  }
  borrowed_.clear();
}
