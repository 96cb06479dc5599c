// What the values of a volume are: their range, and a histogram of the
// values other than 0 from which Otsu's method picks the threshold that
// best splits them in two (solid: value at least the threshold). Used by
// cubconvert's report and its --threshold auto.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

struct ValueRange {
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();
  double lowestNonZero = std::numeric_limits<double>::infinity();
  double highestNonZero = -std::numeric_limits<double>::infinity();
  std::uint64_t nonZero = 0;

  // Not-a-number is left out.
  void Note(double value, std::uint64_t times = 1);
  bool Any() const { return lowest <= highest; }
};

// Equal bins from `low` to `high` (values beyond fall in the end bins).
class ValueHistogram {
 public:
  ValueHistogram(double low, double high, int bins);
  void Add(double value, std::uint64_t times = 1);
  // The threshold that maximises the variance between the values below
  // and those at or above it: a bin's low edge; `low` with one bin.
  double OtsuThreshold() const;
  // "  LO to HI  COUNT  ####" per bin, the bars up to `width` long.
  std::string Text(int width) const;

  double low() const { return low_; }
  double BinLow(int bin) const;
  const std::vector<std::uint64_t>& counts() const { return counts_; }

 private:
  double low_, high_, width_;
  std::vector<std::uint64_t> counts_;
};
