// Reorientation: whatever the storage order, a step along drawn x must go
// to the patient's left, along y superior, along z posterior, as far as
// the drawn spacing says; checked against each voxel's patient position.
#include "voxel/patient_axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct AxesCase {
  std::string name;
  PatientAxes axes;  // RAS columns
  double obliqueDegrees;
};

void PrintTo(const AxesCase& c, std::ostream* out) { *out << c.name; }

const double kTen = 10 * 3.14159265358979 / 180;

const AxesCase kAxesCases[] = {
    {"BareAxesRunRight", PatientAxes{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}, 0},
    {"StoredAsDrawn", PatientAxes{{{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}}}, 0},
    {"LpsAxial", FromLps(PatientAxes{{{0.8, 0, 0}, {0, 0.8, 0}, {0, 0, 2.5}}}), 0},
    {"Coronal", PatientAxes{{{1, 0, 0}, {0, 0, -1}, {0, 3, 0}}}, 0},
    {"Sagittal", PatientAxes{{{0, -1, 0}, {0, 0, -1}, {-2, 0, 0}}}, 0},
    {"ObliqueTenDegrees",
     PatientAxes{
         {{std::cos(kTen), std::sin(kTen), 0}, {-std::sin(kTen), std::cos(kTen), 0}, {0, 0, 1}}},
     10},
    {"NoDirectionForK", PatientAxes{{{0, 1, 0}, {1, 0, 0}, {0, 0, 0}}}, 0},
};

class PatientAxesPlacement : public ::testing::TestWithParam<AxesCase> {};

TEST_P(PatientAxesPlacement, StepsGoLeftSuperiorPosterior) {
  const std::uint64_t dims[3] = {3, 4, 5};
  const AxisPlacement placement = PlaceAxes(GetParam().axes, dims);
  EXPECT_NEAR(placement.facts.obliqueDegrees, GetParam().obliqueDegrees, 1e-6);
  const std::uint32_t* d = placement.drawnDims;
  ASSERT_EQ(std::uint64_t{d[0]} * d[1] * d[2], 60u);

  // Each storage voxel's value is its storage offset + 1; placed in pieces
  // that end mid-row and mid-slice.
  std::vector<unsigned char> stored(60), drawn(60, 0);
  for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<unsigned char>(i + 1);
  for (std::size_t first = 0; first < stored.size(); first += 7)
    PlaceVoxels(placement, first, &stored[first], std::min<std::size_t>(7, 60 - first),
                drawn.data());
  // Stored values kept beside the bytes (8 bytes wide here) go to the same places.
  std::vector<std::uint64_t> wide(60), wideDrawn(60, 0);
  for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = (std::uint64_t{i + 1} << 40) | (i + 1);
  PlaceVoxels(placement, 0, wide.data(), wide.size(), wideDrawn.data());
  for (std::size_t at = 0; at < wide.size(); ++at)
    EXPECT_EQ(wideDrawn[at], (std::uint64_t{drawn[at]} << 40) | drawn[at]) << at;
  // Permuted orders also go in whole slices, tile by tile, two at a time
  // and one last: to the same places, bytes and 2-byte values alike.
  if (TiledSlices(placement, 1) > 0) {
    std::vector<unsigned char> tiled(60, 0);
    std::vector<std::uint16_t> wideTiled(60, 0), wideStored(stored.begin(), stored.end());
    for (std::uint64_t slice = 0; slice < 5; slice += 2) {
      const std::uint64_t count = std::min<std::uint64_t>(2, 5 - slice);
      PlaceSlices(placement, slice, count, &stored[slice * 12], tiled.data());
      PlaceSlices(placement, slice, count, &wideStored[slice * 12], wideTiled.data());
    }
    EXPECT_EQ(tiled, drawn);
    EXPECT_EQ(std::vector<std::uint16_t>(drawn.begin(), drawn.end()), wideTiled);
  }

  // The patient position of a drawn voxel; a column of no length steps
  // 1 mm along its own storage axis.
  const auto patient = [&](std::size_t at, double(&p)[3]) {
    ASSERT_NE(drawn[at], 0) << "no voxel landed at " << at;
    const std::uint64_t s = drawn[at] - 1u;
    const std::uint64_t index[3] = {s % 3, s / 3 % 4, s / 12};
    for (int r = 0; r < 3; ++r) {
      p[r] = 0;
      for (int a = 0; a < 3; ++a) {
        const double* c = GetParam().axes.column[a];
        const bool none = c[0] == 0 && c[1] == 0 && c[2] == 0;
        p[r] += static_cast<double>(index[a]) * (none ? (a == r ? 1 : 0) : c[r]);
      }
    }
  };
  // Drawn x, y, z: the patient's left (-R), superior (+S), posterior (-A).
  const int ras[3] = {0, 2, 1};
  const double sense[3] = {-1, 1, -1};
  const std::size_t stride[3] = {1, d[0], std::size_t{d[0]} * d[1]};
  for (int axis = 0; axis < 3; ++axis) {
    if (d[axis] < 2) continue;
    double from[3], to[3];
    patient(0, from);
    patient(stride[axis], to);
    double step[3];
    for (int r = 0; r < 3; ++r) step[r] = to[r] - from[r];
    const double along = step[ras[axis]] * sense[axis];
    const double length = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
    EXPECT_GT(along, 0) << "drawn axis " << axis << " runs the wrong way";
    EXPECT_GE(along, length * std::cos((GetParam().obliqueDegrees + 1e-3) * 3.14159265358979 / 180))
        << "drawn axis " << axis << " is not the nearest patient axis";
    EXPECT_NEAR(length, placement.facts.spacing[axis], 1e-9) << "drawn axis " << axis;
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, PatientAxesPlacement, ::testing::ValuesIn(kAxesCases),
                         [](const auto& info) { return info.param.name; });

}  // namespace
