#include "voxel/voxel_selection.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "voxel/file_axes.h"
#include "voxel/source_values.h"

bool VoxelSelection::Cuts() const {
  const VoxelSelection none;
  return !std::equal(first, first + 3, none.first) || !std::equal(last, last + 3, none.last);
}

void KeptFileRange(const VoxelSelection& selection, const FileAxes& axes, int axis,
                   std::uint32_t& lo, std::uint32_t& hi) {
  const int d = axes.drawnAxis[axis];
  const std::uint32_t last = axes.fileDims[axis] - 1;
  const std::uint32_t first = std::min(selection.first[d], last + 1);
  const std::uint32_t end = std::min(selection.last[d], last);
  if (first > end) {
    lo = 1, hi = 0;
    return;
  }
  lo = axes.Drawn(axis, axes.reversed[axis] ? end : first);
  hi = axes.Drawn(axis, axes.reversed[axis] ? first : end);
}

void KeepFileRange(VoxelSelection& selection, const FileAxes& axes, int axis, std::uint32_t lo,
                   std::uint32_t hi) {
  const int d = axes.drawnAxis[axis];
  const std::uint32_t last = axes.fileDims[axis] - 1;
  hi = std::min(hi, last);
  if (lo > hi) {  // nothing kept
    selection.first[d] = 1, selection.last[d] = 0;
    return;
  }
  selection.first[d] = axes.Drawn(axis, axes.reversed[axis] ? hi : lo);
  selection.last[d] = axes.Drawn(axis, axes.reversed[axis] ? lo : hi);
  // The whole extent is no cut at all.
  if (selection.first[d] == 0 && selection.last[d] == last)
    selection.last[d] = VoxelSelection::kNoCut;
}

VOXSPACE* SelectVoxels(const VOXSPACE& volume, const VoxelSelection& selection,
                       const SourceValues* values) {
  auto* selected = static_cast<VOXSPACE*>(std::malloc(sizeof(VOXSPACE)));
  if (!selected) return nullptr;
  *selected = volume;
  const std::uint64_t dim[3] = {volume.dimX, volume.dimY, volume.dimZ};
  const std::uint64_t voxels = dim[0] * dim[1] * dim[2];
  // Zeroed pages cost nothing until written: only the kept box is.
  selected->data = static_cast<unsigned char*>(std::calloc(voxels ? voxels : 1, 1));
  if (!selected->data) {
    std::free(selected);
    return nullptr;
  }
  std::uint64_t first[3], last[3];
  for (int a = 0; a < 3; ++a) {
    first[a] = selection.first[a];
    last[a] = std::min<std::uint64_t>(selection.last[a], dim[a] - 1);
    if (dim[a] == 0 || first[a] > last[a]) return selected;  // nothing kept
  }
  bool hides[256];
  for (int v = 0; v < 256; ++v) hides[v] = selection.hidden[v];
  const bool anyHidden = selection.hidden.any();
  const bool kept = values && values->Any();
  const auto x0 = static_cast<std::uint32_t>(first[0]), x1 = static_cast<std::uint32_t>(last[0]);
  for (std::uint64_t z = first[2]; z <= last[2]; ++z)
    for (std::uint64_t y = first[1]; y <= last[1]; ++y) {
      const std::uint64_t row = (z * dim[1] + y) * dim[0];
      const unsigned char* in = volume.data + row;
      unsigned char* out = selected->data + row;
      if (selection.thresholded && kept) {
        values->ThresholdRow(static_cast<std::uint32_t>(y), static_cast<std::uint32_t>(z), x0, x1,
                             selection.threshold, in, out);
      } else if (selection.thresholded) {
        ThresholdBytes(in, x0, x1, selection.threshold, out);
      } else {
        std::memcpy(out + first[0], in + first[0], last[0] - first[0] + 1);
      }
      if (anyHidden)
        for (std::uint64_t x = first[0]; x <= last[0]; ++x)
          if (hides[in[x]]) out[x] = 0;
    }
  return selected;
}
