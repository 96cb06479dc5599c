#include "voxel/value_histogram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void ValueRange::Note(double value, std::uint64_t times) {
  if (std::isnan(value) || times == 0) return;
  lowest = std::min(lowest, value);
  highest = std::max(highest, value);
  if (value == 0) return;
  nonZero += times;
  lowestNonZero = std::min(lowestNonZero, value);
  highestNonZero = std::max(highestNonZero, value);
}

ValueHistogram::ValueHistogram(double low, double high, int bins)
    : low_(low), high_(high), counts_(static_cast<std::size_t>(std::max(bins, 1)), 0) {
  const double span = high - low;
  width_ = std::isfinite(span) && span > 0 ? span / static_cast<double>(counts_.size()) : 0;
}

void ValueHistogram::Add(double value, std::uint64_t times) {
  if (std::isnan(value)) return;
  std::size_t bin = 0;
  if (width_ > 0) {
    const double at = std::floor((value - low_) / width_);
    bin = at <= 0 ? 0
                  : static_cast<std::size_t>(std::min(at, static_cast<double>(counts_.size() - 1)));
  }
  counts_[bin] += times;
}

double ValueHistogram::BinLow(int bin) const { return low_ + bin * width_; }

double ValueHistogram::OtsuThreshold() const {
  // Bin centres stand for their values.
  double total = 0, sum = 0;
  for (std::size_t i = 0; i < counts_.size(); ++i) {
    total += static_cast<double>(counts_[i]);
    sum += static_cast<double>(counts_[i]) * (static_cast<double>(i) + 0.5);
  }
  double below = 0, belowSum = 0, best = -1;
  std::size_t split = 0;
  for (std::size_t k = 1; k < counts_.size(); ++k) {
    below += static_cast<double>(counts_[k - 1]);
    belowSum += static_cast<double>(counts_[k - 1]) * (static_cast<double>(k - 1) + 0.5);
    const double above = total - below;
    if (below == 0 || above == 0) continue;
    const double difference = belowSum / below - (sum - belowSum) / above;
    const double between = below * above * difference * difference;
    if (between > best) best = between, split = k;
  }
  return BinLow(static_cast<int>(split));
}

std::string ValueHistogram::Text(int width) const {
  const std::uint64_t most = *std::max_element(counts_.begin(), counts_.end());
  std::string text;
  for (std::size_t i = 0; i < counts_.size(); ++i) {
    const int bar =
        most ? static_cast<int>(std::lround(static_cast<double>(counts_[i]) * width / most)) : 0;
    char line[96];
    std::snprintf(line, sizeof line, "  %11.6g to %-11.6g %12llu  ", BinLow(static_cast<int>(i)),
                  i + 1 == counts_.size() ? high_ : BinLow(static_cast<int>(i + 1)),
                  static_cast<unsigned long long>(counts_[i]));
    text.append(line).append(static_cast<std::size_t>(bar), '#').append("\n");
  }
  return text;
}
