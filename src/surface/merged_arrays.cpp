// The merged QUADS geometry: each direction's faces of the interior joined
// into rectangles by the merged scan (merged_scan.h), one quad each, in
// arrays of the same records as the per-face ones, so the same draw
// routines draw either in place.
//
// The census counts faces, not rectangles, so each direction is scanned
// twice: a sink that only counts sizes the array exactly, then a second
// scan writes into it; no array is grown as it fills, nor sized for all
// the faces it merges. Only the interior's faces are covered, as the
// census counts them, so the merged arrays show the faces the per-face
// ones do.
#include "surface/merged_arrays.h"

#include <algorithm>
#include <cstdlib>

#include "surface/corner_normals.h"
#include "surface/merged_scan.h"
#include "surface/ogl_cuberille.h"
#include "surface/quad_arrays.h"

namespace surface {
namespace {

// Counts the rectangles of a direction (a first pass sizes the array).
struct RectangleCounter {
  std::uint64_t vertices = 0;
  void Normal(const float*) {}
  void Color(const float*) {}
  void Begin() {}
  void TexCoord(float, float) {}
  void Vertex(float, float, float) { ++vertices; }
  void End() {}
};

// Writes the rectangles as quads into an array of exactly `count`.
class RectangleWriter {
 public:
  RectangleWriter(Quad* quads, std::uint64_t count) : quads_(quads), end_(4 * count) {}
  void Normal(const float*) {}
  void Color(const float* rgb) { std::copy(rgb, rgb + 3, color_); }
  void Begin() {}
  void TexCoord(float s, float t) { s_ = s, t_ = t; }
  void Vertex(float x, float y, float z) {
    if (next_ >= end_) return;
    ::Vertex& v = quads_[next_ / 4].corners[next_ % 4];
    v.x = x, v.y = y, v.z = z, v.s = s_, v.t = t_;
    std::copy(color_, color_ + 3, v.color);
    ++next_;
  }
  void End() {}

 protected:
  // Where the next vertex goes, and whether there is room for it.
  std::uint64_t NextVertex() const { return next_; }
  bool HasRoom() const { return next_ < end_; }

 private:
  Quad* quads_;
  std::uint64_t end_;
  std::uint64_t next_ = 0;
  float s_ = 0, t_ = 0;
  float color_[3] = {};
};

// With smooth shading, each corner's normal too, in the normals array of
// the same count. A rectangle's inside takes its corners' normals in
// between; it is not split where they differ.
template <FaceDirection D>
class SmoothRectangleWriter : public RectangleWriter {
 public:
  SmoothRectangleWriter(Quad* quads, QuadNormals* normals, std::uint64_t count,
                        const CornerNormals& table)
      : RectangleWriter(quads, count), normals_(normals), table_(table) {}
  void Value(std::uint8_t v) { value_ = v; }
  void Corner(const std::uint32_t (&corner)[3]) {
    const std::uint64_t next = NextVertex();
    if (HasRoom()) normals_[next / 4].corners[next % 4] = table_.At(corner, value_, D);
  }

 private:
  QuadNormals* normals_;
  const CornerNormals& table_;
  std::uint8_t value_ = 0;
};

template <FaceDirection D>
bool BuildMergedDirection(const VOXSPACE* volume, const float voxelSize[3],
                          const LabelColors* colors, const CornerNormals* normals, QuadList& list) {
  RectangleCounter counter;
  ScanRectangles<D>(volume, voxelSize, true, RunExtent::kInterior, counter, colors);
  const std::uint64_t count = counter.vertices / 4;
  if (count > UINT32_MAX) return false;
  list.quadCount = static_cast<std::uint32_t>(count);
  list.quads = AllocateQuads(list.quadCount);
  if (!list.quads) return false;
  if (!normals) {
    RectangleWriter writer(list.quads, count);
    ScanRectangles<D>(volume, voxelSize, true, RunExtent::kInterior, writer, colors);
    return true;
  }
  list.normals = AllocateQuadNormals(list.quadCount);
  if (!list.normals) return false;
  SmoothRectangleWriter<D> writer(list.quads, list.normals, count, *normals);
  ScanRectangles<D>(volume, voxelSize, true, RunExtent::kInterior, writer, colors);
  return true;
}

}  // namespace

bool BuildMergedArray(FaceDirection direction, const VOXSPACE& volume, const float voxelSize[3],
                      const LabelColors* colors, const CornerNormals* normals, QuadList& list) {
  using Build =
      bool (*)(const VOXSPACE*, const float*, const LabelColors*, const CornerNormals*, QuadList&);
  static constexpr Build kBuilds[kFaceDirections] = {
      BuildMergedDirection<LEFT>, BuildMergedDirection<RIGHT>, BuildMergedDirection<DOWN>,
      BuildMergedDirection<UP>,   BuildMergedDirection<BACK>,  BuildMergedDirection<FRONT>};
  return kBuilds[direction](&volume, voxelSize, colors, normals, list);
}

}  // namespace surface

std::int32_t OGLcuberille::BuildMergedQuads() {
  using namespace surface;
  if (!voxSpace) return 0;
  std::uint64_t total = 0;
  for (int d = 0; d < kFaceDirections; ++d) {
    std::free(mergedQuads[d].quads);
    std::free(mergedQuads[d].normals);
    mergedQuads[d] = QuadList{};
    if (!BuildMergedArray(static_cast<FaceDirection>(d), *voxSpace, voxelSize, BuildColors(),
                          buildNormals_, mergedQuads[d])) {
      ReleaseQuadArrays(mergedQuads);  // none is drawn half built
      return 0;
    }
    total += mergedQuads[d].quadCount;
  }
  return static_cast<std::int32_t>(std::min<std::uint64_t>(total, INT32_MAX));
}
