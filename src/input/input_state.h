// The recorded state of the keyboard and the mouse: the window procedure
// records events here, the camera controls read it once per idle update.
#pragma once

#include <cstdint>

struct HWND__;

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

// The letter keys the camera controls read (a letter's virtual-key code is
// its capital's ASCII code; the other keys are in platform/winapi.h).
constexpr int VK_A = 'A';
constexpr int VK_Z = 'Z';

// 256 key slots indexed by virtual-key code.
class Keyboard {
 public:
  Keyboard();
  ~Keyboard();
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;
  void ReleaseTable();

  // WM_KEYDOWN: 2 for an auto-repeat (bit 30 of lParam), which changes
  // nothing; else the key is down and 1 is returned.
  int KeyDown(unsigned vk, std::intptr_t lParam);
  // WM_KEYUP: the key is up; returns 0.
  int KeyUp(unsigned vk, std::intptr_t lParam);
  bool Down(unsigned vk) const { return table[vk & 0xFF].down != 0; }

 private:
  int Record(unsigned vk, std::uint8_t down);

 public:
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

  // WM_MOUSEMOVE: records the motion's delta (from the centre while the
  // cursor is captured, and puts it back there); 3 for the motion the
  // re-centring itself produced, which changes nothing, else 2.
  int MouseMove(std::uintptr_t wParam, std::intptr_t lParam);
  // A drag applies to this camera update: the left button is held and some
  // mouse event arrived since the last update.
  bool Dragging() const { return table[MOUSE_LEFT].value != 0 && changed; }
  // A button that moves the camera is held (the right one opens the help
  // box, which takes its release).
  bool CameraButtonDown() const { return table[MOUSE_LEFT].value || table[MOUSE_MIDDLE].value; }
  int LeftButtonDown();
  int LeftButtonUp();
  int MiddleButtonDown();
  int MiddleButtonUp();
  int RightButtonDown();
  int RightButtonUp();
  // Starts (on) or ends the capture: the cursor is held at the client
  // area's centre, so motions arrive as offsets from it.
  void CaptureCursor(bool on, HWND__* window);

  std::uint8_t changed;
  MouseChannel* table;
  std::int32_t lastInterval = 0;
  std::int32_t centreScreenX = 0, centreScreenY = 0;
  std::int32_t centreClientX = 0, centreClientY = 0;
  std::uint8_t cursorCaptured;
  // The cursor's motion while the middle button is held, summed until the
  // camera takes it (the channels keep only the last motion's delta).
  std::int32_t middleDragX = 0, middleDragY = 0;

 private:
  int Button(MouseChannelIndex channel, int value);
  // Whether a capture has set the centre fields: the cursor is only ever
  // put back to a centre that exists.
  bool centreSet_ = false;
};
