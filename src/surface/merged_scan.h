// The merged geometry of one direction: the faces of a plane joined into
// rectangles, so that a flat patch of n faces costs four vertices instead
// of 2n + 2. Each rectangle is one quad, counter-clockwise seen from
// outside; with texturing, s runs along the run axis and t along the middle
// axis in whole voxels from the rectangle's corner, so a repeating texture
// shows once per voxel as on the strips.
//
// The rectangles are found greedily, line by line: a line's first run
// takes the same span of every following line that has all of it. The
// corners are computed from voxel indices alone, so neighbouring
// rectangles meet at exactly the same coordinates.
//
// What it gives, counted over all six directions of the volume as the
// viewer holds it (the merged quad arrays against one quad per face):
//
//   volume                               faces      rectangles  vertices per face
//   head-sized scan, 181x217x181         473,408    186,595     1.58 instead of 4
//   phantom 96^3 (samples/phantom.cub)   59,928     23,910      1.60 instead of 4
//   phantom 512^3                        1,710,266  664,551     1.55 instead of 4
//
// (cubgen scan 181x217x181, cubgen phantom 512.) The strips take about 3.1
// vertices per face on the same volumes: merging halves them. Colours by
// value, whose rectangles hold one value each, add less than 0.3%.
#pragma once

#include <cstdint>

#include "surface/face_planes.h"

namespace surface {

// Calls f(start, width, firstLine, height, value) for every rectangle of
// the plane, line indices relative to the plane; takes the plane's bits.
// A rectangle holds one value: valueAt(line, r) (a constant when values
// do not matter).
template <typename F, typename ValueAt>
void ForEachRectangle(const FacePlane& plane, F f, ValueAt valueAt) {
  auto sameValue = [&](std::size_t line, std::size_t start, std::size_t width, std::uint8_t value) {
    for (std::size_t r = start; r < start + width; ++r)
      if (valueAt(line, r) != value) return false;
    return true;
  };
  for (std::size_t i = 0; i < plane.lines; ++i) {
    ForEachRun(plane.Line(i), plane.length, [&](std::size_t runStart, std::size_t runWidth) {
      for (std::size_t start = runStart, end = runStart + runWidth; start < end;) {
        const std::uint8_t value = valueAt(i, start);
        std::size_t width = 1;
        while (start + width < end && valueAt(i, start + width) == value) ++width;
        std::size_t height = 1;
        while (i + height < plane.lines && HasSpan(plane.Line(i + height), start, width) &&
               sameValue(i + height, start, width, value)) {
          ClearSpan(plane.Line(i + height), start, width);
          ++height;
        }
        f(start, width, i, height, value);
        start += width;
      }
    });
  }
}

template <typename F>
void ForEachRectangle(const FacePlane& plane, F f) {
  ForEachRectangle(plane, f, [](std::size_t, std::size_t) { return std::uint8_t{0}; });
}

// One rectangle of plane `outer`: run indices start .. start+width-1,
// middle indices middle .. middle+height-1.
template <FaceDirection D, class Sink>
inline void EmitRectangle(Sink& sink, const Placement& place, std::uint32_t outer,
                          std::size_t middle, std::size_t height, std::size_t start,
                          std::size_t width, bool textured) {
  constexpr ScanOrder order = kStripScan[D];
  std::uint32_t low[3], span[3];
  low[order.outer] = outer, span[order.outer] = 1;
  low[order.middle] = static_cast<std::uint32_t>(middle),
  span[order.middle] = static_cast<std::uint32_t>(height);
  low[order.run] = static_cast<std::uint32_t>(start),
  span[order.run] = static_cast<std::uint32_t>(width);
  for (const CornerOffset& c : kQuadCorners[D]) {
    const int offset[3] = {c.dx, c.dy, c.dz};
    float at[3];
    for (int axis = 0; axis < 3; ++axis)
      at[axis] = place.Corner(axis, low[axis] + (offset[axis] ? span[axis] : 0));
    if (textured) {
      sink.TexCoord(offset[order.run] ? static_cast<float>(width) : 0.0f,
                    offset[order.middle] ? static_cast<float>(height) : 0.0f);
    }
    TellCorner(sink, place, low, offset[0] ? span[0] : 0, offset[1] ? span[1] : 0,
               offset[2] ? span[2] : 0);
    sink.Vertex(at[0], at[1], at[2]);
  }
}

// Emits the normal, then all rectangles of the part `view` of the volume
// placed by `place`, as one run of quads between Begin and End.
// With colours (one per voxel value), a rectangle holds faces of one value
// and starts with its colour.
template <FaceDirection D, class Sink>
void ScanRectangles(const VolumeView& view, const Placement& place, bool textured, RunExtent extent,
                    Sink& sink, const LabelColors* colors = nullptr) {
  sink.Normal(kNormals[D]);
  sink.Begin();
  const bool scanned = ForEachFacePlane<D>(view, [&](const FacePlane& plane) {
    ClearRunEnds(plane, extent);
    auto emit = [&](std::size_t start, std::size_t width, std::size_t line, std::size_t height,
                    std::uint8_t value) {
      if (colors) PaintValue(sink, *colors, value);
      EmitRectangle<D>(sink, place, plane.outer, plane.firstLine + line, height, start, width,
                       textured);
    };
    if (colors) {
      constexpr ScanOrder order = kStripScan[D];
      ForEachRectangle(plane, emit, [&](std::size_t line, std::size_t r) {
        std::uint32_t index[3];
        index[order.outer] = plane.outer,
        index[order.middle] = static_cast<std::uint32_t>(plane.firstLine + line);
        index[order.run] = static_cast<std::uint32_t>(r);
        return view.data[view.Index(index[0], index[1], index[2])];
      });
    } else {
      ForEachRectangle(plane, emit);
    }
  });
  if (!scanned) {
    // Without scratch bits, every run is a rectangle of one line.
    ForEachRunOneByOne<D>(
        view, [&](std::uint32_t outer, std::uint32_t middle, std::size_t start, std::size_t width) {
          if (!ClipRun(view.dim[kStripScan[D].run], extent, start, width)) return;
          if (!colors)
            return EmitRectangle<D>(sink, place, outer, middle, 1, start, width, textured);
          ForEachValueRun<D>(view, outer, middle, start, width,
                             [&](std::size_t part, std::size_t n, std::uint8_t value) {
                               PaintValue(sink, *colors, value);
                               EmitRectangle<D>(sink, place, outer, middle, 1, part, n, textured);
                             });
        });
  }
  sink.End();
}

// The same over the whole volume; 0 without a volume.
template <FaceDirection D, class Sink>
int ScanRectangles(const VOXSPACE* volume, const float voxelSize[3], bool textured,
                   RunExtent extent, Sink& sink, const LabelColors* colors = nullptr) {
  if (!volume) return 0;
  const VolumeView view(*volume);
  ScanRectangles<D>(view, Placement(view, voxelSize), textured, extent, sink, colors);
  return 1;
}

}  // namespace surface
