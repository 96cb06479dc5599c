#include "voxel/file_axes.h"

FileAxes FileAxesOf(const VolumeFacts& facts, const std::uint32_t drawnDims[3]) {
  FileAxes axes;
  for (int a = 0; a < 3; ++a) {
    axes.drawnAxis[a] = facts.drawnAxis[a];
    axes.fileDims[a] = drawnDims[facts.drawnAxis[a]];
    // The start-up mirror reverses drawn z once more.
    axes.reversed[a] = facts.flipped[a] != (facts.drawnAxis[a] == 2);
  }
  return axes;
}
