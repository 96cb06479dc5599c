// The first-frame table as it is printed, row by row while the bench runs:
// time and peak memory per volume, put against the volume's size (voxels +
// faces: what loading and building the surface walk through), and each
// target as "(target <= X)", followed by "OVER" when missed. A missed
// target is reported, not a failure.
#pragma once

#include <optional>
#include <string>

#include "first_frame_measure.h"

// Peak resident memory allowed: fixedMB (MB = 2^20 bytes) + the volume's
// bytes + bytesPerFace per face.
struct MemoryBudget {
  double fixedMB;
  double bytesPerFace;
};

class FirstFrameTable {
 public:
  // Prints the title and the column heads; `merged` picks the time targets
  // of qarmel-shot --merged.
  FirstFrameTable(const std::string& title, MemoryBudget budget, bool merged);

  void PrintRow(const FirstFrameRow& row);
  // How many targets were missed and rows failed, after the last row.
  void PrintSummary() const;

 private:
  std::string GrowthText(double seconds, double size);
  std::string TargetsText(const FirstFrameRow& row);

  MemoryBudget budget_;
  bool merged_;
  bool firstRow_ = true;
  // The first row's time and size, which the other rows' growth is against.
  std::optional<double> baseSeconds_, baseSize_;
  int missed_ = 0, failed_ = 0;
};
