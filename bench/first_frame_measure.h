// One row of the first-frame table: qarmel-shot on one volume as a user
// runs it, a whole process from start to PNG written, best of a few runs.
// The whole process, because the user waits through load, surface, first
// frame and exit alike.
#pragma once

#include <string>
#include <vector>

#include "first_frame_inputs.h"

struct FirstFrameRow {
  const PreparedVolume* input = nullptr;
  bool succeeded = false;
  std::string failure;  // when not
  double seconds = 0;   // the best run's wall time
  long peakKiB = 0;     // the largest peak resident memory of the runs
};

// `options` go to qarmel-shot after FILE -o PNG; `png` is the picture it writes.
FirstFrameRow MeasureFirstFrame(const std::string& shot, const PreparedVolume& input,
                                const std::vector<std::string>& options, const std::string& png);
