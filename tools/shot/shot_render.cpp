#include "shot_render.h"

#include <algorithm>

#include "app/app_state.h"
#include "app/key_commands.h"
#include "app/main_loop.h"
#include "platform/common/terminal_progress.h"
#include "platform/common/window_record.h"
#include "render/frame_display.h"

bool OpenShotWindow(int width, int height) {
  appSettings.windowWidth = width;
  appSettings.windowHeight = height;
  OpenMainWindow(nullptr, SW_SHOWDEFAULT);
  if (!glContext) return false;
  platform::TerminalProgress bar("building the surface");
  theSurface.buildListener = [&bar](double share) { bar.Update(share); };
  ShowFirstFrame();
  theSurface.buildListener = nullptr;
  return true;
}

void MoveShotCamera(const ShotCamera& camera) {
  if (camera.heading) polarCam.heading = *camera.heading;
  if (camera.elevation) polarCam.elevation = *camera.elevation;
  if (camera.distance) polarCam.distance = *camera.distance;
}

VoxelSelection ShotSelection(const ShotOptions& options) {
  VoxelSelection selection;
  if (options.threshold) {
    selection = ThresholdAt(selection, *options.threshold);
  } else if (options.autoThreshold || appSettings.intensityScan) {
    selection = ThresholdAtOtsu(selection);
  }
  // Labels are hidden by the bytes that stand for them; one no voxel has
  // stands for none.
  if (!options.labels.empty()) {
    selection.hidden.set();
    for (const std::int64_t label : options.labels)
      if (const auto byte = labelBytes.ByteOf(label)) selection.hidden.reset(*byte);
  }
  for (const std::int64_t label : options.hideLabels)
    if (const auto byte = labelBytes.ByteOf(label)) selection.hidden.set(*byte);
  for (const ShotCut& cut : options.cuts) {
    std::uint32_t lo = 0, hi = 0;  // a second cut on an axis keeps what both keep
    KeptFileRange(selection, fileAxes, cut.axis, lo, hi);
    KeepFileRange(selection, fileAxes, cut.axis, std::max(lo, cut.lo), std::min(hi, cut.hi));
  }
  return selection;
}

bool TypeShotKeys(const std::string& keys) {
  for (char key : keys) {
    OnChar(mainWindow, static_cast<unsigned char>(key), 0);
    if (!platform::IsWindowRecord(mainWindow)) return false;
  }
  FinishRebuilds(rebuild);  // the picture is the one the keys asked for
  return true;
}

std::vector<unsigned char> ReadShotFrame(int width, int height) {
  return ReadBackBuffer(width, height);
}

std::vector<unsigned char> RenderShotFrame(int width, int height) {
  Display();
  return ReadShotFrame(width, height);
}

void CloseShotWindow() {
  if (platform::IsWindowRecord(mainWindow)) DestroyWindow(mainWindow);
}
