// The display-list geometry: each direction's faces compiled one list a
// brick (brick_grid.h) from the builder of that direction straight into
// OpenGL, the strips or in merged mode the rectangles, and one list per
// direction that calls those of its bricks.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
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
  void Vertex(float x, float y, float z) {
    glVertex3f(x, y, z);
    ++vertices;
  }
  void End() { glEnd(); }
  std::size_t vertices = 0;
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

// Runs `scan` into the sink the shading asks for; the vertices it wrote.
template <GLenum kMode, FaceDirection D, class Scan>
std::size_t ScanInto(const surface::CornerNormals* normals, Scan scan) {
  if (normals) {
    SmoothGlSink<kMode, D> sink(*normals);
    scan(sink);
    return sink.vertices;
  }
  GlSink<kMode> sink;
  scan(sink);
  return sink.vertices;
}

// Where brick i's faces are found: the brick and the voxels around it,
// which its faces look at, placed in the whole volume.
struct BrickPart {
  BrickPart(const VOXSPACE& volume, const surface::BrickGrid& grid, std::size_t i,
            const float voxelSize[3])
      : whole(volume), view(whole), place(whole, voxelSize) {
    std::uint32_t from[3], to[3];
    grid.Box(i, lo, hi);
    for (int axis = 0; axis < 3; ++axis) {
      from[axis] = lo[axis] > 0 ? lo[axis] - 1 : 0;
      to[axis] = std::min(hi[axis] + 1, whole.dim[axis]);
    }
    view = whole.Part(from, to);
    place = surface::Placement(whole, voxelSize, from);
  }
  // A scan line's end voxels are the brick's own only at the volume's border.
  surface::RunExtent Extent(int runAxis) const {
    return {lo[runAxis] == 0, hi[runAxis] == whole.dim[runAxis]};
  }

  surface::VolumeView whole, view;
  surface::Placement place;
  std::uint32_t lo[3], hi[3];
};

}  // namespace

template <FaceDirection D>
std::size_t OGLcuberille::BuildDirectionStrips(std::size_t brick) {
  const BrickPart part(*voxSpace, brickGrid_, brick, voxelSize);
  return ScanInto<GL_TRIANGLE_STRIP, D>(buildNormals_, [&](auto& sink) {
    surface::ScanStrips<D>(part.view, part.place, textured != 0,
                           part.Extent(surface::kStripScan[D].run), sink, BuildColors());
  });
}

template <FaceDirection D>
std::size_t OGLcuberille::BuildDirectionRectangles(std::size_t brick) {
  const BrickPart part(*voxSpace, brickGrid_, brick, voxelSize);
  return ScanInto<GL_QUADS, D>(buildNormals_, [&](auto& sink) {
    surface::ScanRectangles<D>(part.view, part.place, textured != 0,
                               part.Extent(surface::kStripScan[D].run), sink, BuildColors());
  });
}

void OGLcuberille::ReuseBricksOf(const OGLcuberille& shown) {
  reusableVolume_ = nullptr;
  if (renderMethod != TRISTRIP_DISPLIST || !(shown.Look() == Look()) || !shown.voxSpace) return;
  if (std::memcmp(shown.voxelSize, voxelSize, sizeof voxelSize) != 0 ||
      std::memcmp(shown.spacing, spacing, sizeof spacing) != 0 ||
      std::memcmp(shown.labelColors, labelColors, sizeof labelColors) != 0)
    return;
  try {
    for (int d = 0; d < kFaceDirections; ++d) reusableLists_[d] = shown.brickLists_[d];
  } catch (const std::bad_alloc&) {
    return;  // compiled afresh
  }
  reusableGrid_ = shown.brickGrid_;
  reusableVolume_ = shown.voxSpace;
}

bool OGLcuberille::PlanBricks() {
  const VOXSPACE* reusable = reusableVolume_;
  reusableVolume_ = nullptr;  // once: its lists may be gone after this build
  brickGrid_ = voxSpace ? surface::BrickGrid::For(*voxSpace) : surface::BrickGrid{};
  const std::size_t total = brickGrid_.Total();
  try {
    borrowed_.assign(total, 0);
    for (auto& lists : brickLists_) lists.assign(total, 0);
    if (!reusable || !(reusableGrid_ == brickGrid_)) return true;
    const std::uint32_t reach = smooth ? surface::kNormalReach : 1;
    const auto changed = surface::ChangedBricks(*reusable, *voxSpace, brickGrid_, reach);
    for (std::size_t b = 0; b < total; ++b) {
      if (changed[b]) continue;
      borrowed_[b] = 1;
      for (int d = 0; d < kFaceDirections; ++d) brickLists_[d][b] = reusableLists_[d][b];
    }
  } catch (const std::bad_alloc&) {
    borrowed_.clear();
    for (auto& lists : brickLists_) lists.clear();
    return false;
  }
  return true;
}

// Compiles the brick lists of the directions of `mask` in the current
// context, into the names made for them; the names of bricks without
// faces there go to `unused` instead, to be deleted.
void OGLcuberille::CompileLists(const BrickBuilder (&builders)[kFaceDirections], int mask,
                                bool reports, UnusedNames& unused) {
  for (int d = 0; d < kFaceDirections; ++d) {
    if (!((mask >> d) & 1) || cancelBuild) continue;
    for (std::size_t b = 0; b < brickLists_[d].size() && !cancelBuild; ++b) {
      if (borrowed_[b]) continue;
      glNewList(brickLists_[d][b], GL_COMPILE);
      const std::size_t vertices = (this->*builders[d])(b);
      glEndList();
      if (vertices != 0) continue;
      unused[d].push_back(brickLists_[d][b]);  // within its reserve
      brickLists_[d][b] = 0;
    }
    const int built = ++directionsBuilt;
    if (reports && buildListener) buildListener(built / static_cast<double>(kFaceDirections));
  }
}

void OGLcuberille::CompileDirectionCalls(const UnusedNames& unused) {
  for (int d = 0; d < kFaceDirections; ++d) {
    for (const std::uint32_t name : unused[d]) glDeleteLists(name, 1);
    glNewList(displayLists[d], GL_COMPILE);
    for (const std::uint32_t name : brickLists_[d])
      if (name != 0) glCallList(name);
    glEndList();
  }
}

// The bricks to compile and, with smooth shading, the normals of their
// corners; then the lists.
int OGLcuberille::CompileDirectionLists(const BrickBuilder (&builders)[kFaceDirections]) {
  directionsBuilt = 0;
  bricksReused_ = 0;
  DeleteDisplayLists();
  if (!PlanBricks()) return 0;
  bricksReused_ = static_cast<std::size_t>(std::count(borrowed_.begin(), borrowed_.end(), 1));
  const auto normals = NormalsToCompile();
  // Without them the faces are flat: the bricks called again are not.
  if (smooth && !normals && bricksReused_ < borrowed_.size()) {
    std::fill(borrowed_.begin(), borrowed_.end(), std::uint8_t{0});
    bricksReused_ = 0;
  }
  buildNormals_ = normals.get();
  const int built = CompileBricks(builders);
  buildNormals_ = nullptr;
  return built;
}

std::unique_ptr<surface::CornerNormals> OGLcuberille::NormalsToCompile() const {
  if (!smooth || bricksReused_ == borrowed_.size()) return nullptr;  // none to compile
  if (bricksReused_ == 0) return SmoothNormals({});
  std::unique_ptr<surface::CornerRows> rows;
  try {
    rows = std::make_unique<surface::CornerRows>(brickGrid_, borrowed_);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return SmoothNormals([&](std::uint32_t y, std::uint32_t z) { return rows->Row(y, z); });
}

int OGLcuberille::CompileBricks(const BrickBuilder (&builders)[kFaceDirections]) {
  UnusedNames unused;
  try {
    for (auto& names : unused) names.reserve(borrowed_.size());
  } catch (const std::bad_alloc&) {
    return 0;
  }
  for (int d = 0; d < kFaceDirections; ++d) {
    displayLists[d] = glGenLists(1);
    if (displayLists[d] == 0) return 0;
    for (std::size_t b = 0; b < brickLists_[d].size(); ++b) {
      if (borrowed_[b]) continue;
      brickLists_[d][b] = glGenLists(1);
      if (brickLists_[d][b] == 0) return 0;
    }
  }
  // With a helper context, a second thread compiles the lists of RIGHT,
  // UP and FRONT while this one compiles the other three: opposite
  // directions hold about as many faces, so the halves take about as long.
  // Each context is used by one thread only; names are made and deleted
  // on this one.
  constexpr int kHelperHalf = (1 << RIGHT) | (1 << UP) | (1 << FRONT);
  constexpr int kAll = (1 << kFaceDirections) - 1;
  bool helped = false;
  std::thread helper;
  if (helperContext_) {
    glFlush();  // the names exist for the other context before it uses them
    try {
      helper = std::thread([&] {
        if (!wglMakeCurrent(helperDeviceContext_, helperContext_)) return;
        CompileLists(builders, kHelperHalf, false, unused);
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
  CompileLists(builders, kAll & ~kHelperHalf, true, unused);
  if (helper.joinable()) helper.join();
  if (!helped) CompileLists(builders, kHelperHalf, true, unused);
  CompileDirectionCalls(unused);
  return 1;
}

int OGLcuberille::BuildStripLists() {
  static constexpr BrickBuilder kBuilders[kFaceDirections] = {
      &OGLcuberille::BuildDirectionStrips<LEFT>, &OGLcuberille::BuildDirectionStrips<RIGHT>,
      &OGLcuberille::BuildDirectionStrips<DOWN>, &OGLcuberille::BuildDirectionStrips<UP>,
      &OGLcuberille::BuildDirectionStrips<BACK>, &OGLcuberille::BuildDirectionStrips<FRONT>};
  return CompileDirectionLists(kBuilders);
}

int OGLcuberille::BuildMergedLists() {
  static constexpr BrickBuilder kBuilders[kFaceDirections] = {
      &OGLcuberille::BuildDirectionRectangles<LEFT>,
      &OGLcuberille::BuildDirectionRectangles<RIGHT>,
      &OGLcuberille::BuildDirectionRectangles<DOWN>,
      &OGLcuberille::BuildDirectionRectangles<UP>,
      &OGLcuberille::BuildDirectionRectangles<BACK>,
      &OGLcuberille::BuildDirectionRectangles<FRONT>};
  return CompileDirectionLists(kBuilders);
}
