// GetOpenFileNameA on a Linux desktop: the desktop's own file chooser
// (zenity, or kdialog where zenity is missing) run as a child process, its
// answer checked against the record's buffers and flags as Win32 would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/winapi.h"

namespace platform {

struct FileFilter {
  std::string name;                   // "Cub files (*.CUB)"
  std::vector<std::string> patterns;  // "*.cub"
};

// The record's filter list: pairs of NUL-terminated texts ended by an extra
// NUL; the patterns of a pair are separated by ';'.
std::vector<FileFilter> ParseFilterList(LPCSTR filterList);

// Where the chooser opens: the proposed file (made absolute), else the
// initial directory, else the current directory.
std::string DialogStartPath(const OPENFILENAMEA& record);

// Command lines for the two choosers; the filter in force comes first.
std::vector<std::string> ZenityArguments(const OPENFILENAMEA& record, std::string_view startPath);
std::vector<std::string> KdialogArguments(const OPENFILENAMEA& record, std::string_view startPath);

// Fills the record from the chosen path: TRUE when the path and its file
// name fit their buffers and (with OFN_FILEMUSTEXIST) the file exists;
// otherwise FALSE, with one line on standard error saying why. A name
// without an extension that is no file takes the record's default extension
// when the file with it exists.
BOOL StoreChosenPath(OPENFILENAMEA& record, std::string_view path);

// Runs the chooser; FALSE on cancel, on a missing dialog program, without a
// display, or when StoreChosenPath refuses the answer.
BOOL RunOpenFileDialog(OPENFILENAMEA& record);

}  // namespace platform
