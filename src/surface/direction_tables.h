// Per-direction constants, in FaceDirection order: outward normals, which
// neighbour must be empty, and the corner tables of quads and strips as
// unit offsets from a voxel's low corner (1 = plus one voxel edge).
#pragma once

#include "surface/surface_types.h"

namespace surface {

enum Axis { X_AXIS = 0, Y_AXIS = 1, Z_AXIS = 2 };

constexpr float kNormals[kFaceDirections][3] = {{-1, 0, 0}, {1, 0, 0},  {0, -1, 0},
                                                {0, 1, 0},  {0, 0, -1}, {0, 0, 1}};

// The axis a direction's normal runs along and the side of its neighbour.
constexpr Axis kNormalAxis[kFaceDirections] = {X_AXIS, X_AXIS, Y_AXIS, Y_AXIS, Z_AXIS, Z_AXIS};
constexpr int kNeighbourSide[kFaceDirections] = {-1, 1, -1, 1, -1, 1};

struct CornerOffset {
  int dx, dy, dz;  // 0 or 1 voxel edges from the low corner
  float s, t;
};

// A quad's four corners with their texture coordinates.
constexpr CornerOffset kQuadCorners[kFaceDirections][4] = {
    {{0, 0, 0, 0, 0}, {0, 0, 1, 1, 0}, {0, 1, 1, 1, 1}, {0, 1, 0, 0, 1}},  // LEFT
    {{1, 0, 0, 0, 0}, {1, 1, 0, 0, 1}, {1, 1, 1, 1, 1}, {1, 0, 1, 1, 0}},  // RIGHT
    {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 0, 1, 1, 1}, {0, 0, 1, 0, 1}},  // DOWN
    {{0, 1, 0, 0, 0}, {0, 1, 1, 0, 1}, {1, 1, 1, 1, 1}, {1, 1, 0, 1, 0}},  // UP
    {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {1, 1, 0, 1, 1}, {1, 0, 0, 1, 0}},  // BACK
    {{0, 0, 1, 0, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {0, 1, 1, 0, 1}},  // FRONT
};

// A strip face's edges: near edge (1st, 2nd), then far edge (1st, 2nd);
// s is set by the run position, only t comes from here.
constexpr CornerOffset kStripEdges[kFaceDirections][4] = {
    {{0, 1, 0, 0, 1}, {0, 0, 0, 0, 0}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, 0}},  // LEFT
    {{1, 0, 0, 0, 0}, {1, 1, 0, 0, 1}, {1, 0, 1, 0, 0}, {1, 1, 1, 0, 1}},  // RIGHT
    {{0, 0, 1, 0, 1}, {0, 0, 0, 0, 0}, {1, 0, 1, 0, 1}, {1, 0, 0, 0, 0}},  // DOWN
    {{0, 1, 0, 0, 0}, {0, 1, 1, 0, 1}, {1, 1, 0, 0, 0}, {1, 1, 1, 0, 1}},  // UP
    {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 1}, {1, 0, 0, 0, 0}, {1, 1, 0, 0, 1}},  // BACK
    {{0, 1, 1, 0, 1}, {0, 0, 1, 0, 0}, {1, 1, 1, 0, 1}, {1, 0, 1, 0, 0}},  // FRONT
};

// Strip scan lines: outer loop along the normal, then the middle axis; the
// run axis is innermost and covers its whole extent.
struct ScanOrder {
  Axis outer, middle, run;
};
constexpr ScanOrder kStripScan[kFaceDirections] = {
    {X_AXIS, Y_AXIS, Z_AXIS}, {X_AXIS, Y_AXIS, Z_AXIS}, {Y_AXIS, Z_AXIS, X_AXIS},
    {Y_AXIS, Z_AXIS, X_AXIS}, {Z_AXIS, Y_AXIS, X_AXIS}, {Z_AXIS, Y_AXIS, X_AXIS},
};

}  // namespace surface
