// F12's screenshot: the frame as drawn, saved as a PNG.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/winapi.h"

// Draws a frame and writes it to NAME-N.png in the current directory (NAME
// the volume's file name without its extension, N the first number with no
// such file yet), then prints the file's full path on standard output. A
// failure is reported in a message box over the window.
void SaveFrame(HWND window);

// Writes a picture (RGB rows from the top) as a PNG to `file`, opened as
// `name`, and closes it. Returns "" on success, else the reason; a regular
// file left half-written is removed (a device or pipe is left alone).
std::string FinishPngFile(std::FILE* file, const std::string& name, int width, int height,
                          const std::vector<unsigned char>& rgb);

// The same for the file at `name`, created or replaced.
std::string WritePngFile(const std::string& name, int width, int height,
                         const std::vector<unsigned char>& rgb);
