// Reads an uncompressed 24-bit BMP file into memory, reporting every step
// on standard output. Kept apart from the texture upload so the parser can
// be exercised (and fuzzed) without a rendering context.
#pragma once

#include <cstdint>

struct BmpPixels {
  std::int32_t width = 0;
  std::int32_t height = 0;
  unsigned char* bytes = nullptr;  // width*height*3, blue-green-red, bottom row first; owned (free)
};

// Logs the input line and every failure line; on success returns true and
// fills `out` (the caller logs the texture line after the upload).
bool ReadBmpPixels(const char* path, BmpPixels& out);
