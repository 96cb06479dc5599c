// Headless backend: the open-file dialog.
// Supports: GetOpenFileNameA answered by a scripted path (or a cancel), with
//           the same buffer and existence checks as the real chooser; a copy
//           of the last record for tests.
// Not supported: any user interaction; without a script it cancels.
#include "platform/common/file_dialog.h"

#include <cstring>

#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

namespace platform::headless {
namespace {

std::optional<std::string>& ScriptedAnswer() {
  static std::optional<std::string> answer;
  return answer;
}

std::optional<OpenFileDialogCall>& LastCall() {
  static std::optional<OpenFileDialogCall> call;
  return call;
}

std::string CopyFilterList(LPCSTR list) {
  if (!list || !list[0]) return {};
  const char* end = list;
  while (end[0] || end[1]) ++end;  // stops at the NUL that ends the last text
  return std::string(list, static_cast<size_t>(end - list) + 1);
}

}  // namespace

void ScriptOpenFileDialog(std::optional<std::string> chosenPath) {
  ScriptedAnswer() = std::move(chosenPath);
}

std::optional<OpenFileDialogCall> LastOpenFileDialogCall() { return LastCall(); }

}  // namespace platform::headless

BOOL GetOpenFileNameA(OPENFILENAMEA* record) {
  using namespace platform::headless;
  if (!record) return FALSE;
  LastCall() = OpenFileDialogCall{
      *record, CopyFilterList(record->lpstrFilter), record->lpstrTitle ? record->lpstrTitle : "",
      record->lpstrDefExt ? record->lpstrDefExt : "", record->lpstrFile ? record->lpstrFile : ""};
  if (!ScriptedAnswer()) return FALSE;
  const std::string answer = *ScriptedAnswer();
  ScriptedAnswer().reset();
  return platform::StoreChosenPath(*record, answer);
}
