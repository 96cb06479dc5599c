// The volumes of the first-frame table and their time targets. Head
// phantoms from 128^3 to 1024^3 show how the time grows with the size; the
// head-sized scan (a brain of fine detail: many short runs of faces) is the
// kind of file users open most, and the one a first look must be quick on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FirstFrameVolume {
  std::string label;  // as the table prints it
  std::string shape;  // cubgen's SHAPE
  std::string size;   // cubgen's SIZE: an edge or WxHxD
  std::uint64_t voxels;
  int runs;                    // the best of this many runs counts
  double targetSeconds;        // 0: reported without a target
  double mergedTargetSeconds;  // the same with qarmel-shot --merged
};

// The smallest phantom first: the table measures the others' growth against its row.
const std::vector<FirstFrameVolume>& FirstFrameVolumes();
