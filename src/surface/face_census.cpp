// The face census: how many exposed faces each direction has among the
// interior voxels (indices 1 .. dim-2 on every axis). The counts size the
// quad arrays exactly, so they must be exact; the order in which voxels are
// visited does not change them, so the census walks memory in order, a row
// of x at a time, sixteen voxels per step, testing all six neighbours with
// vector compares and counting in byte lanes (a row's last few voxels are
// one more step that overlaps the previous one, with the lanes already
// counted switched off).
#include "surface/face_census.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "surface/byte_vectors.h"
#include "surface/ogl_cuberille.h"
#include "surface/volume_view.h"

namespace surface {
namespace {

using Counts = std::uint64_t[kFaceDirections];

// Lanes 16-r .. 15 of Load16(kTailLanes + r) are set: the last r voxels of
// a row counted with one more sixteen-voxel step that ends at the row's end.
alignas(16) constexpr std::uint8_t kTailLanes[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Counts faces in byte lanes, adding them up before a lane can overflow.
class LaneCounter {
 public:
  explicit LaneCounter(const std::ptrdiff_t (&offsets)[kFaceDirections]) : offsets_(offsets) {}

  void Step(const std::uint8_t* p, Bytes16 active) {
    const Bytes16 solid = NonZero(Load16(p)) & active;
    for (int d = 0; d < kFaceDirections; ++d) lanes_[d] -= solid & IsZero(Load16(p + offsets_[d]));
    if (++steps_ == 255) Flush();
  }
  void Flush() {
    for (int d = 0; d < kFaceDirections; ++d) {
      counts_[d] += SumLanes(lanes_[d]);
      lanes_[d] = Bytes16{};
    }
    steps_ = 0;
  }
  void AddOne(int d) { ++counts_[d]; }
  const Counts& counts() const { return counts_; }

 private:
  const std::ptrdiff_t (&offsets_)[kFaceDirections];
  Bytes16 lanes_[kFaceDirections] = {};
  int steps_ = 0;
  Counts counts_ = {};
};

// The faces of `n` consecutive voxels starting at `row`.
void CountRow(const std::uint8_t* row, std::size_t n,
              const std::ptrdiff_t (&offsets)[kFaceDirections], LaneCounter& counter) {
  const Bytes16 all = ~Bytes16{};
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) counter.Step(row + i, all);
  const std::size_t rest = n - i;
  if (rest == 0) return;
  if (n >= 16) {
    counter.Step(row + n - 16, Load16(kTailLanes + rest));
    return;
  }
  for (; i < n; ++i) {
    if (row[i] == 0) continue;
    for (int d = 0; d < kFaceDirections; ++d)
      if (row[static_cast<std::ptrdiff_t>(i) + offsets[d]] == 0) counter.AddOne(d);
  }
}

}  // namespace

std::array<std::uint64_t, kFaceDirections> CountExposedFaces(const VOXSPACE& volume) {
  std::array<std::uint64_t, kFaceDirections> counts{};
  // An unfilled volume is all zeros: no faces, and walking it could mean
  // gigabytes of zeros.
  if (IsVoxSpaceUnfilled(&volume)) return counts;
  const VolumeView view(volume);
  if (!view.HasInterior()) return counts;
  const std::ptrdiff_t offsets[kFaceDirections] = {
      -1, 1, -view.stride[1], view.stride[1], -view.stride[2], view.stride[2]};
  LaneCounter counter(offsets);
  const std::size_t rowLength = view.dim[0] - 2;
  for (std::uint32_t z = 1; z < view.InteriorEnd(Z_AXIS); ++z) {
    for (std::uint32_t y = 1; y < view.InteriorEnd(Y_AXIS); ++y) {
      CountRow(view.data + view.Index(1, y, z), rowLength, offsets, counter);
    }
  }
  counter.Flush();
  std::copy(std::begin(counter.counts()), std::end(counter.counts()), counts.begin());
  return counts;
}

}  // namespace surface

std::uint32_t OGLcuberille::CountFaces() {
  if (!voxSpace) return 0;
  const auto counts = surface::CountExposedFaces(*voxSpace);
  // A count beyond 32 bits could never be allocated anyway; saturate
  // rather than wrap, and the builders never write past a count.
  std::uint64_t total = 0;
  for (int d = 0; d < kFaceDirections; ++d) {
    quadLists[d].quadCount =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(counts[d], UINT32_MAX));
    total += quadLists[d].quadCount;
  }
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(total, UINT32_MAX));
}
