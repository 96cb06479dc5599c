#include "image_compare.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>

std::optional<PngImage> ReadPng(const std::string& path) {
  PngImage image;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
  if (!data) return std::nullopt;
  image.rgb.assign(data, data + static_cast<std::size_t>(image.width) * image.height * 3);
  stbi_image_free(data);
  return image;
}

std::vector<std::uint8_t> Covered(const RgbImage& rgb) {
  std::vector<std::uint8_t> covered(rgb.size() / 3);
  for (std::size_t i = 0; i < covered.size(); ++i)
    covered[i] = std::max({rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]}) > kBlackLevel;
  return covered;
}

CoverageMismatch CompareCoverage(const std::vector<std::uint8_t>& mask, const RgbImage& rgb) {
  const std::vector<std::uint8_t> shown = Covered(rgb);
  CoverageMismatch m;
  for (std::size_t i = 0; i < mask.size() && i < shown.size(); ++i) {
    m.expected += mask[i];
    m.missing += mask[i] && !shown[i];
    m.extra += !mask[i] && shown[i];
  }
  return m;
}

std::size_t CountMaskDifferences(const std::vector<std::uint8_t>& a,
                                 const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  std::size_t count = 0;
  for (std::size_t i = 0; i < a.size(); ++i) count += (a[i] != 0) != (b[i] != 0);
  return count;
}

std::size_t CountDifferentPixels(const RgbImage& a, const RgbImage& b, int threshold) {
  if (a.size() != b.size()) return std::max(a.size(), b.size()) / 3;
  std::size_t count = 0;
  for (std::size_t i = 0; i + 2 < a.size(); i += 3) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(a[i + c] - b[i + c]));
    count += largest > threshold;
  }
  return count;
}
