// What the readers of scanner formats (NIfTI-1, NRRD, MetaImage) learn from
// a header, in one form: the stored values' type and byte order, the
// storage extents, and where one step along each storage axis goes in the
// patient's space. One reader of samples (scan_samples.h) turns any of
// them into the viewer's voxels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// One real value (scaling applied) to its voxel byte, 0 for empty.
using ScanVoxelRule = std::function<std::uint8_t(double)>;

// The buffer for dimX*dimY*dimZ voxel bytes (zeroed or not), or none. The
// extents are those of the volume as it is drawn, after reorientation.
using ScanVoxelBuffer =
    std::function<unsigned char*(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ)>;

enum class SampleType {
  kUint8,
  kInt8,
  kUint16,
  kInt16,
  kUint32,
  kInt32,
  kUint64,
  kInt64,
  kFloat32,
  kFloat64
};

constexpr std::size_t SampleWidth(SampleType type) {
  switch (type) {
    case SampleType::kUint8:
    case SampleType::kInt8:
      return 1;
    case SampleType::kUint16:
    case SampleType::kInt16:
      return 2;
    case SampleType::kUint32:
    case SampleType::kInt32:
    case SampleType::kFloat32:
      return 4;
    default:
      return 8;
  }
}

// Index to patient: column a is the step, in millimetres, that one voxel
// along storage axis a makes in RAS space (x to the patient's right, y to
// anterior, z to superior). A zero column means the header gave no
// direction for that axis.
struct PatientAxes {
  double column[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double origin[3] = {0, 0, 0};  // where voxel (0, 0, 0) lies
  bool oriented = false;         // the header placed the volume in the patient
};

// A header as the sample reader needs it.
struct ScanLayout {
  std::uint64_t dims[3] = {1, 1, 1};  // storage extents, i fastest
  SampleType type = SampleType::kUint8;
  bool swapped = false;          // stored in the byte order other than the machine's
  std::uint64_t components = 1;  // values per voxel, side by side; the first is read
  double slope = 1, intercept = 0;
  PatientAxes axes;
  bool labelIntent = false;  // the header says the values are labels
};

// What a scan's header says beyond its voxels, for the volume as drawn
// (after reorientation): the voxel edges in millimetres along x, y and z,
// and how far (in degrees) the stored axes were from the patient's.
struct VolumeFacts {
  double spacing[3] = {1, 1, 1};
  double obliqueDegrees = 0;
  // What the values are: whole numbers (a CUB file's bytes; integer
  // samples with a whole slope and intercept), read from samples wider
  // than a byte (so values above 255 were clipped to it), and whether the
  // header says they are labels.
  bool wholeValues = true;
  bool widerThanByte = false;
  bool labelIntent = false;
  // The drawn axis of each storage axis, and whether it runs the other way
  // (reorientation; a CUB file's axes are drawn as stored).
  int drawnAxis[3] = {0, 1, 2};
  bool flipped[3] = {false, false, false};
  PatientAxes patient;  // of the storage axes, as the header says
};
