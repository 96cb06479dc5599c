// What tests and offscreen tools see of the headless backend beyond the
// Win32 calls themselves: the journal of message boxes and the scripted
// answer of the open-file dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/winapi.h"

namespace platform::headless {

struct MessageBoxEntry {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;
};

// Every MessageBoxA call since the last clear, in order.
const std::vector<MessageBoxEntry>& MessageBoxJournal();
void ClearMessageBoxJournal();

// Whether MessageBoxA also writes its line to standard error (on by
// default; the fuzz targets switch it off to keep their output readable).
void SetMessageBoxEcho(bool on);

// The next GetOpenFileNameA answers with this path (checked against the
// record like a real chooser's answer), or cancels when none is set.
void ScriptOpenFileDialog(std::optional<std::string> chosenPath);

// A copy of the record (and of the texts it pointed to) from the last
// GetOpenFileNameA call.
struct OpenFileDialogCall {
  OPENFILENAMEA record;
  std::string filterList;  // the whole list, NULs included, up to the final NUL
  std::string title;
  std::string defaultExtension;
  std::string proposedFile;
};
std::optional<OpenFileDialogCall> LastOpenFileDialogCall();

// Clocks: the performance counter's frequency (none: the real 10 MHz), the
// next counter samples in order (then the real clock again), and a fixed
// tick count (none: the real one).
void ScriptPerformanceFrequency(std::optional<std::int64_t> countsPerSecond);
void ScriptPerformanceCounter(std::int64_t sample);
void ScriptTickCount(std::optional<DWORD> milliseconds);

// Drawing surface: every SwapBuffers and TextOutA call.
struct TextOutEntry {
  HDC deviceContext;
  int x, y;
  std::string text;
};
const std::vector<TextOutEntry>& TextOutJournal();
void ClearTextOutJournal();
int SwapCount();

// Cursor: every SetCursorPos (screen coordinates) and whether the pointer
// is shown; ShowCursor's count is the platform's own.
struct HeadlessCursor {
  std::vector<POINT> warps;
  bool visible = true;
};
HeadlessCursor& CursorState();

// A window record with the given client size and screen position, for
// tests of the cursor services (no message goes to it).
HWND MakeTestWindow(int clientWidth, int clientHeight, int clientScreenX, int clientScreenY);

// Messages for the first window, handed out one at a time by PeekMessageA
// whenever the queue is empty (a scripted user).
struct ScriptedMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
void ScriptMessages(const std::vector<ScriptedMessage>& messages);
std::size_t ScriptedMessagesLeft();

// The device context whose SwapBuffers finishes the frame of the current
// offscreen context; handed out by the headless window layer.
HDC OffscreenDeviceContext();

}  // namespace platform::headless
