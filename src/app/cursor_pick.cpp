#include "app/cursor_pick.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "app/app_state.h"
#include "app/window_title.h"
#include "surface/voxel_pick.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTitleInterval = std::chrono::milliseconds(50);  // 20 a second

std::uint8_t ValueAt(const VOXSPACE& volume, const std::array<std::uint32_t, 3>& voxel) {
  return volume.data[voxel[0] + std::uint64_t{volume.dimX} *
                                    (voxel[1] + std::uint64_t{volume.dimY} * voxel[2])];
}

// The voxel's value as the file stores it (the kept value, else its byte:
// the shown copy's bytes may stand in for a value of 0 above a threshold),
// and the colour table's name for it.
std::string ValueText(const std::array<std::uint32_t, 3>& voxel) {
  const double value = sourceValues.Any() ? sourceValues.At(voxel[0], voxel[1], voxel[2])
                                          : ValueAt(*theVolume, voxel);
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  const std::string* name =
      value == std::round(value) ? LabelName(labelPalette, std::llround(value)) : nullptr;
  return name ? text + (" " + *name) : text;
}

std::string FieldFor(const std::optional<std::array<std::uint32_t, 3>>& voxel) {
  if (!voxel) return {};
  std::uint32_t file[3];
  fileAxes.FileVoxel(voxel->data(), file);
  const std::string place = PatientPlace(fileAxes, file);
  return ValueText(*voxel) + " at " + std::to_string(file[0]) + "," + std::to_string(file[1]) +
         "," + std::to_string(file[2]) + (place.empty() ? "" : " " + place);
}

}  // namespace

void NoteCursor(CursorPick& pick, int x, int y) {
  pick.x = x, pick.y = y;
  pick.pending = true;
}

void ForgetCursor(CursorPick& pick) {
  pick.x = pick.y = -1;
  pick.pending = false;
  if (pick.field.empty()) return;
  pick.field.clear();
  if (mainWindow) UpdateWindowTitle(mainWindow);
}

DWORD MillisecondsToPick(const CursorPick& pick) {
  if (!pick.pending) return kNoPickDue;
  const auto due = pick.last + kTitleInterval;
  const auto now = Clock::now();
  if (now >= due) return 0;
  return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count());
}

void PickNow(CursorPick& pick) {
  pick.pending = false;
  pick.last = Clock::now();
  std::string field = FieldFor(VoxelUnderPixel(pick.x, pick.y));
  if (field == pick.field) return;
  pick.field = std::move(field);
  if (mainWindow) UpdateWindowTitle(mainWindow);
}

std::optional<std::array<std::uint32_t, 3>> VoxelUnderPixel(int x, int y) {
  const VOXSPACE* volume = theSurface.voxSpace;
  if (!drawnView.valid || !volume || x < 0 || y < 0) return std::nullopt;
  // Through the pixel's centre, from the near plane to a point half-way in
  // depth (the projection may put the far plane at infinity).
  const double winX = x + 0.5, winY = drawnView.viewport[3] - y - 0.5;
  double nearPoint[3], farPoint[3];
  if (!gluUnProject(winX, winY, 0, drawnView.modelview, drawnView.projection, drawnView.viewport,
                    &nearPoint[0], &nearPoint[1], &nearPoint[2]) ||
      !gluUnProject(winX, winY, 0.5, drawnView.modelview, drawnView.projection, drawnView.viewport,
                    &farPoint[0], &farPoint[1], &farPoint[2]))
    return std::nullopt;
  // World to grid: voxel i's low corner is at size * (i - dim / 2).
  const double dim[3] = {static_cast<double>(volume->dimX), static_cast<double>(volume->dimY),
                         static_cast<double>(volume->dimZ)};
  double origin[3], direction[3];
  for (int a = 0; a < 3; ++a) {
    const double size = theSurface.voxelSize[a];
    origin[a] = nearPoint[a] / size + dim[a] / 2;
    direction[a] = (farPoint[a] - nearPoint[a]) / size;
  }
  return PickVoxel(*volume, origin, direction);
}

std::optional<std::uint8_t> ValueUnderCursor(const CursorPick& pick) {
  const auto voxel = VoxelUnderPixel(pick.x, pick.y);
  if (!voxel) return std::nullopt;
  return ValueAt(*theVolume, *voxel);
}
