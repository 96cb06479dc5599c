#include "input/input_state.h"

#include <gtest/gtest.h>

#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

namespace headless = platform::headless;

namespace {

constexpr std::intptr_t kRepeat = std::intptr_t{1} << 30;

std::intptr_t At(int x, int y) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | (x & 0xFFFF));
}

class InputState : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ScriptTickCount(1000);
    headless::CursorState().warps.clear();
  }
  void TearDown() override { headless::ScriptTickCount(std::nullopt); }
};

TEST_F(InputState, ConstructionStampsEveryEntry) {
  Keyboard keyboard;
  Mouse mouse;
  EXPECT_EQ(keyboard.changed, 1);
  EXPECT_EQ(mouse.changed, 1);
  for (int i = 0; i < kKeySlots; ++i) {
    EXPECT_EQ(keyboard.table[i].time, 1000u);
    EXPECT_EQ(keyboard.table[i].down, 0);
  }
  for (int i = 0; i < kMouseChannels; ++i) {
    EXPECT_EQ(mouse.table[i].time, 1000);
    EXPECT_EQ(mouse.table[i].value, 0);
    EXPECT_EQ(mouse.table[i].delta, 0);
  }
  EXPECT_EQ(mouse.cursorCaptured, 0);
}

TEST_F(InputState, KeysRecordPressesAndIgnoreAutoRepeat) {
  Keyboard keyboard;
  keyboard.changed = 0;
  headless::ScriptTickCount(1250);
  EXPECT_EQ(keyboard.KeyDown('A', 0), 1);
  EXPECT_TRUE(keyboard.Down('A'));
  EXPECT_EQ(keyboard.table[VK_A].time, 1250u);
  EXPECT_EQ(keyboard.lastInterval, 250);
  EXPECT_EQ(keyboard.changed, 1);

  keyboard.changed = 0;
  headless::ScriptTickCount(1300);
  EXPECT_EQ(keyboard.KeyDown('A', kRepeat | 1), 2);  // auto-repeat: nothing changes
  EXPECT_EQ(keyboard.table[VK_A].time, 1250u);
  EXPECT_EQ(keyboard.lastInterval, 250);
  EXPECT_EQ(keyboard.changed, 0);

  EXPECT_EQ(keyboard.KeyUp('A', kRepeat), 0);  // lParam is not looked at
  EXPECT_FALSE(keyboard.Down('A'));
  EXPECT_EQ(keyboard.lastInterval, 50);
  EXPECT_EQ(keyboard.changed, 1);

  // Intervals are 32-bit differences, across the tick count's wrap.
  headless::ScriptTickCount(0xFFFFFFF0u);
  keyboard.KeyDown(VK_SHIFT, 0);
  headless::ScriptTickCount(0x10);
  keyboard.KeyUp(VK_SHIFT, 0);
  EXPECT_EQ(keyboard.lastInterval, 0x20);
}

TEST_F(InputState, MotionsReplaceTheirDeltas) {
  Mouse mouse;
  EXPECT_EQ(mouse.MouseMove(0, At(10, 20)), 2);
  EXPECT_EQ(mouse.MouseMove(0, At(13, 18)), 2);
  EXPECT_EQ(mouse.table[MOUSE_X].delta, 3);  // the second motion's, not the sum
  EXPECT_EQ(mouse.table[MOUSE_Y].delta, -2);
  EXPECT_EQ(mouse.table[MOUSE_X].value, 13);
  mouse.MouseMove(0, 0xFFFF);  // low word 0xFFFF: x = -1
  EXPECT_EQ(mouse.table[MOUSE_X].value, -1);
  EXPECT_EQ(mouse.table[MOUSE_Y].value, 0);
  EXPECT_EQ(mouse.table[MOUSE_Z].value, 0);
  EXPECT_EQ(mouse.table[MOUSE_Z].time, 1000);
  EXPECT_TRUE(headless::CursorState().warps.empty());
}

TEST_F(InputState, CaptureHoldsTheCursorAtTheCentre) {
  Mouse mouse;
  HWND window = headless::MakeTestWindow(513, 400, 100, 50);
  mouse.MouseMove(0, At(30, 40));
  mouse.MouseMove(0, At(35, 41));  // deltas 5, 1 before the press
  mouse.changed = 0;
  EXPECT_EQ(mouse.LeftButtonDown(), 1);
  EXPECT_EQ(mouse.table[MOUSE_LEFT].value, 1);
  EXPECT_EQ(mouse.changed, 1);
  EXPECT_EQ(mouse.table[MOUSE_X].delta, 5);  // the stale delta stays for the next update
  mouse.CaptureCursor(true, window);
  EXPECT_EQ(mouse.cursorCaptured, 1);
  EXPECT_EQ(mouse.centreClientX, 256);
  EXPECT_EQ(mouse.centreClientY, 200);
  EXPECT_EQ(mouse.centreScreenX, 356);
  EXPECT_EQ(mouse.centreScreenY, 250);
  EXPECT_EQ(mouse.table[MOUSE_X].value, 256);
  ASSERT_EQ(headless::CursorState().warps.size(), 1u);
  EXPECT_EQ(headless::CursorState().warps[0].x, 356);

  mouse.changed = 0;
  EXPECT_EQ(mouse.MouseMove(0, At(256, 200)), 3);  // the re-centring's own motion
  EXPECT_EQ(mouse.changed, 0);
  EXPECT_EQ(mouse.MouseMove(0, At(266, 190)), 2);
  EXPECT_EQ(mouse.table[MOUSE_X].delta, 10);
  EXPECT_EQ(mouse.table[MOUSE_Y].delta, -10);
  EXPECT_EQ(headless::CursorState().warps.size(), 2u);

  EXPECT_EQ(mouse.LeftButtonUp(), 0);
  mouse.CaptureCursor(false, window);
  EXPECT_EQ(mouse.cursorCaptured, 0);
  EXPECT_EQ(headless::CursorState().warps.size(), 3u);
  EXPECT_EQ(headless::CursorState().warps.back().y, 250);
}

TEST_F(InputState, AReleaseWithoutACaptureDoesNotWarpToTheCorner) {
  Mouse mouse;
  mouse.LeftButtonUp();
  mouse.CaptureCursor(false, nullptr);
  EXPECT_TRUE(headless::CursorState().warps.empty());
  EXPECT_EQ(mouse.MiddleButtonDown(), 1);
  EXPECT_EQ(mouse.RightButtonDown(), 1);
  EXPECT_EQ(mouse.RightButtonUp(), 0);
  EXPECT_EQ(mouse.table[MOUSE_MIDDLE].value, 1);
  EXPECT_EQ(mouse.table[MOUSE_RIGHT].value, 0);
}

TEST_F(InputState, ShowCursorCountsLikeWin32) {
  const int start = ShowCursor(TRUE) - 1;
  EXPECT_EQ(ShowCursor(FALSE), start);
  EXPECT_EQ(ShowCursor(FALSE), start - 1);
  EXPECT_EQ(headless::CursorState().visible, start - 1 >= 0);
  EXPECT_EQ(ShowCursor(TRUE), start);
}

}  // namespace
