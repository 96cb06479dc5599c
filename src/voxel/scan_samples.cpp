#include "voxel/scan_samples.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

#include "voxel/load_progress.h"
#include "voxel/patient_axes.h"
#include "voxel/source_values.h"

namespace {

constexpr std::uint64_t kLargestVolume = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t kMostComponents = 65536;
// Stored values are read and turned into voxels about a MiB at a time.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

template <typename T>
T Load(const unsigned char* bytes, bool swapped) {
  unsigned char copy[sizeof(T)];
  std::memcpy(copy, bytes, sizeof copy);
  if (swapped) std::reverse(copy, copy + sizeof copy);
  T value;
  std::memcpy(&value, copy, sizeof value);
  return value;
}

std::function<void(double)> scanValueListener;

// Stored values of type T to voxel bytes. Types of one or two bytes go
// through a table of every stored value's voxel, computed once with the
// same arithmetic, so the rule runs 64 Ki times at most instead of once a
// voxel.
template <typename T>
class Classifier {
 public:
  Classifier(const ScanLayout& layout, const ScanVoxelRule& rule) : layout_(layout), rule_(rule) {
    if constexpr (sizeof(T) <= 2) {
      table_.resize(std::size_t{1} << (8 * sizeof(T)));
      for (std::size_t pattern = 0; pattern < table_.size(); ++pattern)
        table_[pattern] = Classify(static_cast<T>(pattern));
    }
  }

  // `count` voxels whose first values lie `stride` bytes apart; with
  // `natives`, their values in the machine's byte order too.
  void operator()(const unsigned char* stored, std::size_t stride, std::size_t count,
                  unsigned char* out, unsigned char* natives) const {
    for (std::size_t i = 0; i < count; ++i) {
      const T value = Load<T>(stored + i * stride, layout_.swapped);
      if (natives) std::memcpy(natives + i * sizeof(T), &value, sizeof(T));
      if (scanValueListener) scanValueListener(Scaled(value));
      if constexpr (sizeof(T) <= 2) {
        using Pattern = std::conditional_t<sizeof(T) == 1, std::uint8_t, std::uint16_t>;
        Pattern pattern;
        std::memcpy(&pattern, &value, sizeof pattern);
        out[i] = table_[pattern];
      } else {
        out[i] = Classify(value);
      }
    }
  }

 private:
  std::uint8_t Classify(T value) const { return rule_(Scaled(value)); }

  double Scaled(T value) const {
    // Stored values that are not finite count as 0, as NIfTI's own library
    // reads them.
    if constexpr (std::is_floating_point_v<T>) {
      if (!std::isfinite(value)) value = 0;
    }
    return static_cast<double>(value) * layout_.slope + layout_.intercept;
  }

  const ScanLayout& layout_;
  const ScanVoxelRule& rule_;
  std::vector<std::uint8_t> table_;
};

// Stored values of T's width, as the unsigned type placed.
template <typename T>
using Bits = std::conditional_t<
    sizeof(T) == 1, std::uint8_t,
    std::conditional_t<sizeof(T) == 2, std::uint16_t,
                       std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;

template <typename T>
std::string ReadTyped(ByteSource& source, const ScanLayout& layout, const ScanVoxelRule& rule,
                      const AxisPlacement& placement, unsigned char* out, const std::string& path) {
  const Classifier<T> classify(layout, rule);
  SourceValues* const kept = KeptSourceValues();
  auto* const keptOut = kept && kept->Any() ? static_cast<Bits<T>*>(kept->Samples()) : nullptr;
  const std::size_t stride = sizeof(T) * static_cast<std::size_t>(layout.components);
  // Permuted orders go in whole slices, tile by tile; others in blocks.
  const std::uint64_t sliceVoxels = layout.dims[0] * layout.dims[1];
  const std::uint64_t slices = TiledSlices(placement, stride);
  const std::uint64_t count = sliceVoxels * layout.dims[2];
  const std::size_t perBlock = static_cast<std::size_t>(std::min<std::uint64_t>(
      count, slices ? slices * sliceVoxels : std::max<std::size_t>(1, kBlockBytes / stride)));
  std::vector<unsigned char> block(perBlock * stride);
  std::vector<unsigned char> voxels(perBlock);
  std::vector<Bits<T>> natives(keptOut ? perBlock : 0);
  for (std::uint64_t done = 0; done < count;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, perBlock));
    if (!source.Read(block.data(), n * stride))
      return source.Failure("the voxel data of " + path + " is cut short");
    classify(block.data(), stride, n, voxels.data(),
             keptOut ? reinterpret_cast<unsigned char*>(natives.data()) : nullptr);
    const Bits<T>* nativeBits = natives.data();
    if (slices) {
      PlaceSlices(placement, done / sliceVoxels, n / sliceVoxels, voxels.data(), out);
      if (keptOut) PlaceSlices(placement, done / sliceVoxels, n / sliceVoxels, nativeBits, keptOut);
    } else {
      PlaceVoxels(placement, done, voxels.data(), n, out);
      if (keptOut) PlaceVoxels(placement, done, nativeBits, n, keptOut);
    }
    done += n;
    ReportLoadProgress(done, count);
  }
  if (!source.Finish()) return source.Failure("the voxel data of " + path + " is cut short");
  return {};
}

using Reader = std::string (*)(ByteSource&, const ScanLayout&, const ScanVoxelRule&,
                               const AxisPlacement&, unsigned char*, const std::string&);

Reader ReaderFor(SampleType type) {
  switch (type) {
    case SampleType::kUint8:
      return ReadTyped<std::uint8_t>;
    case SampleType::kInt8:
      return ReadTyped<std::int8_t>;
    case SampleType::kUint16:
      return ReadTyped<std::uint16_t>;
    case SampleType::kInt16:
      return ReadTyped<std::int16_t>;
    case SampleType::kUint32:
      return ReadTyped<std::uint32_t>;
    case SampleType::kInt32:
      return ReadTyped<std::int32_t>;
    case SampleType::kUint64:
      return ReadTyped<std::uint64_t>;
    case SampleType::kInt64:
      return ReadTyped<std::int64_t>;
    case SampleType::kFloat32:
      return ReadTyped<float>;
    case SampleType::kFloat64:
      return ReadTyped<double>;
  }
  return nullptr;
}

// The stored values are kept beside the voxel bytes when those cannot
// hold them; without the memory, the bytes serve alone.
void KeepValuesOf(const ScanLayout& layout, const AxisPlacement& placement) {
  SourceValues* kept = KeptSourceValues();
  if (!kept) return;
  kept->Clear();
  if (layout.type == SampleType::kUint8 && layout.slope == 1 && layout.intercept == 0) return;
  if (!kept->Prepare(layout, placement.drawnDims))
    std::fputs("not enough memory to keep the stored values: the voxel bytes serve\n", stderr);
}

}  // namespace

std::string CheckScanSize(const ScanLayout& layout, std::uint64_t available, const DataFacts& facts,
                          const std::string& path) {
  std::uint64_t count = 1;
  bool huge = false;
  for (const std::uint64_t d : layout.dims) {
    if (d == 0) return "bad dimensions in " + path;
    huge = huge || __builtin_mul_overflow(count, d, &count);
  }
  if (huge || count > kLargestVolume)
    return "the volume of " + path + " is larger than a CUB file can hold (4 GiB of voxels)";
  if (layout.components == 0 || layout.components > kMostComponents)
    return "too many values per voxel in " + path;
  std::uint64_t needed = 0;
  const bool overflows =
      __builtin_mul_overflow(count, SampleWidth(layout.type) * layout.components, &needed);
  return CheckDataFits(needed, overflows, available, facts, path);
}

std::string ReadScanSamples(ByteSource& source, const ScanLayout& layout, const ScanVoxelRule& rule,
                            const ScanVoxelBuffer& buffer, VolumeFacts& facts,
                            const std::string& path) {
  const AxisPlacement placement = PlaceAxes(layout.axes, layout.dims);
  unsigned char* out =
      buffer(placement.drawnDims[0], placement.drawnDims[1], placement.drawnDims[2]);
  if (!out) return "not enough memory for the volume of " + path;
  facts = placement.facts;
  for (int a = 0; a < 3; ++a) {
    facts.drawnAxis[a] = placement.drawnAxis[a];
    facts.flipped[a] = placement.flipped[a];
  }
  const bool floating = layout.type == SampleType::kFloat32 || layout.type == SampleType::kFloat64;
  facts.wholeValues = !floating && layout.slope == std::round(layout.slope) &&
                      layout.intercept == std::round(layout.intercept);
  facts.widerThanByte = SampleWidth(layout.type) > 1;
  facts.labelIntent = layout.labelIntent;
  facts.patient = layout.axes;
  KeepValuesOf(layout, placement);
  return ReaderFor(layout.type)(source, layout, rule, placement, out, path);
}

std::uint8_t KeptVoxelValue(double value) {
  const double rounded = std::round(value);
  if (!(rounded >= 1)) return 1;
  return static_cast<std::uint8_t>(rounded > 255 ? 255 : rounded);
}

std::uint8_t NonZeroLabel(double value) { return value != 0 ? KeptVoxelValue(value) : 0; }

void SetScanValueListener(std::function<void(double)> listener) {
  scanValueListener = std::move(listener);
}

void TellScanValue(double value) {
  if (scanValueListener) scanValueListener(value);
}
