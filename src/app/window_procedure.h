// The window procedure of the viewer's window class.
#pragma once

#include "platform/winapi.h"

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
