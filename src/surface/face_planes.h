// Where a direction's faces are, as bits: one bit per voxel of a scan line,
// the lines of one plane (one index along the normal) side by side. The
// strips read each line's runs; the merged geometry joins the runs of
// neighbouring lines of a plane into rectangles.
//
// Scan lines run along the direction's run axis over its whole extent; the
// normal (outer) and middle axes cover the interior. Most voxels have no
// face in a given direction, so lines along x are turned into bits sixteen
// voxels at a time. Lines along z (LEFT, RIGHT) would be read one byte per
// slice; instead sixteen planes (sixteen values of x) are gathered at once,
// slice by slice in memory order.
#pragma once

#include <algorithm>
#include <cstdint>

#include "surface/bit_lines.h"
#include "surface/direction_tables.h"
#include "surface/volume_view.h"

namespace surface {

// The face bits of one plane: `lines` scan lines of `words` words each,
// line i at middle index firstLine + i, bit r at run index r (< length).
struct FacePlane {
  std::uint64_t* bits;
  std::uint32_t outer;
  std::uint32_t firstLine;
  std::size_t lines, words, length;

  std::uint64_t* Line(std::size_t i) const { return bits + i * words; }
};

// True when bits [start, start + n) of the line are all set.
inline bool HasSpan(const std::uint64_t* line, std::size_t start, std::size_t n) {
  for (std::size_t i = start, end = start + n; i < end;) {
    const std::size_t bit = i & 63, take = std::min<std::size_t>(64 - bit, end - i);
    const std::uint64_t mask = (take == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << take) - 1))
                               << bit;
    if ((line[i >> 6] & mask) != mask) return false;
    i += take;
  }
  return true;
}

inline void ClearSpan(std::uint64_t* line, std::size_t start, std::size_t n) {
  for (std::size_t i = start, end = start + n; i < end;) {
    const std::size_t bit = i & 63, take = std::min<std::size_t>(64 - bit, end - i);
    const std::uint64_t mask = (take == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << take) - 1))
                               << bit;
    line[i >> 6] &= ~mask;
    i += take;
  }
}

// Which faces of a scan line's first and last voxel are kept: the strip
// lists keep those of the volume's border voxels along the run axis, the
// quads only the interior's (as the census counts them), and a part of the
// volume only its own (the voxels beyond it are there to be looked at).
struct RunExtent {
  bool keepsFirst, keepsLast;
  static const RunExtent kWhole, kInterior;
  bool operator==(const RunExtent&) const = default;
};
inline constexpr RunExtent RunExtent::kWhole{true, true};
inline constexpr RunExtent RunExtent::kInterior{false, false};

// Takes the faces the extent leaves out from the plane's lines.
inline void ClearRunEnds(const FacePlane& plane, RunExtent extent) {
  if (plane.length == 0) return;
  for (std::size_t i = 0; i < plane.lines; ++i) {
    if (!extent.keepsFirst) ClearSpan(plane.Line(i), 0, 1);
    if (!extent.keepsLast) ClearSpan(plane.Line(i), plane.length - 1, 1);
  }
}

// The part of the run start .. start+width-1 of a line `length` voxels
// long that the extent keeps; false when none.
inline bool ClipRun(std::size_t length, RunExtent extent, std::size_t& start, std::size_t& width) {
  std::size_t end = start + width;
  if (!extent.keepsFirst) start = std::max<std::size_t>(start, 1);
  if (!extent.keepsLast && length > 0) end = std::min(end, length - 1);
  width = end > start ? end - start : 0;
  return width > 0;
}

// Sinks that shade smoothly are told each vertex's lattice corner (in the
// whole volume) before the vertex, and the voxel value of each strip or
// rectangle with colours by value; the others are not asked.
template <class Sink>
inline void TellCorner(Sink& sink, const Placement& place, const std::uint32_t (&low)[3],
                       std::uint32_t dx, std::uint32_t dy, std::uint32_t dz) {
  if constexpr (requires(const std::uint32_t(&c)[3]) { sink.Corner(c); }) {
    const std::uint32_t corner[3] = {place.origin[0] + low[0] + dx, place.origin[1] + low[1] + dy,
                                     place.origin[2] + low[2] + dz};
    sink.Corner(corner);
  }
}

template <class Sink>
inline void PaintValue(Sink& sink, const LabelColors& colors, std::uint8_t value) {
  sink.Color(colors[value]);
  if constexpr (requires { sink.Value(value); }) sink.Value(value);
}

// DOWN, UP, BACK, FRONT: a plane's lines along x are rows of the volume.
template <FaceDirection D, class OnPlane>
bool ForEachPlaneAlongX(const VolumeView& view, OnPlane onPlane) {
  constexpr ScanOrder order = kStripScan[D];
  const std::ptrdiff_t neighbour = kNeighbourSide[D] * view.stride[kNormalAxis[D]];
  const std::size_t length = view.dim[X_AXIS], words = WordsFor(length);
  const std::size_t lines = view.InteriorEnd(order.middle) - 1;
  if (lines == 0) return true;
  ScratchWords table(lines * words);
  if (!table) return false;
  for (std::uint32_t a = 1; a < view.InteriorEnd(order.outer); ++a) {
    table.Clear();
    for (std::uint32_t b = 1; b < view.InteriorEnd(order.middle); ++b) {
      std::uint32_t index[3] = {0, 0, 0};
      index[order.outer] = a;
      index[order.middle] = b;
      FaceBits(view.data + view.Index(0, index[1], index[2]), neighbour, length,
               &table[(b - 1) * words]);
    }
    onPlane(FacePlane{table.data(), a, 1, lines, words, length});
  }
  return true;
}

// LEFT, RIGHT: lines along z, sixteen planes (values of x) at a time.
template <FaceDirection D, class OnPlane>
bool ForEachPlaneAlongZ(const VolumeView& view, OnPlane onPlane) {
  constexpr std::uint32_t kLanes = 16;
  const std::ptrdiff_t neighbour = kNeighbourSide[D];
  const std::uint32_t xEnd = view.InteriorEnd(X_AXIS), yEnd = view.InteriorEnd(Y_AXIS);
  const std::size_t length = view.dim[Z_AXIS], words = WordsFor(length);
  const std::size_t lines = yEnd - 1;  // y = 1 .. yEnd-1
  if (xEnd <= 1 || lines == 0 || length == 0) return true;
  // table[(lane * lines + (y - 1)) * words ...]: the bits of line (x0 + lane, y).
  ScratchWords table(kLanes * lines * words);
  if (!table) return false;
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
        ForEachBit(laneBits,
                   [&](unsigned lane) { SetBit(&table[(lane * lines + (y - 1)) * words], z); });
      }
    }
    for (std::uint32_t lane = 0; lane < lanes; ++lane)
      onPlane(FacePlane{&table[lane * lines * words], x0 + lane, 1, lines, words, length});
  }
  return true;
}

// Calls onPlane(FacePlane&) for every plane of the direction, in order of
// the outer index; false (and nothing called) when the scratch bits cannot
// be had.
template <FaceDirection D, class OnPlane>
bool ForEachFacePlane(const VolumeView& view, OnPlane onPlane) {
  if constexpr (kStripScan[D].run == X_AXIS) {
    return ForEachPlaneAlongX<D>(view, onPlane);
  } else {
    return ForEachPlaneAlongZ<D>(view, onPlane);
  }
}

// Any direction, one voxel at a time, with no scratch memory: calls
// onRun(outer, middle, start, length) for every run of faces, in the order
// of the planes.
template <FaceDirection D, class OnRun>
void ForEachRunOneByOne(const VolumeView& view, OnRun onRun) {
  constexpr ScanOrder order = kStripScan[D];
  const std::ptrdiff_t neighbour = kNeighbourSide[D] * view.stride[kNormalAxis[D]];
  const std::ptrdiff_t step = view.stride[order.run];
  for (std::uint32_t a = 1; a < view.InteriorEnd(order.outer); ++a) {
    for (std::uint32_t b = 1; b < view.InteriorEnd(order.middle); ++b) {
      std::uint32_t index[3] = {0, 0, 0};
      index[order.outer] = a;
      index[order.middle] = b;
      const std::uint8_t* p = view.data + view.Index(index[0], index[1], index[2]);
      std::uint32_t run = 0;
      for (std::uint32_t r = 0; r < view.dim[order.run]; ++r, p += step) {
        if (*p && !p[neighbour]) {
          ++run;
        } else if (run) {
          onRun(a, b, r - run, run);
          run = 0;
        }
      }
      if (run) onRun(a, b, view.dim[order.run] - run, run);
    }
  }
}

// Calls f(start, length, value) for the parts of the run at (outer, middle)
// whose voxels hold one value each, in order.
template <FaceDirection D, class F>
void ForEachValueRun(const VolumeView& view, std::uint32_t outer, std::uint32_t middle,
                     std::size_t start, std::size_t length, F f) {
  constexpr ScanOrder order = kStripScan[D];
  std::uint32_t index[3];
  index[order.outer] = outer, index[order.middle] = middle,
  index[order.run] = static_cast<std::uint32_t>(start);
  const std::ptrdiff_t step = view.stride[order.run];
  const std::uint8_t* p = view.data + view.Index(index[0], index[1], index[2]);
  std::size_t partStart = 0;
  for (std::size_t k = 1; k <= length; ++k) {
    if (k == length || p[static_cast<std::ptrdiff_t>(k) * step] !=
                           p[static_cast<std::ptrdiff_t>(partStart) * step]) {
      f(start + partStart, k - partStart, p[static_cast<std::ptrdiff_t>(partStart) * step]);
      partStart = k;
    }
  }
}

}  // namespace surface
