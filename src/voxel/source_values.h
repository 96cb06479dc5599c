// The values a scan stores, kept beside the 8-bit volume the surface is
// built from when its bytes cannot hold them (samples wider than a byte,
// signed or floating, or scaled): the threshold and the value under the
// cursor use them at full precision. Kept in the stored type (native byte
// order), so they take no more memory than the file's samples.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

#include "voxel/scan_layout.h"
#include "voxel/value_histogram.h"
#include "voxel/voxspace.h"

class SourceValues {
 public:
  // Room for `dims` (the drawn extents) values of `layout`'s type; false,
  // keeping none, when memory is short.
  bool Prepare(const ScanLayout& layout, const std::uint32_t (&dims)[3]);
  void Clear() { samples_.reset(); }
  bool Any() const { return samples_ != nullptr; }
  // Where the reader puts the stored values, in drawn order.
  void* Samples() { return samples_.get(); }

  // The value of voxel (x, y, z) of the volume as shown (the start-up
  // mirror of z applied): scaled, 0 where not finite.
  double At(std::uint32_t x, std::uint32_t y, std::uint32_t z) const;
  // Voxel bytes of the shown row (y, z) from x = first to last: 0 where the
  // value is below `threshold`, else `bytes`' byte or 1 where that is 0.
  void ThresholdRow(std::uint32_t y, std::uint32_t z, std::uint32_t first, std::uint32_t last,
                    double threshold, const unsigned char* bytes, unsigned char* out) const;
  // Each value with its index in the volume's own order (before the
  // start-up mirror).
  void VisitStored(const std::function<void(std::uint64_t, double)>& visit) const;
  // Their range (0 among them), every value counted.
  ValueRange Range() const;
  // Otsu's threshold of the values other than 0 (as cubconvert picks it).
  double OtsuThreshold(const ValueRange& range) const;

 private:
  template <typename F>
  void ForEach(F&& visit) const;
  std::uint64_t StoredRow(std::uint32_t y, std::uint32_t z) const;

  struct FreeSamples {
    void operator()(void* p) const { std::free(p); }
  };
  std::unique_ptr<unsigned char[], FreeSamples> samples_;
  SampleType type_ = SampleType::kUint8;
  double slope_ = 1, intercept_ = 0;
  std::uint32_t dims_[3] = {0, 0, 0};
};

// While set, the scan readers keep the values they read in `values` (when
// the voxel bytes cannot hold them), else clear it. None by default.
void KeepSourceValues(SourceValues* values);
SourceValues* KeptSourceValues();

// The threshold when no values are kept: the voxel bytes themselves.
void ThresholdBytes(const unsigned char* bytes, std::uint32_t first, std::uint32_t last,
                    double threshold, unsigned char* out);
