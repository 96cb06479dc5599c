// Reorientation without resampling. A scan may store its axes in any
// order and sense; the viewer draws voxel index i along x, j along y and k
// (after the start-up mirror of z) towards the viewer's back. So a volume
// whose i runs to the patient's left, j to superior and k to posterior is
// seen as a patient facing the viewer, head up, left on the screen's right.
// Each storage axis is matched to the patient axis nearest to it (the one
// permutation of the three that lies closest), and flipped where it runs
// the other way: every voxel keeps its value, only its place changes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "voxel/scan_layout.h"

// Where each stored voxel goes in the volume as drawn.
struct AxisPlacement {
  std::uint64_t storageDims[3] = {1, 1, 1};
  std::uint32_t drawnDims[3] = {1, 1, 1};
  // The drawn offset of storage voxel (0, 0, 0), and how far one step
  // along each storage axis moves it (negative where the axis is flipped).
  std::int64_t base = 0;
  std::int64_t step[3] = {1, 1, 1};
  int drawnAxis[3] = {0, 1, 2};  // the drawn axis of each storage axis
  bool flipped[3] = {false, false, false};
  VolumeFacts facts;
};

// The placement for a volume of `dims` voxels (each at most 2^32 - 1) whose
// storage axes step through the patient as `axes` says. Steps of no
// length or not finite count as 1 mm along the storage axis itself.
AxisPlacement PlaceAxes(const PatientAxes& axes, const std::uint64_t dims[3]);

// RAS axes of a header that states LPS (DICOM's, ITK's): x and y reversed.
PatientAxes FromLps(const PatientAxes& lps);

// How many whole storage slices (k planes) to place at a time with
// PlaceSlices when each stored value takes `storedBytes` bytes: none when
// storage rows stay drawn rows (PlaceVoxels copies them whole) or when a
// slice is too large to hold apart. A permuted order scattered voxel by
// voxel touches a new cache line at every write; in tiles of whole slices
// each line is filled before it is left.
std::uint64_t TiledSlices(const AxisPlacement& placement, std::uint64_t storedBytes);

// Stores `count` whole slices of voxels (bytes, or stored values of T's
// width), the first being slice `firstSlice`, in their drawn places in
// `out`, tile by tile. T: an unsigned type of 1, 2, 4 or 8 bytes.
template <typename T>
void PlaceSlices(const AxisPlacement& placement, std::uint64_t firstSlice, std::uint64_t count,
                 const T* bytes, T* out);

// Stores `count` voxels of consecutive storage order, the first at
// storage offset `first` (i fastest), in their drawn places in `out`.
template <typename T>
void PlaceVoxels(const AxisPlacement& placement, std::uint64_t first, const T* bytes,
                 std::size_t count, T* out);
