// The strip builder of one direction, written once for all six and for any
// sink of vertex calls (OpenGL while compiling a display list; a recorder in
// tests). Scan lines run along the direction's run axis over its whole
// extent; the two cross axes cover the interior. Every run of consecutive
// voxels with an exposed face becomes one triangle strip whose faces share
// edges: a run of n faces costs 2n + 2 vertices instead of 4n.
//
// Finding the runs is the part that must be fast: most voxels have no face
// in a given direction. Lines along x are turned into bits sixteen voxels
// at a time. Lines along z (LEFT, RIGHT) would be read one byte per slice;
// instead sixteen neighbouring lines (sixteen values of x) are gathered at
// once, slice by slice in memory order, into a small table of bits.
#pragma once

#include <algorithm>
#include <cstdint>

#include "surface/bit_lines.h"
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

// One strip: the faces at run positions start .. start+length-1 of a line
// whose cross-axis corners are already in low/high.
template <FaceDirection D, class Sink>
inline void EmitStrip(Sink& sink, const Placement& place, float low[3], float high[3],
                      std::size_t start, std::size_t length, bool textured) {
  constexpr int run = kStripScan[D].run;
  for (std::size_t k = 0; k < length; ++k) {
    low[run] = place.Corner(run, static_cast<std::uint32_t>(start + k));
    high[run] = low[run] + place.size[run];
    EmitFace<D>(sink, low, high, static_cast<std::uint32_t>(k + 1), textured);
  }
  sink.End();
}

// Any direction, one voxel at a time: the way to go when the scratch bits
// of the faster scans cannot be had.
template <FaceDirection D, class Sink>
void ScanLinesOneByOne(const VolumeView& view, const Placement& place, bool textured, Sink& sink) {
  constexpr ScanOrder order = kStripScan[D];
  const std::ptrdiff_t neighbour = kNeighbourSide[D] * view.stride[kNormalAxis[D]];
  const std::ptrdiff_t step = view.stride[order.run];
  for (std::uint32_t a = 1; a < view.InteriorEnd(order.outer); ++a) {
    for (std::uint32_t b = 1; b < view.InteriorEnd(order.middle); ++b) {
      std::uint32_t index[3] = {0, 0, 0};
      index[order.outer] = a;
      index[order.middle] = b;
      float low[3], high[3];
      for (int axis = 0; axis < 3; ++axis) {
        low[axis] = place.Corner(axis, index[axis]);
        high[axis] = low[axis] + place.size[axis];
      }
      const std::uint8_t* p = view.data + view.Index(index[0], index[1], index[2]);
      std::uint32_t run = 0;
      for (std::uint32_t r = 0; r < view.dim[order.run]; ++r, p += step) {
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
}

// DOWN, UP, BACK, FRONT: lines along x, one row of the volume each.
template <FaceDirection D, class Sink>
void ScanLinesAlongX(const VolumeView& view, const Placement& place, bool textured, Sink& sink) {
  constexpr ScanOrder order = kStripScan[D];
  const std::ptrdiff_t neighbour = kNeighbourSide[D] * view.stride[kNormalAxis[D]];
  const std::size_t length = view.dim[X_AXIS];
  ScratchWords bits(WordsFor(length));
  if (!bits) return ScanLinesOneByOne<D>(view, place, textured, sink);
  for (std::uint32_t a = 1; a < view.InteriorEnd(order.outer); ++a) {
    for (std::uint32_t b = 1; b < view.InteriorEnd(order.middle); ++b) {
      std::uint32_t index[3] = {0, 0, 0};
      index[order.outer] = a;
      index[order.middle] = b;
      bits.Clear();
      FaceBits(view.data + view.Index(0, index[1], index[2]), neighbour, length, bits.data());
      float low[3], high[3];
      for (int axis : {Y_AXIS, Z_AXIS}) {
        low[axis] = place.Corner(axis, index[axis]);
        high[axis] = low[axis] + place.size[axis];
      }
      ForEachRun(bits.data(), length, [&](std::size_t start, std::size_t n) {
        EmitStrip<D>(sink, place, low, high, start, n, textured);
      });
    }
  }
}

// LEFT, RIGHT: lines along z, gathered sixteen values of x at a time.
template <FaceDirection D, class Sink>
void ScanLinesAlongZ(const VolumeView& view, const Placement& place, bool textured, Sink& sink) {
  constexpr std::uint32_t kLanes = 16;
  const std::ptrdiff_t neighbour = kNeighbourSide[D];
  const std::uint32_t xEnd = view.InteriorEnd(X_AXIS), yEnd = view.InteriorEnd(Y_AXIS);
  const std::size_t length = view.dim[Z_AXIS];
  const std::size_t words = WordsFor(length);
  const std::size_t lines = yEnd - 1;  // y = 1 .. yEnd-1
  if (xEnd <= 1 || lines == 0 || length == 0) return;
  // table[(lane * lines + (y - 1)) * words ...]: the bits of line (x0 + lane, y).
  ScratchWords table(kLanes * lines * words);
  if (!table) return ScanLinesOneByOne<D>(view, place, textured, sink);

  for (std::uint32_t x0 = 1; x0 < xEnd; x0 += kLanes) {
    const std::uint32_t lanes = std::min(kLanes, xEnd - x0);
    table.Clear();
    for (std::uint32_t z = 0; z < length; ++z) {
      for (std::uint32_t y = 1; y < yEnd; ++y) {
        const std::uint8_t* p = view.data + view.Index(x0, y, z);
        std::uint32_t laneBits = 0;
        if (lanes == kLanes) {
          laneBits = LaneBits(FaceLanes(p, neighbour));
        } else {
          for (std::uint32_t lane = 0; lane < lanes; ++lane)
            laneBits |= static_cast<std::uint32_t>(p[lane] && !p[lane + neighbour]) << lane;
        }
        ForEachBit(laneBits, [&](unsigned lane) {
          SetBit(&table[(lane * lines + (y - 1)) * words], z);
        });
      }
    }
    for (std::uint32_t lane = 0; lane < lanes; ++lane) {
      float low[3], high[3];
      low[X_AXIS] = place.Corner(X_AXIS, x0 + lane);
      high[X_AXIS] = low[X_AXIS] + place.size[X_AXIS];
      for (std::uint32_t y = 1; y < yEnd; ++y) {
        low[Y_AXIS] = place.Corner(Y_AXIS, y);
        high[Y_AXIS] = low[Y_AXIS] + place.size[Y_AXIS];
        ForEachRun(&table[(lane * lines + (y - 1)) * words], length, [&](std::size_t start, std::size_t n) {
          EmitStrip<D>(sink, place, low, high, start, n, textured);
        });
      }
    }
  }
}

// Emits the normal, then every strip of the direction; 0 without a volume.
template <FaceDirection D, class Sink>
int ScanStrips(const VOXSPACE* volume, const float voxelSize[3], bool textured, Sink& sink) {
  if (!volume) return 0;
  const VolumeView view(*volume);
  const Placement place(view, voxelSize);
  sink.Normal(kNormals[D]);
  if constexpr (kStripScan[D].run == X_AXIS) {
    ScanLinesAlongX<D>(view, place, textured, sink);
  } else {
    ScanLinesAlongZ<D>(view, place, textured, sink);
  }
  return 1;
}

}  // namespace surface
