#include "bench_volumes.h"

#include <cstring>

#include "shapes.h"

namespace {

VOXSPACE* ToVoxSpace(const CubVolume& source) {
  VOXSPACE* v = InitVoxSpace(source.dimX, source.dimY, source.dimZ, 8);
  std::memcpy(v->data, source.voxels.data(), source.voxels.size());
  return v;
}

}  // namespace

VOXSPACE* NoiseVolume() {
  static VOXSPACE* volume = ToVoxSpace(MakeNoiseField(kBenchEdge, 1));
  return volume;
}

VOXSPACE* RandomVolume() {
  static VOXSPACE* volume = ToVoxSpace(MakeRandomHalf(kBenchEdge, 2));
  return volume;
}
