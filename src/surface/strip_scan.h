// The strip builder of one direction, written once for all six and for any
// sink of vertex calls (OpenGL while compiling a display list; a recorder in
// tests). Scan lines run along the direction's run axis over its whole
// extent; the two cross axes cover the interior. Every run of consecutive
// voxels with an exposed face becomes one triangle strip whose faces share
// edges: a run of n faces costs 2n + 2 vertices instead of 4n.
#pragma once

#include <cstdint>

#include "surface/direction_tables.h"
#include "surface/volume_view.h"

namespace surface {

// The calls of one face at run position n (1, 2, ...): the strip's start
// and near edge for the first face, then always the far edge. With
// texturing, s is 0 on the near edge and n on the far edge.
template <FaceDirection D, class Sink>
inline void EmitFace(Sink& sink, const float low[3], const float high[3], std::uint32_t n,
                     bool textured) {
  auto emit = [&](int k, float s) {
    const CornerOffset& c = kStripEdges[D][k];
    if (textured) sink.TexCoord(s, c.t);
    sink.Vertex(c.dx ? high[0] : low[0], c.dy ? high[1] : low[1], c.dz ? high[2] : low[2]);
  };
  if (n == 1) {
    sink.Begin();
    emit(0, 0.0f);
    emit(1, 0.0f);
  }
  const float s = static_cast<float>(n);
  emit(2, s);
  emit(3, s);
}

// Emits the normal, then every strip of the direction; 0 without a volume.
template <FaceDirection D, class Sink>
int ScanStrips(const VOXSPACE* volume, const float voxelSize[3], bool textured, Sink& sink) {
  if (!volume) return 0;
  const VolumeView view(*volume);
  const Placement place(view, voxelSize);
  constexpr ScanOrder order = kStripScan[D];
  const std::ptrdiff_t neighbour = kNeighbourSide[D] * view.stride[kNormalAxis[D]];
  const std::ptrdiff_t step = view.stride[order.run];
  const std::uint32_t runLength = view.dim[order.run];

  sink.Normal(kNormals[D]);
  for (std::uint32_t a = 1; a < view.InteriorEnd(order.outer); ++a) {
    for (std::uint32_t b = 1; b < view.InteriorEnd(order.middle); ++b) {
      std::uint32_t index[3];
      index[order.outer] = a;
      index[order.middle] = b;
      index[order.run] = 0;
      float low[3], high[3];
      for (int axis = 0; axis < 3; ++axis) {
        low[axis] = place.Corner(axis, index[axis]);
        high[axis] = low[axis] + place.size[axis];
      }
      const std::uint8_t* p = view.data + view.Index(index[0], index[1], index[2]);
      std::uint32_t run = 0;
      for (std::uint32_t r = 0; r < runLength; ++r, p += step) {
        if (*p && !p[neighbour]) {
          low[order.run] = place.Corner(order.run, r);
          high[order.run] = low[order.run] + place.size[order.run];
          EmitFace<D>(sink, low, high, ++run, textured);
        } else if (run) {
          sink.End();
          run = 0;
        }
      }
      if (run) sink.End();
    }
  }
  return 1;
}

}  // namespace surface
