// The face census: how many exposed faces each direction has among the
// interior voxels (indices 1 .. dim-2 on every axis). The counts size the
// quad arrays exactly, so they must be exact; the order in which voxels are
// visited does not change them, so the census walks memory in order, a row
// of x at a time, sixteen voxels per step, testing all six neighbours with
// vector compares and counting in byte lanes.
#include <algorithm>
#include <cstdint>

#include "surface/byte_vectors.h"
#include "surface/ogl_cuberille.h"
#include "surface/volume_view.h"

namespace surface {
namespace {

using Counts = std::uint64_t[kFaceDirections];

// Counts the faces of `n` consecutive voxels starting at `row`; the six
// neighbour rows are at the given byte offsets, in FaceDirection order.
void CountRow(const std::uint8_t* row, std::size_t n, const std::ptrdiff_t offsets[6],
              Counts counts) {
  std::size_t i = 0;
  while (n - i >= 16) {
    // Byte lanes count up to 255 before they are added up.
    const std::size_t steps = std::min<std::size_t>((n - i) / 16, 255);
    Bytes16 lanes[kFaceDirections] = {};
    for (std::size_t k = 0; k < steps; ++k, i += 16) {
      const Bytes16 solid = NonZero(Load16(row + i));
      for (int d = 0; d < kFaceDirections; ++d) {
        lanes[d] -= solid & IsZero(Load16(row + i + offsets[d]));
      }
    }
    for (int d = 0; d < kFaceDirections; ++d) counts[d] += SumLanes(lanes[d]);
  }
  for (; i < n; ++i) {
    if (row[i] == 0) continue;
    for (int d = 0; d < kFaceDirections; ++d) counts[d] += row[i + offsets[d]] == 0;
  }
}

}  // namespace
}  // namespace surface

std::uint32_t OGLcuberille::CountFaces() {
  using namespace surface;
  if (!voxSpace) return 0;
  for (QuadList& list : quadLists) list.quadCount = 0;
  const VolumeView view(*voxSpace);
  if (!view.HasInterior()) return 0;

  const std::ptrdiff_t offsets[kFaceDirections] = {-1, 1, -view.stride[1], view.stride[1],
                                                   -view.stride[2], view.stride[2]};
  Counts counts = {};
  const std::size_t rowLength = view.dim[0] - 2;
  for (std::uint32_t z = 1; z < view.InteriorEnd(Z_AXIS); ++z) {
    for (std::uint32_t y = 1; y < view.InteriorEnd(Y_AXIS); ++y) {
      CountRow(view.data + view.Index(1, y, z), rowLength, offsets, counts);
    }
  }
  // A count beyond 32 bits could never be allocated anyway; saturate
  // rather than wrap, and the builders never write past a count.
  std::uint32_t total = 0;
  for (int d = 0; d < kFaceDirections; ++d) {
    quadLists[d].quadCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(counts[d], UINT32_MAX));
    total += quadLists[d].quadCount;
  }
  return total;
}

void OGLcuberille::InitBoxTriangles() {
  if (!voxSpace) return;
  // Half extents of the interior region, which is centred on the origin
  // (dim - 2 taken in floats: a dimension below 2 must not wrap).
  const float ex = (static_cast<float>(voxSpace->dimX) - 2.0f) * voxelSize[0] * 0.5f;
  const float ey = (static_cast<float>(voxSpace->dimY) - 2.0f) * voxelSize[1] * 0.5f;
  const float ez = (static_cast<float>(voxSpace->dimZ) - 2.0f) * voxelSize[2] * 0.5f;
  // Each direction's triangle lies on the box side opposite to it, front
  // side facing the same way as the direction's faces.
  const float corners[kFaceDirections][3][3] = {
      {{ex, -ey, -ez}, {ex, -ey, ez}, {ex, ey, -ez}},       // LEFT
      {{-ex, -ey, -ez}, {-ex, ey, -ez}, {-ex, -ey, ez}},    // RIGHT
      {{-ex, ey, -ez}, {ex, ey, -ez}, {-ex, ey, ez}},       // DOWN
      {{-ex, -ey, -ez}, {-ex, -ey, ez}, {ex, -ey, -ez}},    // UP
      {{-ex, -ey, ez}, {-ex, ey, ez}, {ex, -ey, ez}},       // BACK
      {{-ex, ey, -ez}, {-ex, -ey, -ez}, {ex, -ey, -ez}},    // FRONT
  };
  for (int d = 0; d < kFaceDirections; ++d) {
    for (int k = 0; k < 3; ++k) {
      boxTriangles[d][k].x = corners[d][k][0];
      boxTriangles[d][k].y = corners[d][k][1];
      boxTriangles[d][k].z = corners[d][k][2];
    }
  }
}
