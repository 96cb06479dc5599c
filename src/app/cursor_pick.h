// The voxel under the cursor: its value and where it is (the file's own
// indices) in the title, picked from the last frame's transforms by a ray
// through the voxel grid, so that no frame is drawn for it and a resting
// loop stays at rest. The title follows the cursor at most 20 times a
// second.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/winapi.h"

struct CursorPick {
  int x = -1, y = -1;    // client pixels; -1: not over the picture
  bool pending = false;  // moved since the title was last set
  std::chrono::steady_clock::time_point last;
  std::string field;  // "17 at 40,52,30", or empty over nothing
};

constexpr DWORD kNoPickDue = 0xFFFFFFFF;

// WM_MOUSEMOVE with the cursor free (not a drag): where it is now.
void NoteCursor(CursorPick& pick, int x, int y);
// WM_MOUSELEAVE: over nothing; the title drops the field.
void ForgetCursor(CursorPick& pick);
// How long until the pending pick is due: 0 now, kNoPickDue with none.
DWORD MillisecondsToPick(const CursorPick& pick);
// Picks at the noted place and sets the title.
void PickNow(CursorPick& pick);

// The shown voxel under client pixel (x, y) of the last frame, in the
// drawn volume's indices.
std::optional<std::array<std::uint32_t, 3>> VoxelUnderPixel(int x, int y);
// Its value, or none.
std::optional<std::uint8_t> ValueUnderCursor(const CursorPick& pick);
