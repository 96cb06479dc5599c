// Otsu's threshold and the values' range, as cubconvert reports them.
#include "voxel/value_histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

struct TwoLevels {
  double dark, bright, spread;
  int darkCount, brightCount;
};

class OtsuThreshold : public ::testing::TestWithParam<TwoLevels> {};

// Two clusters of values around two levels, of unequal sizes: the
// threshold lands between the clusters.
TEST_P(OtsuThreshold, LandsBetweenTwoLevels) {
  const TwoLevels& p = GetParam();
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, p.spread);
  ValueRange range;
  std::vector<double> values;
  for (int i = 0; i < p.darkCount; ++i) values.push_back(p.dark + noise(random));
  for (int i = 0; i < p.brightCount; ++i) values.push_back(p.bright + noise(random));
  values.push_back(std::nan(""));  // left out
  for (double v : values) range.Note(v);
  ValueHistogram histogram(range.lowestNonZero, range.highestNonZero, 256);
  for (double v : values) histogram.Add(v);
  const double threshold = histogram.OtsuThreshold();
  EXPECT_GT(threshold, p.dark + 3 * p.spread);
  EXPECT_LT(threshold, p.bright - 3 * p.spread);
  EXPECT_EQ(range.nonZero, static_cast<std::uint64_t>(p.darkCount + p.brightCount));
}

INSTANTIATE_TEST_SUITE_P(Levels, OtsuThreshold,
                         ::testing::Values(TwoLevels{100, 900, 20, 5000, 500},
                                           TwoLevels{-1000, 40, 30, 800, 8000},
                                           TwoLevels{0.2, 0.7, 0.02, 3000, 3000}));

}  // namespace
