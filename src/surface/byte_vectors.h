// Sixteen voxels at a time: GCC/clang vector extensions compile to SSE2 on
// x86-64 (and NEON elsewhere) without intrinsics. A mask lane is 0xFF where
// the test holds, 0 where it does not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace surface {

using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

inline Bytes16 Load16(const std::uint8_t* p) {
  Bytes16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline Bytes16 NonZero(Bytes16 v) { return reinterpret_cast<Bytes16>(v != 0); }
inline Bytes16 IsZero(Bytes16 v) { return reinterpret_cast<Bytes16>(v == 0); }

// Lanes of the sixteen voxels from p on that are solid while their
// neighbour at `offset` is empty: an exposed face in that direction.
inline Bytes16 FaceLanes(const std::uint8_t* p, std::ptrdiff_t offset) {
  return NonZero(Load16(p)) & IsZero(Load16(p + offset));
}

// Bit i set where lane i of the mask is set.
inline std::uint32_t LaneBits(Bytes16 mask) {
#if defined(__SSE2__)
  using Chars16 = char __attribute__((vector_size(16)));
  return static_cast<std::uint32_t>(__builtin_ia32_pmovmskb128(reinterpret_cast<Chars16>(mask)));
#else
  std::uint32_t bits = 0;
  for (int i = 0; i < 16; ++i) bits |= static_cast<std::uint32_t>(mask[i] & 1u) << i;
  return bits;
#endif
}

// Calls f(i) for every set bit i, lowest first.
template <typename F>
inline void ForEachBit(std::uint64_t bits, F f) {
  while (bits) {
    f(static_cast<unsigned>(__builtin_ctzll(bits)));
    bits &= bits - 1;
  }
}

inline std::uint32_t SumLanes(Bytes16 v) {
  std::uint32_t sum = 0;
  for (int i = 0; i < 16; ++i) sum += v[i];
  return sum;
}

}  // namespace surface
