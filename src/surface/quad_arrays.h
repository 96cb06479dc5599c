// The QUADS geometry's writer: one quad per exposed face of the interior,
// in the census's visiting order. The surface object's BuildQuads sizes
// its arrays by the census and fills them with it; the merged arrays
// (merged_arrays.h) are allocated the same way.
#pragma once

#include <cstdint>
#include <optional>

#include "surface/surface_types.h"
#include "voxel/voxspace.h"

namespace surface {

// An array of `count` quads, released with std::free; none when the memory
// cannot be had. Big ones are asked for in huge pages.
Quad* AllocateQuads(std::uint32_t count);
QuadNormals* AllocateQuadNormals(std::uint32_t count);

class CornerNormals;

// Writes into each list's quads, never past its quadCount (the census
// count it was allocated for); corners take the colour of their voxel's
// value when `colors` is given, and, when `normals` are given, their
// normals go into each list's normals array (of the same count). The
// number of quads written, or nothing when the writer's small scratch
// table cannot be had.
std::optional<std::int32_t> WriteFaceQuads(const VOXSPACE& volume, const float voxelSize[3],
                                           const LabelColors* colors, const CornerNormals* normals,
                                           QuadList (&lists)[kFaceDirections]);

}  // namespace surface
