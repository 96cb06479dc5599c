#include "voxel/source_values.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace {

SourceValues* keptValues = nullptr;

// The bins Otsu's method splits, as cubconvert counts them.
constexpr int kOtsuBins = 256;

template <typename T>
double Real(const unsigned char* samples, std::uint64_t index) {
  T value;
  std::memcpy(&value, samples + index * sizeof(T), sizeof value);
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(value)) return 0;
  }
  return static_cast<double>(value);
}

// Calls visit<T>() with the stored type.
template <typename F>
void WithType(SampleType type, F&& visit) {
  switch (type) {
    case SampleType::kUint8:
      return visit(std::uint8_t{});
    case SampleType::kInt8:
      return visit(std::int8_t{});
    case SampleType::kUint16:
      return visit(std::uint16_t{});
    case SampleType::kInt16:
      return visit(std::int16_t{});
    case SampleType::kUint32:
      return visit(std::uint32_t{});
    case SampleType::kInt32:
      return visit(std::int32_t{});
    case SampleType::kUint64:
      return visit(std::uint64_t{});
    case SampleType::kInt64:
      return visit(std::int64_t{});
    case SampleType::kFloat32:
      return visit(float{});
    case SampleType::kFloat64:
      return visit(double{});
  }
}

}  // namespace

bool SourceValues::Prepare(const ScanLayout& layout, const std::uint32_t (&dims)[3]) {
  samples_.reset();
  const std::uint64_t count = std::uint64_t{dims[0]} * dims[1] * dims[2];
  // Not touched till read: pages a short file never fills cost nothing.
  samples_.reset(
      static_cast<unsigned char*>(std::malloc(count ? count * SampleWidth(layout.type) : 1)));
  type_ = layout.type;
  slope_ = layout.slope;
  intercept_ = layout.intercept;
  std::copy(dims, dims + 3, dims_);
  return samples_ != nullptr;
}

std::uint64_t SourceValues::StoredRow(std::uint32_t y, std::uint32_t z) const {
  return (std::uint64_t{dims_[2] - 1 - z} * dims_[1] + y) * dims_[0];
}

double SourceValues::At(std::uint32_t x, std::uint32_t y, std::uint32_t z) const {
  double value = 0;
  WithType(type_, [&](auto t) { value = Real<decltype(t)>(samples_.get(), StoredRow(y, z) + x); });
  return value * slope_ + intercept_;
}

void SourceValues::ThresholdRow(std::uint32_t y, std::uint32_t z, std::uint32_t first,
                                std::uint32_t last, double threshold, const unsigned char* bytes,
                                unsigned char* out) const {
  const std::uint64_t row = StoredRow(y, z);
  WithType(type_, [&](auto t) {
    using T = decltype(t);
    for (std::uint32_t x = first; x <= last; ++x) {
      const double value = Real<T>(samples_.get(), row + x) * slope_ + intercept_;
      out[x] = value >= threshold ? (bytes[x] ? bytes[x] : 1) : 0;
    }
  });
}

template <typename F>
void SourceValues::ForEach(F&& visit) const {
  const std::uint64_t count = std::uint64_t{dims_[0]} * dims_[1] * dims_[2];
  WithType(type_, [&](auto t) {
    using T = decltype(t);
    for (std::uint64_t i = 0; i < count; ++i)
      visit(Real<T>(samples_.get(), i) * slope_ + intercept_);
  });
}

void SourceValues::VisitStored(const std::function<void(std::uint64_t, double)>& visit) const {
  std::uint64_t index = 0;
  ForEach([&](double v) { visit(index++, v); });
}

ValueRange SourceValues::Range() const {
  ValueRange range;
  ForEach([&range](double v) { range.Note(v); });
  return range;
}

double SourceValues::OtsuThreshold(const ValueRange& range) const {
  ValueHistogram histogram(range.lowestNonZero, range.highestNonZero, kOtsuBins);
  ForEach([&histogram](double v) {
    if (v != 0) histogram.Add(v);
  });
  return histogram.OtsuThreshold();
}

void KeepSourceValues(SourceValues* values) { keptValues = values; }

SourceValues* KeptSourceValues() { return keptValues; }

void ThresholdBytes(const unsigned char* bytes, std::uint32_t first, std::uint32_t last,
                    double threshold, unsigned char* out) {
  for (std::uint32_t x = first; x <= last; ++x)
    out[x] = bytes[x] >= threshold ? (bytes[x] ? bytes[x] : 1) : 0;
}
