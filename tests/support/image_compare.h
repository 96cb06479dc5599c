// Reading rendered frames (RGB, rows from the top) from PNG files and
// comparing them with a coverage mask or with each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using RgbImage = std::vector<unsigned char>;

struct PngImage {
  int width = 0, height = 0;
  RgbImage rgb;  // three bytes per pixel, whatever channels the file has
};

// The picture in a PNG file, or none when it cannot be read.
std::optional<PngImage> ReadPng(const std::string& path);

// A pixel shows something when any channel is above this: the darkest
// face the viewer draws (ambient light on the darkest texel) is far above.
constexpr int kBlackLevel = 8;

// 1 where the frame shows something, per pixel.
std::vector<std::uint8_t> Covered(const RgbImage& rgb);

struct CoverageMismatch {
  std::size_t expected = 0;  // pixels the mask covers
  std::size_t missing = 0;   // covered by the mask, black in the frame
  std::size_t extra = 0;     // black in the mask, shown in the frame
  double MissingShare() const { return expected ? static_cast<double>(missing) / expected : 0; }
  double ExtraShare() const { return expected ? static_cast<double>(extra) / expected : 0; }
};
CoverageMismatch CompareCoverage(const std::vector<std::uint8_t>& mask, const RgbImage& rgb);

// Pixels covered in one mask and not in the other.
std::size_t CountMaskDifferences(const std::vector<std::uint8_t>& a,
                                 const std::vector<std::uint8_t>& b);

// Pixels whose largest channel difference exceeds `threshold`.
std::size_t CountDifferentPixels(const RgbImage& a, const RgbImage& b, int threshold);
