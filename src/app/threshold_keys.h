// Threshold mode: solid means a value of at least the threshold, taken
// from the stored values where they are kept (full precision for 16-bit
// and floating samples), else from the voxel bytes. The first , or .
// starts it at Otsu's threshold; then , and . lower and raise it by 1% of
// the values' range, < and > by 0.1%. Intensity scans start in it, since
// "every value other than 0" makes a scan one solid block.
#pragma once

#include <string>

#include "voxel/value_histogram.h"
#include "voxel/voxel_selection.h"

// The values' range and Otsu's threshold, worked out once per volume.
struct VolumeValues {
  bool known = false;
  ValueRange range;
  double otsu = 0;
};

const VolumeValues& KnownValues();

// The threshold moved by `shareOfRange` of the values' range (clamped to
// the range); outside threshold mode, threshold mode at Otsu's threshold.
void StepThreshold(double shareOfRange);

// The selection at `threshold`, or at Otsu's threshold, told on standard
// error ("threshold 412 (Otsu's, values 0 to 1324)").
VoxelSelection ThresholdAt(VoxelSelection selection, double threshold);
VoxelSelection ThresholdAtOtsu(VoxelSelection selection);

// "threshold 412"; empty outside threshold mode.
std::string ThresholdField();
