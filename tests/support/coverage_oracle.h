// An independent answer to "which pixels show a front face of the surface?"
// for the polar camera, computed on the CPU without OpenGL: a ray through
// the centre of each pixel is marched through the voxel grid, and the pixel
// is covered where the ray first passes from an empty voxel into a solid
// voxel of the interior (a face exists only there; through a volume opened
// by its own border the eye sees nothing but culled back faces).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "voxel/voxspace.h"

namespace oracle {

// The polar view (heading, elevation, distance, pan) and the projection
// (vertical field of view, aspect, near plane) of a frame of this size.
struct PolarView {
  double heading = 0, elevation = 0, distance = 0;
  double panX = 0, panY = 0;
  double fovDegrees = 55, aspect = 1, zNear = 0.1;
  int width = 0, height = 0;
};

// Which voxels have faces. The face census and the quad arrays take the
// interior (indices 1 .. dim - 2 on every axis); the strip lists scan their
// run axis (z for faces along x, x for the others) over its whole extent,
// so they also hold the side faces of border voxels at the ends of a run.
enum class FaceRule { kInterior, kStripRuns };

// One byte per pixel, rows from the top: 1 where a front face shows. The
// volume is taken as the surface sees it (after any mirroring), with the
// low corner of voxel i at i - dim / 2 on each axis.
// The voxel (the volume's indices) whose front face each pixel shows, rows
// from the top; {-1, -1, -1} where none does. Faces of the interior only.
std::vector<std::array<long, 3>> FrontFaceVoxels(const VOXSPACE& volume, const PolarView& view);

// A cut: empties every voxel whose index along `axis` is outside lo..hi
// (the volume as stored, before any mirroring).
void KeepBetween(VOXSPACE& volume, int axis, std::uint32_t lo, std::uint32_t hi);

std::vector<std::uint8_t> FrontFaceCoverage(const VOXSPACE& volume, const PolarView& view,
                                            FaceRule rule = FaceRule::kInterior);

}  // namespace oracle
