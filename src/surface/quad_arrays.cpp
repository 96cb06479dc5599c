// The QUADS geometry: one array per direction, one quad per exposed face,
// in the census's visiting order: BACK, FRONT, DOWN and UP by y, then z,
// then x; LEFT and RIGHT by y, then x, then z. Each array is allocated once
// at the census count; a write never goes past that count.
#include <cstdlib>

#include "surface/byte_vectors.h"
#include "surface/direction_tables.h"
#include "surface/ogl_cuberille.h"
#include "surface/volume_view.h"

namespace surface {
namespace {

// The far corner of a voxel's cell: low corner plus one voxel edge.
struct Cell {
  float low[3];
  float high[3];
};

template <FaceDirection D>
inline void WriteQuad(Quad& quad, const Cell& cell) {
  for (int k = 0; k < 4; ++k) {
    const CornerOffset& c = kQuadCorners[D][k];
    Vertex& v = quad.corners[k];
    v.x = c.dx ? cell.high[0] : cell.low[0];
    v.y = c.dy ? cell.high[1] : cell.low[1];
    v.z = c.dz ? cell.high[2] : cell.low[2];
    v.s = c.s;
    v.t = c.t;
  }
}

class QuadWriter {
 public:
  QuadWriter(QuadList* lists) : lists_(lists) {}

  template <FaceDirection D>
  void Add(const Cell& cell) {
    if (next_[D] < lists_[D].quadCount) WriteQuad<D>(lists_[D].quads[next_[D]++], cell);
  }
  std::int32_t Total() const {
    std::uint64_t total = 0;
    for (std::uint64_t n : next_) total += n;
    return static_cast<std::int32_t>(total);
  }

 private:
  QuadList* lists_;
  std::uint64_t next_[kFaceDirections] = {};
};

Cell CellAt(const Placement& place, std::uint32_t x, std::uint32_t y, std::uint32_t z) {
  Cell cell;
  const std::uint32_t index[3] = {x, y, z};
  for (int a = 0; a < 3; ++a) {
    cell.low[a] = place.Corner(a, index[a]);
    cell.high[a] = cell.low[a] + place.size[a];
  }
  return cell;
}

// Faces across y and z, x innermost; rows without any such face are
// passed over sixteen voxels at a time.
void WriteYZFaces(const VolumeView& view, const Placement& place, QuadWriter& out) {
  const std::ptrdiff_t sy = view.stride[1], sz = view.stride[2];
  const std::uint32_t xEnd = view.InteriorEnd(X_AXIS);
  for (std::uint32_t y = 1; y < view.InteriorEnd(Y_AXIS); ++y) {
    for (std::uint32_t z = 1; z < view.InteriorEnd(Z_AXIS); ++z) {
      const std::uint8_t* row = view.data + view.Index(0, y, z);
      std::uint32_t x = 1;
      while (x < xEnd) {
        if (xEnd - x >= 16) {
          const std::uint8_t* p = row + x;
          const Bytes16 faces = NonZero(Load16(p)) & (IsZero(Load16(p - sz)) | IsZero(Load16(p + sz)) |
                                                      IsZero(Load16(p - sy)) | IsZero(Load16(p + sy)));
          if (!AnySet(faces)) {
            x += 16;
            continue;
          }
        }
        const std::uint8_t* p = row + x;
        if (*p) {
          const bool back = p[-sz] == 0, front = p[sz] == 0, down = p[-sy] == 0, up = p[sy] == 0;
          if (back | front | down | up) {
            const Cell cell = CellAt(place, x, y, z);
            if (back) out.Add<BACK>(cell);
            if (front) out.Add<FRONT>(cell);
            if (down) out.Add<DOWN>(cell);
            if (up) out.Add<UP>(cell);
          }
        }
        ++x;
      }
    }
  }
}

// Faces across x, z innermost.
void WriteXFaces(const VolumeView& view, const Placement& place, QuadWriter& out) {
  const std::ptrdiff_t sz = view.stride[2];
  for (std::uint32_t y = 1; y < view.InteriorEnd(Y_AXIS); ++y) {
    for (std::uint32_t x = 1; x < view.InteriorEnd(X_AXIS); ++x) {
      const std::uint8_t* p = view.data + view.Index(x, y, 1);
      for (std::uint32_t z = 1; z < view.InteriorEnd(Z_AXIS); ++z, p += sz) {
        if (!*p) continue;
        const bool left = p[-1] == 0, right = p[1] == 0;
        if (!(left | right)) continue;
        const Cell cell = CellAt(place, x, y, z);
        if (left) out.Add<LEFT>(cell);
        if (right) out.Add<RIGHT>(cell);
      }
    }
  }
}

}  // namespace
}  // namespace surface

std::int32_t OGLcuberille::BuildQuads() {
  using namespace surface;
  if (!voxSpace) return 0;
  for (int d = 0; d < kFaceDirections; ++d) {
    std::free(quadLists[d].quads);
    // One allocation per direction, at its exact size (at least one byte,
    // so an empty direction still has an array).
    const std::size_t bytes = std::size_t{quadLists[d].quadCount} * sizeof(Quad);
    quadLists[d].quads = static_cast<Quad*>(std::malloc(bytes ? bytes : 1));
    if (!quadLists[d].quads) {
      // No array of this build may be drawn unfilled: release them all, so
      // every direction is skipped until a build succeeds.
      ReleaseQuadArrays();
      return 0;
    }
  }
  const VolumeView view(*voxSpace);
  if (!view.HasInterior()) return 0;
  const Placement place(view, voxelSize);
  QuadWriter writer(quadLists);
  WriteYZFaces(view, place, writer);
  WriteXFaces(view, place, writer);
  return writer.Total();
}
