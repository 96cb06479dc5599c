// The volumes the benchmarks share, made once per run.
#pragma once

#include <cstdint>

#include "voxel/voxspace.h"

constexpr std::uint32_t kBenchEdge = 256;

// 256^3 thresholded smooth noise: a realistic surface of a few million faces.
VOXSPACE* NoiseVolume();
// 256^3 with every voxel solid with probability one half.
VOXSPACE* RandomVolume();
