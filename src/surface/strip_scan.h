// The strip builder of one direction, written once for all six and for any
// sink of vertex calls (OpenGL while compiling a display list; a recorder in
// tests). Every run of consecutive voxels with an exposed face along a scan
// line becomes one triangle strip whose faces share edges: a run of n faces
// costs 2n + 2 vertices instead of 4n.
#pragma once

#include <cstdint>

#include "surface/face_planes.h"

namespace surface {

// The calls of one face at run position n (1, 2, ...): the strip's start
// and near edge for the first face, then always the far edge. With
// texturing, s is 0 on the near edge and n on the far edge.
// `lowIndex` is the voxel's, whose low corner is `low`.
template <FaceDirection D, class Sink>
inline void EmitFace(Sink& sink, const Placement& place, const float low[3], const float high[3],
                     const std::uint32_t (&lowIndex)[3], std::uint32_t n, bool textured) {
  auto emit = [&](int k, float s) {
    const CornerOffset& c = kStripEdges[D][k];
    if (textured) sink.TexCoord(s, c.t);
    TellCorner(sink, place, lowIndex, c.dx != 0, c.dy != 0, c.dz != 0);
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

// One strip: the faces at run positions start .. start+length-1 of the
// line at (outer, middle).
template <FaceDirection D, class Sink>
inline void EmitStrip(Sink& sink, const Placement& place, std::uint32_t outer, std::uint32_t middle,
                      std::size_t start, std::size_t length, bool textured) {
  constexpr ScanOrder order = kStripScan[D];
  float low[3], high[3];
  std::uint32_t lowIndex[3];
  lowIndex[order.outer] = outer, lowIndex[order.middle] = middle;
  low[order.outer] = place.Corner(order.outer, outer);
  low[order.middle] = place.Corner(order.middle, middle);
  for (int axis : {order.outer, order.middle}) high[axis] = low[axis] + place.size[axis];
  for (std::size_t k = 0; k < length; ++k) {
    lowIndex[order.run] = static_cast<std::uint32_t>(start + k);
    low[order.run] = place.Corner(order.run, lowIndex[order.run]);
    high[order.run] = low[order.run] + place.size[order.run];
    EmitFace<D>(sink, place, low, high, lowIndex, static_cast<std::uint32_t>(k + 1), textured);
  }
  sink.End();
}

// Emits the normal, then every strip of the direction in the part `view`
// of the volume placed by `place`.
// With colours (one per voxel value), strips also break where the value
// changes, and each strip starts with its colour.
template <FaceDirection D, class Sink>
void ScanStrips(const VolumeView& view, const Placement& place, bool textured, RunExtent extent,
                Sink& sink, const LabelColors* colors = nullptr) {
  sink.Normal(kNormals[D]);
  auto strip = [&](std::uint32_t outer, std::uint32_t middle, std::size_t start,
                   std::size_t length) {
    if (!colors) return EmitStrip<D>(sink, place, outer, middle, start, length, textured);
    ForEachValueRun<D>(view, outer, middle, start, length,
                       [&](std::size_t part, std::size_t n, std::uint8_t value) {
                         PaintValue(sink, *colors, value);
                         EmitStrip<D>(sink, place, outer, middle, part, n, textured);
                       });
  };
  const bool scanned = ForEachFacePlane<D>(view, [&](const FacePlane& plane) {
    ClearRunEnds(plane, extent);
    for (std::size_t i = 0; i < plane.lines; ++i) {
      const auto middle = static_cast<std::uint32_t>(plane.firstLine + i);
      ForEachRun(plane.Line(i), plane.length, [&](std::size_t start, std::size_t length) {
        strip(plane.outer, middle, start, length);
      });
    }
  });
  if (scanned) return;
  ForEachRunOneByOne<D>(
      view, [&](std::uint32_t outer, std::uint32_t middle, std::size_t start, std::size_t length) {
        if (ClipRun(view.dim[kStripScan[D].run], extent, start, length))
          strip(outer, middle, start, length);
      });
}

// The same over the whole volume, keeping the faces of its border voxels
// along the run axis; 0 without a volume.
template <FaceDirection D, class Sink>
int ScanStrips(const VOXSPACE* volume, const float voxelSize[3], bool textured, Sink& sink,
               const LabelColors* colors = nullptr) {
  if (!volume) return 0;
  const VolumeView view(*volume);
  ScanStrips<D>(view, Placement(view, voxelSize), textured, RunExtent::kWhole, sink, colors);
  return 1;
}

}  // namespace surface
