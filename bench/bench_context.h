// The one offscreen context the benchmarks draw in, 512 x 512, made on
// first use and current on this thread afterwards.
#pragma once

constexpr int kBenchFrameSize = 512;

// Aborts when no context can be had: no benchmark means anything without.
void UseBenchContext();
