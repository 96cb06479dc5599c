// The file's own voxel indices (storage order) against those of the volume
// as drawn, after reorientation and the start-up mirror of z: what the
// user reads in the title and types after --cut is the file's.
#pragma once

#include <cstdint>
#include <string>

#include "voxel/scan_layout.h"

struct FileAxes {
  int drawnAxis[3] = {0, 1, 2};  // of each file axis
  bool reversed[3] = {false, false, false};
  std::uint32_t fileDims[3] = {1, 1, 1};
  PatientAxes patient;  // file indices to the patient's RAS millimetres

  // The drawn index along drawnAxis[axis] of file index `index` on `axis`
  // (and back: the map is its own inverse on one axis).
  std::uint32_t Drawn(int axis, std::uint32_t index) const {
    return reversed[axis] ? fileDims[axis] - 1 - index : index;
  }
  // The file indices of a drawn voxel.
  void FileVoxel(const std::uint32_t drawn[3], std::uint32_t file[3]) const {
    for (int a = 0; a < 3; ++a) file[a] = Drawn(a, drawn[drawnAxis[a]]);
  }
};

// Where the voxel of file indices `file` lies in the patient: "R12.5 A31 S40"
// (millimetres to the right or left, anterior or posterior, superior or
// inferior); empty for a volume the header did not place.
std::string PatientPlace(const FileAxes& axes, const std::uint32_t file[3]);

// The axes of a volume read with `facts`, drawn with `drawnDims` voxels,
// its z mirrored at start-up.
FileAxes FileAxesOf(const VolumeFacts& facts, const std::uint32_t drawnDims[3]);
