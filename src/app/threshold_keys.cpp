#include "app/threshold_keys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/app_state.h"

namespace {

// The byte values' counts stand for a volume without stored values.
void CountBytes(const VOXSPACE& volume, VolumeValues& values) {
  std::uint64_t counts[256] = {};
  for (std::uint64_t i = 0; i < volume.dataSize; ++i) ++counts[volume.data[i]];
  for (int v = 0; v < 256; ++v) values.range.Note(v, counts[v]);
  ValueHistogram histogram(values.range.lowestNonZero, values.range.highestNonZero, 256);
  for (int v = 1; v < 256; ++v) histogram.Add(v, counts[v]);
  values.otsu = histogram.OtsuThreshold();
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

const VolumeValues& KnownValues() {
  if (volumeValues.known || !theVolume) return volumeValues;
  if (sourceValues.Any()) {
    volumeValues.range = sourceValues.Range();
    volumeValues.otsu = sourceValues.OtsuThreshold(volumeValues.range);
  } else {
    CountBytes(*theVolume, volumeValues);
  }
  // No value other than 0: there is no split; one above the highest keeps
  // nothing, as before.
  if (!std::isfinite(volumeValues.otsu))
    volumeValues.otsu = (volumeValues.range.Any() ? volumeValues.range.highest : 0) + 1;
  volumeValues.known = true;
  return volumeValues;
}

VoxelSelection ThresholdAt(VoxelSelection selection, double threshold) {
  selection.thresholded = true;
  selection.threshold = threshold;
  return selection;
}

VoxelSelection ThresholdAtOtsu(VoxelSelection selection) {
  const VolumeValues& values = KnownValues();
  std::fprintf(stderr, "threshold %s (Otsu's, values %s to %s)\n", Number(values.otsu).c_str(),
               Number(values.range.lowest).c_str(), Number(values.range.highest).c_str());
  return ThresholdAt(selection, values.otsu);
}

void StepThreshold(double shareOfRange) {
  if (!theVolume) return;
  SurfaceRequest request = WantedSurface(rebuild);
  if (!request.selection.thresholded) {
    request.selection = ThresholdAtOtsu(request.selection);
  } else {
    const ValueRange& range = KnownValues().range;
    const double step = shareOfRange * (range.highest - range.lowest);
    request.selection.threshold =
        std::clamp(request.selection.threshold + step, range.lowest, range.highest);
  }
  RequestSurface(rebuild, request);
}

std::string ThresholdField() {
  const VoxelSelection selection = WantedSurface(rebuild).selection;
  return selection.thresholded ? "threshold " + Number(selection.threshold) : std::string();
}
