// A window's pixels, read from the X server with xwd.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

struct Screenshot {
  int width = 0, height = 0;
  std::vector<std::array<int, 3>> pixels;  // RGB, top row first
  const std::array<int, 3>& At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * width + x)];
  }
};

std::optional<Screenshot> CaptureWindow(const std::string& windowId);

// Pixels that differ by more than `tolerance` in any channel.
int CountDifferences(const Screenshot& a, const Screenshot& b, int tolerance = 8);
