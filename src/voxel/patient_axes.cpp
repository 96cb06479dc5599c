#include "voxel/patient_axes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Slices are placed a few MiB of stored values at a time, and never
// more than this many at once; a slice above 64 MiB is placed voxel by
// voxel instead of being held apart.
constexpr std::uint64_t kSlabBytes = std::uint64_t{16} << 20;
constexpr std::uint64_t kMostSlabSlices = 64;
constexpr std::uint64_t kLargestTiledSlice = std::uint64_t{64} << 20;
// A tile's edge in voxels: its source and drawn lines stay in the cache.
constexpr std::uint64_t kTile = 64;

// The drawn axis of each RAS axis and whether it runs the same way: drawn
// x is the patient's left (RAS x reversed), drawn y superior, drawn z
// posterior (RAS y reversed).
constexpr int kDrawnAxisOf[3] = {0, 2, 1};
constexpr int kDrawnSense[3] = {-1, -1, 1};

// The six ways of matching three storage axes to three patient axes.
constexpr int kPermutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                     {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};

double Length(const double (&v)[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// Each storage axis's unit direction and length; a step of no length or
// not finite is 1 mm along the storage axis itself.
void Normalise(const PatientAxes& axes, double (&unit)[3][3], double (&length)[3]) {
  for (int a = 0; a < 3; ++a) {
    const double l = Length(axes.column[a]);
    if (std::isfinite(l) && l > 0) {
      length[a] = l;
      for (int r = 0; r < 3; ++r) unit[a][r] = axes.column[a][r] / l;
    } else {
      length[a] = 1;
      for (int r = 0; r < 3; ++r) unit[a][r] = a == r ? 1 : 0;
    }
  }
}

// The permutation whose matched direction cosines sum highest.
const int* NearestPermutation(const double (&unit)[3][3]) {
  const int* best = kPermutations[0];
  double bestScore = -1;
  for (const auto& p : kPermutations) {
    const double score =
        std::fabs(unit[0][p[0]]) + std::fabs(unit[1][p[1]]) + std::fabs(unit[2][p[2]]);
    if (score > bestScore) bestScore = score, best = p;
  }
  return best;
}

}  // namespace

AxisPlacement PlaceAxes(const PatientAxes& axes, const std::uint64_t dims[3]) {
  AxisPlacement placement;
  double unit[3][3], length[3];
  Normalise(axes, unit, length);
  const int* patientAxis = NearestPermutation(unit);
  for (int a = 0; a < 3; ++a) {
    const int r = patientAxis[a];
    const int drawn = kDrawnAxisOf[r];
    placement.storageDims[a] = dims[a];
    placement.drawnAxis[a] = drawn;
    placement.flipped[a] = (unit[a][r] < 0) != (kDrawnSense[r] < 0);
    placement.drawnDims[drawn] = static_cast<std::uint32_t>(dims[a]);
    placement.facts.spacing[drawn] = length[a];
    const double cosine = std::fmin(1.0, std::fabs(unit[a][r]));
    placement.facts.obliqueDegrees =
        std::fmax(placement.facts.obliqueDegrees, std::acos(cosine) * 180 / kPi);
  }
  const std::int64_t stride[3] = {1, placement.drawnDims[0],
                                  std::int64_t{placement.drawnDims[0]} * placement.drawnDims[1]};
  for (int a = 0; a < 3; ++a) {
    const std::int64_t s = stride[placement.drawnAxis[a]];
    placement.step[a] = placement.flipped[a] ? -s : s;
    if (placement.flipped[a]) placement.base += static_cast<std::int64_t>(dims[a] - 1) * s;
  }
  return placement;
}

PatientAxes FromLps(const PatientAxes& lps) {
  PatientAxes ras = lps;
  for (auto& column : ras.column) column[0] = -column[0], column[1] = -column[1];
  ras.origin[0] = -ras.origin[0], ras.origin[1] = -ras.origin[1];
  return ras;
}

std::uint64_t TiledSlices(const AxisPlacement& placement, std::uint64_t storedBytes) {
  if (placement.step[0] == 1 || placement.step[0] == -1) return 0;
  const std::uint64_t slice = placement.storageDims[0] * placement.storageDims[1] * storedBytes;
  if (slice == 0 || slice > kLargestTiledSlice) return 0;
  return std::clamp<std::uint64_t>(kSlabBytes / slice, 1, kMostSlabSlices);
}

template <typename T>
void PlaceSlices(const AxisPlacement& placement, std::uint64_t firstSlice, std::uint64_t count,
                 const T* bytes, T* out) {
  // The storage axis that runs along drawn x (j or k: i does not, or the
  // rows would be copied whole), and the one left.
  const int along = placement.step[1] == 1 || placement.step[1] == -1 ? 1 : 2;
  const int across = 3 - along;
  const std::uint64_t n[3] = {placement.storageDims[0], placement.storageDims[1], count};
  const std::uint64_t sourceStride[3] = {1, n[0], n[0] * n[1]};
  const std::int64_t* step = placement.step;
  const std::int64_t first = placement.base + static_cast<std::int64_t>(firstSlice) * step[2];
  for (std::uint64_t c = 0; c < n[across]; ++c) {
    for (std::uint64_t i0 = 0; i0 < n[0]; i0 += kTile) {
      const std::uint64_t i1 = std::min(n[0], i0 + kTile);
      for (std::uint64_t t0 = 0; t0 < n[along]; t0 += kTile) {
        const std::uint64_t t1 = std::min(n[along], t0 + kTile);
        for (std::uint64_t i = i0; i < i1; ++i) {
          const T* from = bytes + i + c * sourceStride[across];
          T* to = out + first + static_cast<std::int64_t>(i) * step[0] +
                  static_cast<std::int64_t>(c) * step[across];
          for (std::uint64_t t = t0; t < t1; ++t)
            to[static_cast<std::int64_t>(t) * step[along]] = from[t * sourceStride[along]];
        }
      }
    }
  }
}

template <typename T>
void PlaceVoxels(const AxisPlacement& placement, std::uint64_t first, const T* bytes,
                 std::size_t count, T* out) {
  const std::uint64_t n0 = placement.storageDims[0], n1 = placement.storageDims[1];
  std::uint64_t i0 = first % n0, i1 = (first / n0) % n1;
  const std::uint64_t i2 = first / (n0 * n1);
  const std::int64_t* step = placement.step;
  std::int64_t at = placement.base + static_cast<std::int64_t>(i0) * step[0] +
                    static_cast<std::int64_t>(i1) * step[1] +
                    static_cast<std::int64_t>(i2) * step[2];
  // Rows of the storage's fastest axis: a run copied whole when that axis
  // stays drawn x in its own sense, else voxel by voxel.
  for (std::size_t done = 0; done < count;) {
    const std::size_t run =
        static_cast<std::size_t>(std::min<std::uint64_t>(n0 - i0, count - done));
    if (step[0] == 1) {
      std::memcpy(out + at, bytes + done, run * sizeof(T));
    } else {
      for (std::size_t v = 0; v < run; ++v)
        out[at + static_cast<std::int64_t>(v) * step[0]] = bytes[done + v];
    }
    done += run;
    at += static_cast<std::int64_t>(run) * step[0];
    i0 += run;
    if (i0 < n0) break;
    i0 = 0;
    at += step[1] - static_cast<std::int64_t>(n0) * step[0];
    if (++i1 < n1) continue;
    i1 = 0;
    at += step[2] - static_cast<std::int64_t>(n1) * step[1];
  }
}

// Voxel bytes, and the stored values kept beside them (by their width).
#define QARMEL_PLACE(T)                                                                           \
  template void PlaceSlices<T>(const AxisPlacement&, std::uint64_t, std::uint64_t, const T*, T*); \
  template void PlaceVoxels<T>(const AxisPlacement&, std::uint64_t, const T*, std::size_t, T*);
QARMEL_PLACE(std::uint8_t)
QARMEL_PLACE(std::uint16_t)
QARMEL_PLACE(std::uint32_t)
QARMEL_PLACE(std::uint64_t)
#undef QARMEL_PLACE
