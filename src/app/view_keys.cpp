#include "app/view_keys.h"

#include <algorithm>

#include "app/app_state.h"

namespace {

constexpr int kCutPlanes = 6;
constexpr char kAxisNames[] = "xyz";

}  // namespace

void ChooseNextCutPlane() { appSettings.cutPlane = (appSettings.cutPlane + 1) % kCutPlanes; }

void MoveCutPlane(bool inwards) {
  if (!theVolume) return;
  if (appSettings.cutPlane < 0) appSettings.cutPlane = 0;
  const int axis = appSettings.cutPlane / 2;
  const bool high = appSettings.cutPlane % 2 != 0;
  SurfaceRequest request = WantedSurface(rebuild);
  std::uint32_t lo = 0, hi = 0;
  KeptFileRange(request.selection, fileAxes, axis, lo, hi);
  if (lo > hi) return;
  const std::uint32_t last = fileAxes.fileDims[axis] - 1;
  if (!high) {
    lo = inwards ? std::min(lo + 1, hi) : (lo > 0 ? lo - 1 : 0);
  } else {
    hi = inwards ? std::max(hi - (hi > 0 ? 1 : 0), lo) : std::min(hi + 1, last);
  }
  KeepFileRange(request.selection, fileAxes, axis, lo, hi);
  RequestSurface(rebuild, request);
}

void RemoveCuts() {
  appSettings.cutPlane = -1;
  SurfaceRequest request = WantedSurface(rebuild);
  const VoxelSelection none;
  std::copy_n(none.first, 3, request.selection.first);
  std::copy_n(none.last, 3, request.selection.last);
  RequestSurface(rebuild, request);
}

std::string CutField() {
  if (appSettings.cutPlane < 0 || !theVolume) return {};
  const int axis = appSettings.cutPlane / 2;
  std::uint32_t lo = 0, hi = 0;
  KeptFileRange(WantedSurface(rebuild).selection, fileAxes, axis, lo, hi);
  std::string field = "cut ";
  field += kAxisNames[axis];
  field += appSettings.cutPlane % 2 ? "<=" + std::to_string(hi) : ">=" + std::to_string(lo);
  return field;
}

namespace {

void RequestHidden(const std::bitset<256>& hidden) {
  SurfaceRequest request = WantedSurface(rebuild);
  request.selection.hidden = hidden;
  RequestSurface(rebuild, request);
}

}  // namespace

void HideLabelUnderCursor() {
  const auto value = ValueUnderCursor(cursorPick);
  if (!value) return;
  std::bitset<256> hidden = WantedSurface(rebuild).selection.hidden;
  RequestHidden(hidden.set(*value));
}

void ShowOnlyLabelUnderCursor() {
  const auto value = ValueUnderCursor(cursorPick);
  if (!value) return;
  RequestHidden(std::bitset<256>().set().reset(*value));
}

void ShowEveryLabel() { RequestHidden({}); }

std::string LabelField() {
  std::bitset<256> hidden = WantedSurface(rebuild).selection.hidden;
  hidden.reset(0);  // empty either way
  if (hidden.none()) return {};
  if (hidden.count() == 254) {
    for (int v = 1; v < 256; ++v)
      if (!hidden[v])
        return "only " + std::to_string(labelBytes.Label(static_cast<std::uint8_t>(v)));
  }
  return std::to_string(hidden.count()) + " hidden";
}
