// What tests and offscreen tools see of the headless backend beyond the
// Win32 calls themselves: the journal of message boxes and the scripted
// answer of the open-file dialog.
#pragma once

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

}  // namespace platform::headless
