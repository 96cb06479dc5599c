#include "voxel/file_axes.h"

#include <cmath>
#include <cstdio>

FileAxes FileAxesOf(const VolumeFacts& facts, const std::uint32_t drawnDims[3]) {
  FileAxes axes;
  for (int a = 0; a < 3; ++a) {
    axes.drawnAxis[a] = facts.drawnAxis[a];
    axes.fileDims[a] = drawnDims[facts.drawnAxis[a]];
    // The start-up mirror reverses drawn z once more.
    axes.reversed[a] = facts.flipped[a] != (facts.drawnAxis[a] == 2);
  }
  axes.patient = facts.patient;
  return axes;
}

std::string PatientPlace(const FileAxes& axes, const std::uint32_t file[3]) {
  if (!axes.patient.oriented) return {};
  static constexpr char kSides[3][2] = {{'L', 'R'}, {'P', 'A'}, {'I', 'S'}};
  std::string place;
  for (int r = 0; r < 3; ++r) {
    double mm = axes.patient.origin[r];
    for (int a = 0; a < 3; ++a) mm += file[a] * axes.patient.column[a][r];
    if (!std::isfinite(mm)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%s%c%g", r ? " " : "", kSides[r][mm >= 0],
                  std::round(std::fabs(mm) * 10) / 10);
    place += text;
  }
  return place;
}
