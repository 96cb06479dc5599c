// The table is built in two passes over the corner rows (z, then y, rows
// along x): the first counts each row's normals, so one array of exactly
// their number holds them; the second finds them again and works them out.
// A corner belongs to the surface where the eight voxels around it are
// neither all solid nor all empty; that is found 64 corners at a time from
// bit rows of the two voxel planes around the corner plane.
#include "surface/corner_normals.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>
#include <thread>

#include "surface/bit_lines.h"
#include "surface/direction_tables.h"

namespace surface {
namespace {

// The block spans this many voxels on each side of the corner along the
// axes of the smallest edge.
constexpr std::int64_t kReach = kNormalReach;

// Bit i set where byte i of w is not zero.
inline unsigned NonZeroBytes(std::uint64_t w) {
  constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
  const std::uint64_t high = (((w & kLow7) + kLow7) | w) & ~kLow7;
  return static_cast<unsigned>(((high >> 7) * 0x0102040810204080ull) >> 56);
}

// The solid voxels of one plane as bit rows: bit x of row y.
class BitPlane {
 public:
  BitPlane(std::uint32_t dimX, std::uint32_t dimY)
      : wordsPerRow_(WordsFor(std::size_t{dimX} + 1) + 1),
        words_(std::size_t{dimY} * wordsPerRow_) {}
  explicit operator bool() const { return static_cast<bool>(words_); }
  const std::uint64_t* Row(std::uint32_t y) const { return words_.data() + y * wordsPerRow_; }
  std::size_t WordsPerRow() const { return wordsPerRow_; }

  // Plane z of the volume, or an empty plane (z beyond the volume).
  void Fill(const VOXSPACE& volume, std::uint64_t z) {
    words_.Clear();
    if (z >= volume.dimZ) return;
    for (std::uint32_t y = 0; y < volume.dimY; ++y) {
      const std::uint8_t* row = volume.data + (z * volume.dimY + y) * volume.dimX;
      std::uint64_t* bits = words_.data() + y * wordsPerRow_;
      std::uint32_t x = 0;
      for (; x + 16 <= volume.dimX; x += 16)
        bits[x >> 6] |= std::uint64_t{LaneBits(NonZero(Load16(row + x)))} << (x & 63);
      for (; x < volume.dimX; ++x)
        if (row[x]) SetBit(bits, x);
    }
  }

 private:
  std::size_t wordsPerRow_;
  ScratchWords words_;
};

// Bits x in [0, dimX] of the corners of row (y, z) where solid meets empty,
// from the voxel rows y - 1 and y of the planes below and above (rows
// outside the volume are empty).
void SurfaceCorners(const BitPlane& below, const BitPlane& above, std::uint32_t y,
                    std::uint32_t dimY, std::uint64_t* corners) {
  const std::size_t words = below.WordsPerRow();
  const std::uint64_t* rows[4] = {};
  int count = 0;
  for (const BitPlane* plane : {&below, &above})
    for (std::uint32_t r : {y - 1, y})
      if (r < dimY) rows[count++] = plane->Row(r);  // y - 1 wraps past dimY at y = 0
  std::uint64_t lastAny = 0, lastAll = 0;
  for (std::size_t w = 0; w < words; ++w) {
    std::uint64_t any = 0, all = count == 4 ? ~std::uint64_t{0} : 0;
    for (int r = 0; r < count; ++r) any |= rows[r][w], all &= rows[r][w];
    // The corner at x sits between voxels x - 1 and x.
    const std::uint64_t anyAround = any | (any << 1) | (lastAny >> 63);
    const std::uint64_t allAround = all & ((all << 1) | (lastAll >> 63));
    corners[w] = anyAround & ~allAround;
    lastAny = any, lastAll = all;
  }
}

// The first moment of the block around one corner, and from it the normal.
class MomentBlock {
 public:
  MomentBlock(const VOXSPACE& volume, const double (&spacing)[3]) : volume_(volume) {
    const double shortest = std::min({spacing[0], spacing[1], spacing[2]});
    for (int a = 0; a < 3; ++a) {
      reach_[a] = std::max<std::int64_t>(1, std::llround(kReach * shortest / spacing[a]));
      // A plane's moment over a box leans towards the box's long sides by
      // their squares, and a normal turns into millimetres by the inverse
      // of the spacing (a plane keeps its place; its normal tilts towards
      // the short edges): both are undone by this scale.
      scale_[a] = -1.0 / (spacing[a] * static_cast<double>(reach_[a] * reach_[a]));
    }
    // Offsets in half voxels: the voxel of window bit b lies
    // 2 (b - reach) + 1 halves from the corner.
    for (unsigned bits = 0; bits < 64; ++bits)
      for (int b = 0; b < 2 * reach_[0]; ++b)
        if ((bits >> b) & 1) xMoment_[bits] += static_cast<int>(2 * (b - reach_[0]) + 1);
  }

  // The unit normal at corner (x, y, z) from the voxels that are not zero
  // (value 0) or equal `value`; (0, 0, 0) where the block is balanced.
  void Normal(std::uint32_t x, std::uint32_t y, std::uint32_t z, std::uint8_t value,
              std::int8_t (&normal)[3]) const {
    const std::int64_t corner[3] = {x, y, z};
    const std::int64_t dimY = volume_.dimY, dimZ = volume_.dimZ;
    std::int64_t moment[3] = {0, 0, 0};
    const std::int64_t start = corner[0] - reach_[0];
    for (std::int64_t k = std::max<std::int64_t>(0, corner[2] - reach_[2]),
                      kEnd = std::min(dimZ, corner[2] + reach_[2]);
         k < kEnd; ++k) {
      for (std::int64_t j = std::max<std::int64_t>(0, corner[1] - reach_[1]),
                        jEnd = std::min(dimY, corner[1] + reach_[1]);
           j < jEnd; ++j) {
        const std::uint8_t* row = volume_.data + (k * dimY + j) * std::int64_t{volume_.dimX};
        const unsigned bits = WindowBits(row, start, value);
        const auto count = static_cast<std::int64_t>(std::popcount(bits));
        moment[0] += xMoment_[bits];
        moment[1] += count * (2 * (j - corner[1]) + 1);
        moment[2] += count * (2 * (k - corner[2]) + 1);
      }
    }
    double n[3], length = 0;
    for (int a = 0; a < 3; ++a) {
      n[a] = static_cast<double>(moment[a]) * scale_[a];
      length += n[a] * n[a];
    }
    length = std::sqrt(length);
    for (int a = 0; a < 3; ++a)
      normal[a] = length > 0 ? static_cast<std::int8_t>(std::lround(127 * n[a] / length)) : 0;
  }

 private:
  // Bit b set where voxel start + b of the row (b below twice the reach)
  // counts as solid; voxels outside the row are empty.
  unsigned WindowBits(const std::uint8_t* row, std::int64_t start, std::uint8_t value) const {
    const std::int64_t dimX = volume_.dimX, width = 2 * reach_[0];
    std::uint64_t w = 0;
    if (start >= 0 && start + 8 <= dimX) {
      std::memcpy(&w, row + start, 8);
    } else {
      for (std::int64_t b = 0; b < width; ++b)
        if (start + b >= 0 && start + b < dimX) w |= std::uint64_t{row[start + b]} << (8 * b);
    }
    // Equal bytes become zero; bytes outside the row stay unequal.
    if (value) w ^= 0x0101010101010101ull * value;
    const unsigned solid = value ? ~NonZeroBytes(w) : NonZeroBytes(w);
    return solid & ((1u << width) - 1);
  }

  const VOXSPACE& volume_;
  std::int64_t reach_[3];
  double scale_[3];
  int xMoment_[64] = {};
};

// The distinct non-zero values of the eight voxels around corner (x, y, z),
// ascending; returns how many.
int ValuesAround(const VOXSPACE& volume, std::uint32_t x, std::uint32_t y, std::uint32_t z,
                 std::uint8_t (&values)[8]) {
  int count = 0;
  for (std::uint32_t k : {z - 1, z})
    for (std::uint32_t j : {y - 1, y})
      for (std::uint32_t i : {x - 1, x}) {
        if (i >= volume.dimX || j >= volume.dimY || k >= volume.dimZ) continue;  // wrapped too
        const std::uint8_t v = volume.data[(std::uint64_t{k} * volume.dimY + j) * volume.dimX + i];
        if (v && std::find(values, values + count, v) == values + count) values[count++] = v;
      }
  std::sort(values, values + count);
  return count;
}

// Calls f(x, y, z) for every surface corner of corner planes zBegin to
// zEnd - 1 that `wanted` names (all without it), by z, then y, then x;
// false when the bit planes cannot be had.
template <typename F>
bool ForEachSurfaceCorner(const VOXSPACE& volume, std::uint32_t zBegin, std::uint32_t zEnd,
                          const CornerNormals::CornerFilter& wanted, F f) {
  const std::size_t wantedWords = WordsFor(std::size_t{volume.dimX} + 1);
  BitPlane planes[2] = {{volume.dimX, volume.dimY}, {volume.dimX, volume.dimY}};
  ScratchWords corners(planes[0].WordsPerRow());
  if (!planes[0] || !planes[1] || !corners) return false;
  // The voxel planes z - 1 and z around corner plane z; beyond the volume
  // they are empty (plane -1 wraps past it).
  BitPlane* lower = &planes[0];
  BitPlane* upper = &planes[1];
  lower->Fill(volume, std::uint64_t{zBegin} - 1);
  upper->Fill(volume, zBegin);
  for (std::uint32_t z = zBegin; z < zEnd; ++z) {
    if (z > zBegin) {
      std::swap(lower, upper);
      upper->Fill(volume, z);
    }
    for (std::uint32_t y = 0; y <= volume.dimY; ++y) {
      const std::uint64_t* mask = wanted ? wanted(y, z) : nullptr;
      if (wanted && !mask) continue;
      SurfaceCorners(*lower, *upper, y, volume.dimY, corners.data());
      if (mask)
        for (std::size_t w = 0; w < lower->WordsPerRow(); ++w)
          corners[w] &= w < wantedWords ? mask[w] : 0;
      for (std::size_t w = 0; w < lower->WordsPerRow(); ++w)
        ForEachBit(corners[w], [&](unsigned bit) {
          const std::uint64_t x = w * 64 + bit;
          if (x <= volume.dimX) f(static_cast<std::uint32_t>(x), y, z);
        });
    }
  }
  return true;
}

// Runs work(zBegin, zEnd) over corner planes 0 .. planes - 1 in two halves,
// the second on another thread when one can be had; true when both did.
template <typename Work>
bool InTwoHalves(std::uint32_t planes, Work work) {
  const std::uint32_t middle = planes / 2;
  bool secondDone = false;
  std::thread second;
  try {
    second = std::thread([&] { secondDone = work(middle, planes); });
  } catch (const std::exception&) {
    // No thread (std::system_error) or no memory for it: this one does both.
  }
  const bool firstDone = work(0u, middle);
  if (second.joinable()) {
    second.join();
  } else {
    secondDone = work(middle, planes);
  }
  return firstDone && secondDone;
}

}  // namespace

std::unique_ptr<CornerNormals> CornerNormals::Build(const VOXSPACE& volume,
                                                    const double (&spacing)[3], bool byValue,
                                                    const CornerFilter& wanted) {
  // The corner loops run to each dimension inclusive; a volume one voxel
  // across on two axes (the only way to reach this) has no faces anyway.
  if (std::max({volume.dimX, volume.dimY, volume.dimZ}) == UINT32_MAX) return nullptr;
  std::unique_ptr<CornerNormals> table(new (std::nothrow) CornerNormals);
  if (!table) return nullptr;
  table->byValue_ = byValue;
  const std::uint64_t rowsPerPlane = table->rowsPerPlane_ = std::uint64_t{volume.dimY} + 1;
  const std::uint32_t planes = volume.dimZ + 1;
  table->rows_ = rowsPerPlane * planes;
  table->rowStart_.reset(new (std::nothrow) std::uint32_t[table->rows_ + 1]());
  if (!table->rowStart_) return nullptr;
  std::uint32_t* const rowStart = table->rowStart_.get();

  // Each row's count first, at its end; the sums then give each row's start.
  const bool counted = InTwoHalves(planes, [&](std::uint32_t zBegin, std::uint32_t zEnd) {
    bool fits = true;
    const bool scanned = ForEachSurfaceCorner(
        volume, zBegin, zEnd, wanted, [&](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
          std::uint8_t values[8];
          std::uint32_t& count = rowStart[y + rowsPerPlane * z + 1];
          const int more = byValue ? ValuesAround(volume, x, y, z, values) : 1;
          fits = fits && count <= UINT32_MAX - 8;
          count += static_cast<std::uint32_t>(more);
        });
    return scanned && fits;
  });
  if (!counted) return nullptr;
  std::uint64_t total = 0;
  for (std::uint64_t row = 1; row <= table->rows_; ++row) {
    total += rowStart[row];
    if (total > UINT32_MAX) return nullptr;
    rowStart[row] = static_cast<std::uint32_t>(total);
  }

  table->entries_.reset(new (std::nothrow) Entry[total ? total : 1]);
  if (!table->entries_) return nullptr;
  const MomentBlock block(volume, spacing);
  const bool filled = InTwoHalves(planes, [&](std::uint32_t zBegin, std::uint32_t zEnd) {
    Entry* entry = table->entries_.get() + rowStart[rowsPerPlane * zBegin];
    return ForEachSurfaceCorner(
        volume, zBegin, zEnd, wanted, [&](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
          std::uint8_t values[8] = {0};
          const int count = byValue ? ValuesAround(volume, x, y, z, values) : 1;
          for (int i = 0; i < count; ++i, ++entry) {
            entry->x = x;
            entry->value = values[i];
            block.Normal(x, y, z, values[i], entry->normal);
          }
        });
  });
  if (!filled) return nullptr;
  return table;
}

PackedNormal CornerNormals::At(const std::uint32_t (&corner)[3], std::uint8_t value,
                               FaceDirection direction) const {
  const std::uint64_t row = corner[1] + rowsPerPlane_ * corner[2];
  if (corner[1] < rowsPerPlane_ && row < rows_) {
    const Entry* first = entries_.get() + rowStart_[row];
    const Entry* last = entries_.get() + rowStart_[row + 1];
    const std::uint8_t wanted = byValue_ ? value : 0;
    const Entry* e = std::lower_bound(first, last, corner[0], [&](const Entry& a, std::uint32_t x) {
      return a.x < x || (a.x == x && a.value < wanted);
    });
    if (e != last && e->x == corner[0] && e->value == wanted &&
        (e->normal[0] | e->normal[1] | e->normal[2]) != 0)
      return {e->normal[0], e->normal[1], e->normal[2], 0};
  }
  const float* flat = kNormals[direction];
  return {static_cast<std::int8_t>(127 * flat[0]), static_cast<std::int8_t>(127 * flat[1]),
          static_cast<std::int8_t>(127 * flat[2]), 0};
}

}  // namespace surface
