// Headless backend: message boxes.
// Supports: MessageBoxA with any flags; the line on standard error; a journal
//           of every box (owner, text, caption, flags) for tests.
// Not supported: showing anything; every box returns IDOK at once.
#include <vector>

#include "platform/common/message_box_echo.h"
#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

namespace platform::headless {
namespace {

std::vector<MessageBoxEntry>& Journal() {
  static std::vector<MessageBoxEntry> journal;
  return journal;
}

bool& EchoOn() {
  static bool on = true;
  return on;
}

}  // namespace

const std::vector<MessageBoxEntry>& MessageBoxJournal() { return Journal(); }
void ClearMessageBoxJournal() { Journal().clear(); }
void SetMessageBoxEcho(bool on) { EchoOn() = on; }

}  // namespace platform::headless

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  using namespace platform::headless;
  if (EchoOn()) platform::EchoMessageBox(text, caption);
  Journal().push_back({owner, text ? text : "", caption ? caption : "", type});
  return IDOK;
}
