// The merged QUADS geometry's builder: the rectangles the merged scan
// (merged_scan.h) finds among a direction's faces of the interior, one quad
// each, in an array of exactly their number. The surface object's
// BuildMergedQuads builds the six directions with it.
#pragma once

#include "surface/surface_types.h"
#include "voxel/voxspace.h"

namespace surface {

class CornerNormals;

// Gives `list` a fresh array (quad_arrays.h's AllocateQuads) holding the
// rectangles of `direction`, and their number; the array it held before is
// the caller's to release first. Corners take the colour of their
// rectangle's value when `colors` is given; with `normals`, the list gets
// a normals array too, each corner's from the table. False when there
// would be more than 2^32 - 1 rectangles or their memory cannot be had
// (what was allocated is still the list's, for the caller to release).
bool BuildMergedArray(FaceDirection direction, const VOXSPACE& volume, const float voxelSize[3],
                      const LabelColors* colors, const CornerNormals* normals, QuadList& list);

}  // namespace surface
