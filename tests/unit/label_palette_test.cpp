#include "surface/label_palette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

int Distance(const std::uint8_t (&a)[3], const std::uint8_t (&b)[3]) {
  int sum = 0;
  for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]);
  return sum;
}

TEST(LabelPalette, BuiltInColoursAreWhiteForOneAndDistinctForTheRest) {
  const LabelPalette p = BuiltInPalette();
  EXPECT_EQ(Distance(p.rgb[1], {255, 255, 255}), 0);
  int closest = 3 * 255, closestNeighbours = 3 * 255;
  for (int a = 1; a < 256; ++a) {
    for (int b = a + 1; b < 256; ++b) closest = std::min(closest, Distance(p.rgb[a], p.rgb[b]));
    if (a < 255) closestNeighbours = std::min(closestNeighbours, Distance(p.rgb[a], p.rgb[a + 1]));
  }
  EXPECT_GE(closest, 12) << "no two values share a colour";
  EXPECT_GE(closestNeighbours, 150) << "neighbouring labels differ clearly";
}

TEST(LabelPalette, ColourTableLinesAreReadAndBadOnesReportedByNumber) {
  LabelPalette p = BuiltInPalette();
  std::vector<std::pair<int, std::string>> reports;
  const std::string text =
      "# value name r g b a\n"
      "\n"
      "2   Left-Cortex  10 20 30 0\n"
      "3\tRight\t40 50 60   # a comment after the colour\n"
      "256 TooBig 1 2 3\n"
      "4 Short 1 2\n"
      "5 Long 1 2 3 4 5\n"
      "6 Negative -1 2 3\n"
      "7 Fraction 1.5 2 3\n"
      "x Named 1 2 3\n"
      "8 AlphaTooBig 1 2 3 256\n"
      "0 Unknown 7 8 9";  // no line break at the end
  const int read = ParsePalette(text, p, [&](int line, const std::string& t) {
    reports.push_back({line, t});
  });
  EXPECT_EQ(read, 3);
  EXPECT_EQ(Distance(p.rgb[2], {10, 20, 30}), 0);
  EXPECT_EQ(Distance(p.rgb[3], {40, 50, 60}), 0);
  EXPECT_EQ(Distance(p.rgb[0], {7, 8, 9}), 0);
  EXPECT_EQ(Distance(p.rgb[4], BuiltInPalette().rgb[4]), 0) << "a bad line changes nothing";
  std::vector<int> lines;
  for (const auto& r : reports) lines.push_back(r.first);
  EXPECT_EQ(lines, (std::vector<int>{5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(reports.front().second, "256 TooBig 1 2 3");
}

}  // namespace
