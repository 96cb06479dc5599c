// The single-character commands' dispatch, the help and the geometry-info
// boxes. What each key does is in the key table.
#pragma once

#include <string>

#include "platform/winapi.h"

// 1 when the character is bound to a command, else 0.
int OnChar(HWND window, WPARAM character, LPARAM lParam);
void ShowHelp(HWND window);
void ShowGeometryInfo();

// The help box's text: the classic lines with the added keys' lines.
const std::string& HelpText();
