#include "voxel/load_progress.h"

#include <utility>

namespace {

std::function<void(double)>& Listener() {
  static std::function<void(double)> listener;
  return listener;
}

}  // namespace

void SetLoadProgressListener(std::function<void(double)> listener) {
  Listener() = std::move(listener);
}

void ReportLoadProgress(std::uint64_t done, std::uint64_t total) {
  if (Listener() && total > 0) Listener()(static_cast<double>(done) / static_cast<double>(total));
}
