// SDL backend: the open-file dialog.
// Supports: GetOpenFileNameA through the desktop's chooser (zenity, else
//           kdialog), title, filters, proposed file or start folder,
//           OFN_FILEMUSTEXIST, path and file-name buffers.
// Not supported: an owner window, hooks, templates, multiple selection.
#include "platform/common/file_dialog.h"

#include "platform/winapi.h"

BOOL GetOpenFileNameA(OPENFILENAMEA* record) {
  return record ? platform::RunOpenFileDialog(*record) : FALSE;
}
