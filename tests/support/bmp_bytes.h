// Builds BMP files for texture tests: a 54-byte header with every field
// settable, then pixel bytes as given.
#pragma once

#include <cstdint>
#include <vector>

struct BmpFields {
  std::uint16_t bfType = 0x4D42;
  std::uint32_t bfOffBits = 54;
  std::int32_t width = 4;
  std::int32_t height = 4;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
};

inline void PutLE(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The header, then `gap` filler bytes, then the pixel bytes.
inline std::vector<std::uint8_t> MakeBmp(const BmpFields& f,
                                         const std::vector<std::uint8_t>& pixels,
                                         std::size_t gap = 0) {
  std::vector<std::uint8_t> out;
  PutLE(out, f.bfType, 2);
  PutLE(out, static_cast<std::uint32_t>(54 + gap + pixels.size()), 4);
  PutLE(out, 0, 4);
  PutLE(out, f.bfOffBits, 4);
  PutLE(out, 40, 4);
  PutLE(out, static_cast<std::uint32_t>(f.width), 4);
  PutLE(out, static_cast<std::uint32_t>(f.height), 4);
  PutLE(out, f.planes, 2);
  PutLE(out, f.bitCount, 2);
  PutLE(out, f.compression, 4);
  for (int i = 0; i < 5; ++i) PutLE(out, 0, 4);
  out.insert(out.end(), gap, 0xEE);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// Rows of width*3 bytes padded to a multiple of 4, pixel (x, y) holding
// blue x, green y, red 7: easy to check after reading.
inline std::vector<std::uint8_t> PaddedPixels(int width, int height) {
  std::vector<std::uint8_t> out;
  const int padded = (width * 3 + 3) / 4 * 4;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out.push_back(static_cast<std::uint8_t>(x));
      out.push_back(static_cast<std::uint8_t>(y));
      out.push_back(7);
    }
    out.insert(out.end(), static_cast<std::size_t>(padded - width * 3), 0xAB);
  }
  return out;
}
