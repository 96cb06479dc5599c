// The QUADS geometry: one array per direction, one quad per exposed face,
// in the census's visiting order: BACK, FRONT, DOWN and UP by y, then z,
// then x; LEFT and RIGHT by y, then x, then z. Each array is allocated once
// at the census count; a write never goes past that count.
//
// Most voxels have no face, so rows are tested sixteen voxels at a time
// and only the voxels with a face are visited. The LEFT/RIGHT order (z
// innermost) would read one byte per slice; instead each y plane is read
// in memory order twice: once to count each x's faces, which fixes where
// its quads go, then to write them there.
#include "surface/quad_arrays.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>

#include "surface/bit_lines.h"
#include "surface/byte_vectors.h"
#include "surface/corner_normals.h"
#include "surface/direction_tables.h"
#include "surface/ogl_cuberille.h"
#include "surface/volume_view.h"

namespace surface {
namespace {

// Big arrays are asked for in huge pages: first-touch page faults would
// otherwise cost as much as writing the quads.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Cell {
  float low[3];
  float high[3];  // low corner plus one voxel edge
  std::uint32_t index[3];
  std::uint8_t value;
};

Cell CellAt(const Placement& place, const std::uint8_t* row, std::uint32_t x, std::uint32_t y,
            std::uint32_t z) {
  Cell cell;
  cell.value = row[x];
  cell.index[0] = x, cell.index[1] = y, cell.index[2] = z;
  for (int a = 0; a < 3; ++a) {
    cell.low[a] = place.Corner(a, cell.index[a]);
    cell.high[a] = cell.low[a] + place.size[a];
  }
  return cell;
}

template <FaceDirection D>
inline void WriteQuad(Quad& quad, const Cell& cell, const LabelColors* colors) {
  for (int k = 0; k < 4; ++k) {
    const CornerOffset& c = kQuadCorners[D][k];
    Vertex& v = quad.corners[k];
    v.x = c.dx ? cell.high[0] : cell.low[0];
    v.y = c.dy ? cell.high[1] : cell.low[1];
    v.z = c.dz ? cell.high[2] : cell.low[2];
    if (colors) std::copy((*colors)[cell.value], (*colors)[cell.value] + 3, v.color);
    v.s = c.s;
    v.t = c.t;
  }
}

template <FaceDirection D>
inline void WriteNormals(QuadNormals& quad, const Cell& cell, const CornerNormals& normals) {
  for (int k = 0; k < 4; ++k) {
    const CornerOffset& c = kQuadCorners[D][k];
    const std::uint32_t corner[3] = {cell.index[0] + (c.dx != 0), cell.index[1] + (c.dy != 0),
                                     cell.index[2] + (c.dz != 0)};
    quad.corners[k] = normals.At(corner, cell.value, D);
  }
}

// Writes quads (and with smooth shading their normals) at given positions
// of the arrays, never past their counts.
class QuadWriter {
 public:
  QuadWriter(QuadList* lists, const LabelColors* colors, const CornerNormals* normals)
      : lists_(lists), colors_(colors), normals_(normals) {}

  template <FaceDirection D>
  void WriteAt(std::uint64_t index, const Cell& cell) {
    if (index >= lists_[D].quadCount) return;
    WriteQuad<D>(lists_[D].quads[index], cell, colors_);
    if (normals_) WriteNormals<D>(lists_[D].normals[index], cell, *normals_);
  }
  template <FaceDirection D>
  void Append(const Cell& cell) {
    WriteAt<D>(next_[D]++, cell);
  }
  std::uint64_t& Next(FaceDirection d) { return next_[d]; }
  std::int32_t Total() const {
    std::uint64_t total = 0;
    for (int d = 0; d < kFaceDirections; ++d)
      total += std::min<std::uint64_t>(next_[d], lists_[d].quadCount);
    return static_cast<std::int32_t>(std::min<std::uint64_t>(total, INT32_MAX));
  }

 private:
  QuadList* lists_;
  const LabelColors* colors_;
  const CornerNormals* normals_;
  std::uint64_t next_[kFaceDirections] = {};
};

inline bool Face(const std::uint8_t* p, std::ptrdiff_t offset) { return *p && !p[offset]; }

// Calls f(x, faces) for every voxel of the row (x from 1 to xEnd-1) with
// a face in any of the `count` directions whose neighbours lie at
// `offsets`; bit k of faces is set for direction k. In increasing x.
template <int kCount, typename F>
inline void ForEachFaceInRow(const std::uint8_t* row, std::uint32_t xEnd,
                             const std::ptrdiff_t (&offsets)[kCount], F f) {
  std::uint32_t x = 1;
  for (; x + 16 <= xEnd; x += 16) {
    const std::uint8_t* p = row + x;
    std::uint32_t bits[kCount];
    std::uint32_t any = 0;
    for (int k = 0; k < kCount; ++k) any |= bits[k] = LaneBits(FaceLanes(p, offsets[k]));
    ForEachBit(any, [&](unsigned lane) {
      std::uint32_t faces = 0;
      for (int k = 0; k < kCount; ++k) faces |= ((bits[k] >> lane) & 1u) << k;
      f(x + lane, faces);
    });
  }
  for (; x < xEnd; ++x) {
    std::uint32_t faces = 0;
    for (int k = 0; k < kCount; ++k)
      faces |= static_cast<std::uint32_t>(Face(row + x, offsets[k])) << k;
    if (faces) f(x, faces);
  }
}

// Both passes, one y plane at a time. The plane is read in memory order
// (z, then x): the BACK, FRONT, DOWN and UP quads are written as they are
// met (that is their order), while each x's LEFT and RIGHT faces are
// counted; the counts fix where each x's quads go, and a second read of
// the plane (now in cache) writes them there, so they come out by x, then z.
// False when its small scratch table cannot be had.
bool WriteAllFaces(const VolumeView& view, const Placement& place, QuadWriter& out) {
  const std::ptrdiff_t sy = view.stride[1], sz = view.stride[2];
  const std::ptrdiff_t acrossYZ[4] = {-sz, sz, -sy, sy};  // BACK, FRONT, DOWN, UP
  const std::ptrdiff_t acrossX[2] = {-1, 1};              // LEFT, RIGHT
  const std::uint32_t xEnd = view.InteriorEnd(X_AXIS), zEnd = view.InteriorEnd(Z_AXIS);
  ScratchWords leftAt(xEnd), rightAt(xEnd);
  if (!leftAt || !rightAt) return false;

  for (std::uint32_t y = 1; y < view.InteriorEnd(Y_AXIS); ++y) {
    leftAt.Clear();
    rightAt.Clear();
    for (std::uint32_t z = 1; z < zEnd; ++z) {
      const std::uint8_t* row = view.data + view.Index(0, y, z);
      ForEachFaceInRow(row, xEnd, acrossYZ, [&](std::uint32_t x, std::uint32_t faces) {
        const Cell cell = CellAt(place, row, x, y, z);
        if (faces & 1) out.Append<BACK>(cell);
        if (faces & 2) out.Append<FRONT>(cell);
        if (faces & 4) out.Append<DOWN>(cell);
        if (faces & 8) out.Append<UP>(cell);
      });
      ForEachFaceInRow(row, xEnd, acrossX, [&](std::uint32_t x, std::uint32_t faces) {
        leftAt[x] += faces & 1;
        rightAt[x] += faces >> 1;
      });
    }
    for (auto [at, direction] : {std::pair{&leftAt, LEFT}, std::pair{&rightAt, RIGHT}}) {
      std::uint64_t& next = out.Next(direction);
      for (std::uint32_t x = 1; x < xEnd; ++x) {
        const std::uint64_t count = (*at)[x];
        (*at)[x] = next;
        next += count;
      }
    }
    for (std::uint32_t z = 1; z < zEnd; ++z) {
      const std::uint8_t* row = view.data + view.Index(0, y, z);
      ForEachFaceInRow(row, xEnd, acrossX, [&](std::uint32_t x, std::uint32_t faces) {
        const Cell cell = CellAt(place, row, x, y, z);
        if (faces & 1) out.WriteAt<LEFT>(leftAt[x]++, cell);
        if (faces & 2) out.WriteAt<RIGHT>(rightAt[x]++, cell);
      });
    }
  }
  return true;
}

}  // namespace

namespace {

void* AllocateGeometry(std::size_t bytes) {
  if (bytes < 2 * kHugePage) return std::malloc(bytes ? bytes : 1);
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
  if (memory) madvise(memory, rounded, MADV_HUGEPAGE);
  return memory;
}

}  // namespace

Quad* AllocateQuads(std::uint32_t count) {
  return static_cast<Quad*>(AllocateGeometry(std::size_t{count} * sizeof(Quad)));
}

QuadNormals* AllocateQuadNormals(std::uint32_t count) {
  return static_cast<QuadNormals*>(AllocateGeometry(std::size_t{count} * sizeof(QuadNormals)));
}

std::optional<std::int32_t> WriteFaceQuads(const VOXSPACE& volume, const float voxelSize[3],
                                           const LabelColors* colors, const CornerNormals* normals,
                                           QuadList (&lists)[kFaceDirections]) {
  const VolumeView view(volume);
  if (!view.HasInterior()) return 0;
  const Placement place(view, voxelSize);
  QuadWriter writer(lists, colors, normals);
  if (!WriteAllFaces(view, place, writer)) return std::nullopt;
  return writer.Total();
}

}  // namespace surface

std::int32_t OGLcuberille::BuildQuads() {
  using namespace surface;
  if (!voxSpace) return 0;
  for (int d = 0; d < kFaceDirections; ++d) {
    if (quadLists[d].quads && quadCapacity_[d] == quadLists[d].quadCount) continue;
    std::free(quadLists[d].quads);
    quadLists[d].quads = AllocateQuads(quadLists[d].quadCount);
    quadCapacity_[d] = quadLists[d].quadCount;
    if (!quadLists[d].quads) {
      // No array of this build may be drawn unfilled: release them all, so
      // every direction is skipped until a build succeeds.
      ReleaseQuadArrays();
      return 0;
    }
  }
  if (!AllocateNormals(quadLists)) return 0;
  const auto written =
      WriteFaceQuads(*voxSpace, voxelSize, BuildColors(), buildNormals_, quadLists);
  if (!written) ReleaseQuadArrays();  // as for any allocation failure of the build
  return written.value_or(0);
}
