// Labels a byte cannot hold. An atlas may number its labels to 2035 or
// beyond; the surface is built from one byte a voxel, so each distinct
// label is given a byte of its own (in increasing order of label), and the
// colours, names and hiding go through the label each byte stands for.
// Beyond 255 distinct labels, bytes are shared in turn.
#pragma once

#include <cstdint>
#include <optional>

#include "voxel/source_values.h"
#include "voxel/voxspace.h"

struct LabelBytes {
  bool mapped = false;               // else each byte is its own label
  std::int64_t labelOf[256] = {};    // the label a byte stands for (the first, when shared)
  std::uint64_t distinctLabels = 0;  // other than 0, when mapped

  std::int64_t Label(std::uint8_t byte) const { return mapped ? labelOf[byte] : byte; }
  // The byte that stands for `label` alone (none beyond 255 distinct labels).
  std::optional<std::uint8_t> ByteOf(std::int64_t label) const;
};

// For a label volume whose stored `values` (in the volume's own order,
// before the start-up mirror) include labels outside 1..255: rewrites the
// solid voxels' bytes to their labels' bytes. Nothing changes, and no map
// is made, when every label fits a byte.
LabelBytes MapLabelsToBytes(VOXSPACE& volume, const SourceValues& values);
