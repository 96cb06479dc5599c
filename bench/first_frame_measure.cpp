#include "first_frame_measure.h"

#include <algorithm>

#include "child_process.h"
#include "stop_request.h"

FirstFrameRow MeasureFirstFrame(const std::string& shot, const PreparedVolume& input,
                                const std::vector<std::string>& options, const std::string& png) {
  std::vector<std::string> command = {shot, input.path, "-o", png};
  command.insert(command.end(), options.begin(), options.end());
  FirstFrameRow row;
  row.input = &input;
  for (int run = 0; run < input.volume->runs && !StopRequested(); ++run) {
    // Whatever it says on standard output does not belong to the measurement.
    const ChildRun child = RunChild(command, ChildOutput::kDiscard);
    if (!child.succeeded) {
      row.succeeded = false;
      row.failure = child.failure;
      return row;
    }
    row.seconds = row.succeeded ? std::min(row.seconds, child.seconds) : child.seconds;
    row.peakKiB = std::max(row.peakKiB, child.peakKiB);
    row.succeeded = true;
  }
  if (!row.succeeded && row.failure.empty()) row.failure = "stopped";
  return row;
}
