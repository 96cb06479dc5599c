#include "input/input_state.h"

#include <cstdlib>

#include "platform/winapi.h"

namespace {

// The tables are allocated during static initialisation; without them no
// input could be recorded, so the program ends as on any allocation failure.
template <typename T>
T* AllocateTable(int entries, const char* text) {
  auto* table = static_cast<T*>(std::calloc(static_cast<std::size_t>(entries), sizeof(T)));
  if (!table) {
    MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR);
    std::exit(1);
  }
  return table;
}

}  // namespace

Keyboard::Keyboard()
    : changed(1),
      table(AllocateTable<KeySlot>(kKeySlots, "could not allocate memory for the keyboard state")) {
  const DWORD now = GetTickCount();
  for (int i = 0; i < kKeySlots; ++i) table[i] = {now, 0};
}

Keyboard::~Keyboard() { ReleaseTable(); }

void Keyboard::ReleaseTable() {
  std::free(table);
  table = nullptr;
}

Mouse::Mouse()
    : changed(1),
      table(AllocateTable<MouseChannel>(kMouseChannels,
                                        "could not allocate memory for the mouse state")),
      cursorCaptured(0) {
  const auto now = static_cast<std::int32_t>(GetTickCount());
  for (int i = 0; i < kMouseChannels; ++i) table[i] = {now, 0, 0};
}

Mouse::~Mouse() { ReleaseTable(); }

void Mouse::ReleaseTable() {
  std::free(table);
  table = nullptr;
}

namespace {

// Bit 30 of a key message's lParam: the key was already down (auto-repeat).
constexpr std::intptr_t kPreviousKeyState = std::intptr_t{1} << 30;

}  // namespace

int Keyboard::Record(unsigned vk, std::uint8_t down) {
  KeySlot& slot = table[vk & 0xFF];
  slot.down = down;
  const DWORD now = GetTickCount();
  lastInterval = static_cast<std::int32_t>(now - slot.time);
  slot.time = now;
  changed = 1;
  return slot.down;
}

int Keyboard::KeyDown(unsigned vk, std::intptr_t lParam) {
  if (lParam & kPreviousKeyState) return 2;
  return Record(vk, 1);
}

int Keyboard::KeyUp(unsigned vk, std::intptr_t /*lParam*/) { return Record(vk, 0); }

int Mouse::MouseMove(std::uintptr_t /*wParam*/, std::intptr_t lParam) {
  // Client coordinates as signed 16-bit numbers: left of or above the
  // client area they are negative.
  const auto x = static_cast<std::int16_t>(lParam & 0xFFFF);
  const auto y = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
  MouseChannel& cx = table[MOUSE_X];
  MouseChannel& cy = table[MOUSE_Y];
  if (cursorCaptured) {
    if (x == centreClientX && y == centreClientY) return 3;
    cx.delta = x - centreClientX;
    cy.delta = y - centreClientY;
    SetCursorPos(centreScreenX, centreScreenY);
  } else {
    cx.delta = x - cx.value;
    cy.delta = y - cy.value;
    if (table[MOUSE_MIDDLE].value) middleDragX += cx.delta, middleDragY += cy.delta;
  }
  cx.value = x;
  cy.value = y;
  const auto now = static_cast<std::int32_t>(GetTickCount());
  lastInterval = now - cx.time;
  cx.time = now;
  cy.time = now;
  changed = 1;
  return 2;
}

int Mouse::Button(MouseChannelIndex channel, int value) {
  MouseChannel& c = table[channel];
  c.value = value;
  const auto now = static_cast<std::int32_t>(GetTickCount());
  lastInterval = now - c.time;
  c.time = now;
  changed = 1;
  return value;
}

int Mouse::LeftButtonDown() { return Button(MOUSE_LEFT, 1); }
int Mouse::LeftButtonUp() { return Button(MOUSE_LEFT, 0); }
int Mouse::MiddleButtonDown() { return Button(MOUSE_MIDDLE, 1); }
int Mouse::MiddleButtonUp() { return Button(MOUSE_MIDDLE, 0); }
int Mouse::RightButtonDown() { return Button(MOUSE_RIGHT, 1); }
int Mouse::RightButtonUp() { return Button(MOUSE_RIGHT, 0); }

void Mouse::CaptureCursor(bool on, HWND__* window) {
  cursorCaptured = on ? 1 : 0;
  if (on) {
    RECT client{};
    GetClientRect(window, &client);
    centreClientX = client.right / 2;
    centreClientY = client.bottom / 2;
    POINT centre{centreClientX, centreClientY};
    ClientToScreen(window, &centre);
    centreScreenX = centre.x;
    centreScreenY = centre.y;
    centreSet_ = true;
  }
  table[MOUSE_X].value = centreClientX;
  table[MOUSE_Y].value = centreClientY;
  changed = 1;
  // A release without any capture before it has no centre to return to
  // (the fields still hold 0, 0: the corner of the screen).
  if (centreSet_) SetCursorPos(centreScreenX, centreScreenY);
}
