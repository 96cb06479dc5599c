// A line of voxels as bits, one per voxel: which voxels of a scan line
// have an exposed face in one direction. Built sixteen voxels at a time;
// read back as single bits or as runs of consecutive set bits (the strips).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "surface/byte_vectors.h"

namespace surface {

inline std::size_t WordsFor(std::size_t bits) { return (bits + 63) / 64; }

// A zeroed table of 64-bit words from the heap that reports failure
// instead of throwing: the builders run without exceptions, and a table
// sized from a file's dimensions may be refused.
class ScratchWords {
 public:
  explicit ScratchWords(std::size_t count)
      : words_(static_cast<std::uint64_t*>(std::calloc(count ? count : 1, sizeof(std::uint64_t)))),
        count_(count) {}
  ~ScratchWords() { std::free(words_); }
  ScratchWords(const ScratchWords&) = delete;
  ScratchWords& operator=(const ScratchWords&) = delete;

  explicit operator bool() const { return words_ != nullptr; }
  std::uint64_t* data() { return words_; }
  const std::uint64_t* data() const { return words_; }
  std::uint64_t& operator[](std::size_t i) { return words_[i]; }
  void Clear() { std::memset(words_, 0, count_ * sizeof(std::uint64_t)); }

 private:
  std::uint64_t* words_;
  std::size_t count_;
};

inline void SetBit(std::uint64_t* words, std::size_t i) {
  words[i >> 6] |= std::uint64_t{1} << (i & 63);
}

// Bit i of `words` set where voxel row[i] is solid and row[i + neighbour]
// empty, for i in [0, n). The words must start cleared.
inline void FaceBits(const std::uint8_t* row, std::ptrdiff_t neighbour, std::size_t n,
                     std::uint64_t* words) {
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    words[i >> 6] |= std::uint64_t{LaneBits(FaceLanes(row + i, neighbour))} << (i & 63);
  }
  for (; i < n; ++i) {
    if (row[i] && !row[static_cast<std::ptrdiff_t>(i) + neighbour]) SetBit(words, i);
  }
}

// Calls f(start, length) for every maximal run of set bits in [0, n);
// bits at n and beyond must be clear.
template <typename F>
inline void ForEachRun(const std::uint64_t* words, std::size_t n, F f) {
  const std::size_t count = WordsFor(n);
  std::size_t w = 0;
  std::uint64_t bits = count ? words[0] : 0;
  for (;;) {
    while (!bits) {
      if (++w >= count) return;
      bits = words[w];
    }
    const std::size_t start = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
    // The run ends at the first clear bit after its start.
    std::uint64_t clear = ~words[w] & (~std::uint64_t{0} << (start & 63));
    while (!clear) {
      if (++w >= count) {
        f(start, n - start);
        return;
      }
      clear = ~words[w];
    }
    const std::size_t end = w * 64 + static_cast<std::size_t>(__builtin_ctzll(clear));
    f(start, (end < n ? end : n) - start);
    if (end >= n) return;
    bits = words[w] & (~std::uint64_t{0} << (end & 63));
  }
}

}  // namespace surface
