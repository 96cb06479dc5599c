#include "voxel/label_volume.h"

#include <bit>
#include <cstdint>

#include "surface/byte_vectors.h"

namespace {

struct PairCounts {
  std::uint64_t solid = 0, equal = 0;
};

// Counts the pairs (p[i], p[i + offset]) for i in [0, n) whose voxels are
// both solid, and of those the equal ones.
void CountPairs(const std::uint8_t* p, std::ptrdiff_t offset, std::size_t n, bool skipClipped,
                PairCounts& counts) {
  using namespace surface;
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const Bytes16 a = Load16(p + i), b = Load16(p + i + offset);
    Bytes16 both = NonZero(a) & NonZero(b);
    if (skipClipped) both &= ~reinterpret_cast<Bytes16>((a == 255) & (b == 255));
    counts.solid += static_cast<unsigned>(std::popcount(LaneBits(both)));
    counts.equal +=
        static_cast<unsigned>(std::popcount(LaneBits(both & reinterpret_cast<Bytes16>(a == b))));
  }
  for (; i < n; ++i) {
    const std::uint8_t a = p[i], b = p[static_cast<std::ptrdiff_t>(i) + offset];
    if (!a || !b || (skipClipped && a == 255 && b == 255)) continue;
    ++counts.solid;
    counts.equal += a == b;
  }
}

}  // namespace

bool IsLabelVolume(const VOXSPACE& volume, const VolumeFacts& facts, bool hasColourTable) {
  if (hasColourTable || facts.labelIntent) return true;
  // A volume recorded as never filled is all zeros: nothing to count.
  if (!facts.wholeValues || IsVoxSpaceUnfilled(&volume)) return false;
  const std::uint64_t dimX = volume.dimX, dimY = volume.dimY, dimZ = volume.dimZ;
  PairCounts counts;
  for (std::uint64_t z = 0; z < dimZ; ++z) {
    for (std::uint64_t y = 0; y < dimY; ++y) {
      const std::uint8_t* row = volume.data + (z * dimY + y) * dimX;
      if (dimX > 1) CountPairs(row, 1, dimX - 1, facts.widerThanByte, counts);
      if (y + 1 < dimY)
        CountPairs(row, static_cast<std::ptrdiff_t>(dimX), dimX, facts.widerThanByte, counts);
      if (z + 1 < dimZ)
        CountPairs(row, static_cast<std::ptrdiff_t>(dimX * dimY), dimX, facts.widerThanByte,
                   counts);
    }
  }
  return counts.solid > 0 && counts.equal * 10 >= counts.solid * 9;
}
