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
    : changed(1), table(AllocateTable<KeySlot>(kKeySlots, "could not allocate memory for the keyboard state")) {
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
      table(AllocateTable<MouseChannel>(kMouseChannels, "could not allocate memory for the mouse state")),
      cursorCaptured(0) {
  const auto now = static_cast<std::int32_t>(GetTickCount());
  for (int i = 0; i < kMouseChannels; ++i) table[i] = {now, 0, 0};
}

Mouse::~Mouse() { ReleaseTable(); }

void Mouse::ReleaseTable() {
  std::free(table);
  table = nullptr;
}
