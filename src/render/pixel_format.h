// The window's pixel format (OpenGL, RGBA, double-buffered) and, on a
// display that needs one, an RGB palette.
#pragma once

#include "platform/winapi.h"

// Requests and sets the format; without one the program ends (exit code 1)
// after an "Error" box.
void SetupPixelFormat(HDC deviceContext);
// Creates, selects and realizes a palette when the format in use needs one;
// the caller owns it (none when the format needs none).
HPALETTE SetupPalette(HDC deviceContext);

// The palette entry of index i for a format with the given channel bits
// and shifts: each channel's bits scaled to 0..255.
PALETTEENTRY PaletteEntryFor(unsigned index, const PIXELFORMATDESCRIPTOR& format);
