#include "screenshot.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::uint32_t Big32(const std::string& d, std::size_t at) {
  return (std::uint32_t(std::uint8_t(d[at])) << 24) |
         (std::uint32_t(std::uint8_t(d[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(d[at + 2])) << 8) | std::uint32_t(std::uint8_t(d[at + 3]));
}

int Shift(std::uint32_t mask) {
  int shift = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++shift;
  return shift;
}

}  // namespace

std::optional<Screenshot> CaptureWindow(const std::string& windowId) {
  const std::string command = "xwd -silent -id " + windowId;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string data;
  char block[65536];
  std::size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) data.append(block, n);
  if (pclose(pipe) != 0 || data.size() < 100) return std::nullopt;

  // XWD header: 25 big-endian words.
  const std::uint32_t headerSize = Big32(data, 0), width = Big32(data, 16),
                      height = Big32(data, 20);
  const std::uint32_t byteOrder = Big32(data, 28), bitsPerPixel = Big32(data, 44),
                      bytesPerLine = Big32(data, 48);
  const std::uint32_t redMask = Big32(data, 56), greenMask = Big32(data, 60),
                      blueMask = Big32(data, 64);
  const std::uint32_t colours = Big32(data, 76);
  const std::size_t bytesPerPixel = bitsPerPixel / 8;
  const std::size_t start = headerSize + std::size_t{colours} * 12;
  if (bytesPerPixel < 3 || data.size() < start + std::size_t{bytesPerLine} * height)
    return std::nullopt;

  Screenshot shot;
  shot.width = static_cast<int>(width);
  shot.height = static_cast<int>(height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t at = start + std::size_t{y} * bytesPerLine + x * bytesPerPixel;
      std::uint32_t value = 0;
      for (std::size_t b = 0; b < bytesPerPixel; ++b) {
        const std::uint32_t byte = std::uint8_t(data[at + b]);
        value |= byteOrder == 0 ? byte << (8 * b) : byte << (8 * (bytesPerPixel - 1 - b));
      }
      shot.pixels.push_back({static_cast<int>((value & redMask) >> Shift(redMask)),
                             static_cast<int>((value & greenMask) >> Shift(greenMask)),
                             static_cast<int>((value & blueMask) >> Shift(blueMask))});
    }
  }
  return shot;
}

int CountDifferences(const Screenshot& a, const Screenshot& b, int tolerance) {
  if (a.width != b.width || a.height != b.height) return a.width * a.height;
  int count = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      if (std::abs(a.pixels[i][c] - b.pixels[i][c]) > tolerance) {
        ++count;
        break;
      }
    }
  }
  return count;
}
