// The recorded state of the keyboard and the mouse: the window procedure
// records events here, the camera controls read it once per idle update.
#pragma once

#include <cstdint>

struct KeySlot {
  std::uint32_t time;  // GetTickCount of the last press or release
  std::uint8_t down;   // 1 while the key is held
};

struct MouseChannel {
  std::int32_t time;
  std::int32_t value;
  std::int32_t delta;
};

enum MouseChannelIndex { MOUSE_X = 0, MOUSE_Y, MOUSE_Z, MOUSE_LEFT, MOUSE_MIDDLE, MOUSE_RIGHT };
constexpr int kKeySlots = 256;
constexpr int kMouseChannels = 6;

// 256 key slots indexed by virtual-key code.
class Keyboard {
 public:
  Keyboard();
  ~Keyboard();
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;
  void ReleaseTable();

  std::uint8_t changed;
  KeySlot* table;
  std::int32_t lastInterval = 0;
};

// Channels x, y, z, left, middle, right, and the cursor capture.
class Mouse {
 public:
  Mouse();
  ~Mouse();
  Mouse(const Mouse&) = delete;
  Mouse& operator=(const Mouse&) = delete;
  void ReleaseTable();

  std::uint8_t changed;
  MouseChannel* table;
  std::int32_t lastInterval = 0;
  std::int32_t centreScreenX = 0, centreScreenY = 0;
  std::int32_t centreClientX = 0, centreClientY = 0;
  std::uint8_t cursorCaptured;
};
