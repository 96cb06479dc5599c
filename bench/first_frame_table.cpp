#include "first_frame_table.h"

#include <cstdio>

namespace {

constexpr double kMB = 1024.0 * 1024.0;

// A target's text: `format` has one %g or %f for the limit.
std::string TargetText(const char* format, double limit) {
  char text[64];
  std::snprintf(text, sizeof text, format, limit);
  return text;
}

double Size(const FirstFrameRow& row) {
  return static_cast<double>(row.input->volume->voxels) + static_cast<double>(row.input->faces);
}

double PeakBytes(const FirstFrameRow& row) { return static_cast<double>(row.peakKiB) * 1024.0; }

// One byte per voxel: the volume the viewer holds whatever it draws.
double VolumeBytes(const FirstFrameRow& row) {
  return static_cast<double>(row.input->volume->voxels);
}

// What the row costs beyond its volume, per face: the figure the per-face
// budget is about (the fixed allowance weighs on it in small volumes only).
double BytesPerFace(const FirstFrameRow& row) {
  const auto faces = static_cast<double>(row.input->faces);
  return faces > 0 ? (PeakBytes(row) - VolumeBytes(row)) / faces : 0;
}

}  // namespace

FirstFrameTable::FirstFrameTable(const std::string& title, MemoryBudget budget, bool merged)
    : budget_(budget), merged_(merged) {
  std::printf("\n%s\n", title.c_str());
  std::printf("  seconds: whole process, the best of `runs`\n");
  std::printf("  peak MB: the largest ru_maxrss of the runs (MB = 2^20 bytes)\n");
  std::printf("  growth: time and (voxels + faces) against the first row;\n");
  std::printf("          time growing faster than (voxels + faces) is worse than linear\n");
  std::printf("  B/face: (peak - volume bytes) / faces\n");
  std::printf("  memory target: %.0f MB + volume + %.0f B/face\n", budget_.fixedMB,
              budget_.bytesPerFace);
  std::printf("%-18s %12s %11s %4s %8s %8s %14s %11s %18s %7s  %s\n", "volume", "voxels", "faces",
              "runs", "seconds", "peak MB", "ns/(vox+faces)", "time growth", "(vox+faces) growth",
              "B/face", "targets");
}

void FirstFrameTable::PrintRow(const FirstFrameRow& row) {
  const FirstFrameVolume& volume = *row.input->volume;
  const bool first = firstRow_;
  firstRow_ = false;
  if (!row.succeeded) {
    ++failed_;
    std::printf("%-18s %12llu %11llu  FAILED: %s\n", volume.label.c_str(),
                static_cast<unsigned long long>(volume.voxels),
                static_cast<unsigned long long>(row.input->faces), row.failure.c_str());
    std::fflush(stdout);
    return;
  }
  if (first) {
    baseSeconds_ = row.seconds;
    baseSize_ = Size(row);
  }
  std::printf("%-18s %12llu %11llu %4d %8.3f %8.1f %14.1f %s %7.1f  %s\n", volume.label.c_str(),
              static_cast<unsigned long long>(volume.voxels),
              static_cast<unsigned long long>(row.input->faces), volume.runs, row.seconds,
              PeakBytes(row) / kMB, row.seconds * 1e9 / Size(row),
              GrowthText(row.seconds, Size(row)).c_str(), BytesPerFace(row),
              TargetsText(row).c_str());
  std::fflush(stdout);  // a row can take a minute: show each as it is measured
}

void FirstFrameTable::PrintSummary() const {
  std::printf("%d target(s) OVER, %d row(s) failed\n", missed_, failed_);
}

std::string FirstFrameTable::GrowthText(double seconds, double size) {
  char text[48];
  if (baseSeconds_ && baseSize_) {
    std::snprintf(text, sizeof text, "%11.2f %18.2f", seconds / *baseSeconds_, size / *baseSize_);
  } else {
    // The first row failed: nothing to grow from.
    std::snprintf(text, sizeof text, "%11s %18s", "-", "-");
  }
  return text;
}

std::string FirstFrameTable::TargetsText(const FirstFrameRow& row) {
  std::string text;
  const double seconds =
      merged_ ? row.input->volume->mergedTargetSeconds : row.input->volume->targetSeconds;
  if (seconds > 0) {
    text += TargetText("time (target <= %g s)", seconds);
    if (row.seconds > seconds) {
      text += "  OVER";
      ++missed_;
    }
    text += "   ";
  }
  const double budgetBytes = budget_.fixedMB * kMB + VolumeBytes(row) +
                             budget_.bytesPerFace * static_cast<double>(row.input->faces);
  text += TargetText("memory (target <= %.1f MB)", budgetBytes / kMB);
  if (PeakBytes(row) > budgetBytes) {
    text += "  OVER";
    ++missed_;
  }
  return text;
}
