// Sixteen voxels at a time: GCC/clang vector extensions compile to SSE2 on
// x86-64 (and NEON elsewhere) without intrinsics. A mask lane is 0xFF where
// the test holds, 0 where it does not.
#pragma once

#include <cstdint>
#include <cstring>

namespace surface {

using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Mask16 = std::int8_t __attribute__((vector_size(16)));

inline Bytes16 Load16(const std::uint8_t* p) {
  Bytes16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

inline Bytes16 NonZero(Bytes16 v) { return reinterpret_cast<Bytes16>(v != 0); }
inline Bytes16 IsZero(Bytes16 v) { return reinterpret_cast<Bytes16>(v == 0); }

inline bool AnySet(Bytes16 mask) {
  std::uint64_t halves[2];
  std::memcpy(halves, &mask, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// Bit i set where lane i of the mask is set.
inline std::uint32_t LaneBits(Bytes16 mask) {
  std::uint32_t bits = 0;
  for (int i = 0; i < 16; ++i) bits |= static_cast<std::uint32_t>(mask[i] & 1u) << i;
  return bits;
}

inline std::uint32_t SumLanes(Bytes16 v) {
  std::uint32_t sum = 0;
  for (int i = 0; i < 16; ++i) sum += v[i];
  return sum;
}

}  // namespace surface
