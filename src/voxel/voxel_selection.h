// What of the volume is shown: the voxels between the cut planes along
// each axis, and of those only the values not hidden and, in threshold
// mode, only those whose value is at least the threshold (the stored
// values where they are kept, else the voxel bytes). Every other voxel
// counts as empty, so the shown voxels next to a cut or a hidden label get
// their faces towards it: a cut shows closed caps, a hidden label a gap to
// look into.
#pragma once

#include <bitset>
#include <cstdint>

#include "voxel/voxspace.h"

struct VoxelSelection {
  static constexpr std::uint32_t kNoCut = UINT32_MAX;
  // The kept voxels along each drawn axis: first..last, inclusive.
  std::uint32_t first[3] = {0, 0, 0};
  std::uint32_t last[3] = {kNoCut, kNoCut, kNoCut};
  std::bitset<256> hidden;  // values not shown
  bool thresholded = false;
  double threshold = 0;

  bool operator==(const VoxelSelection&) const = default;
  // Nothing cut or hidden: the volume as it is.
  bool Whole() const { return *this == VoxelSelection{}; }
  bool Cuts() const;
};

struct FileAxes;
class SourceValues;

// The kept file indices lo..hi along file axis `axis`, and setting them;
// `lo > hi` keeps nothing.
void KeptFileRange(const VoxelSelection& selection, const FileAxes& axes, int axis,
                   std::uint32_t& lo, std::uint32_t& hi);
void KeepFileRange(VoxelSelection& selection, const FileAxes& axes, int axis, std::uint32_t lo,
                   std::uint32_t hi);

// A copy of `volume` with the voxels the selection leaves out emptied;
// none when memory is short. `values` (or none) are the volume's stored
// values, for the threshold.
VOXSPACE* SelectVoxels(const VOXSPACE& volume, const VoxelSelection& selection,
                       const SourceValues* values);
