// The single-character commands, the window title, the help and the
// geometry-info boxes.
#pragma once

#include "platform/winapi.h"

// 1 when the character is bound to a command, else 0.
int OnChar(HWND window, WPARAM character, LPARAM lParam);
void UpdateWindowTitle(HWND window);
void ShowHelp(HWND window);
void ShowGeometryInfo();

extern const char kHelpText[];
