// The frame clock: time between two successive frame displays, from the
// performance counter, for the frame-rate readout only.
#pragma once

#include <cstdint>

struct FrameClock {
  std::int64_t frequency;       // counts per second; only the low 32 bits are used
  float secondsPerCount;        // 1 / low 32 bits of frequency, 0 without a counter
  std::int64_t currentCount;    // the latest sample
  std::uint32_t previousCount;  // low 32 bits of the sample before it
};

// Start-up, in two places of the static initialisation: the frequency
// before any other process-wide object, the first sample after all of them.
void StartFrameClockFrequency(FrameClock& clock);
void TakeFirstFrameClockSample(FrameClock& clock);

// Seconds since the previous tick (or the first sample), measured modulo
// 2^32 counts.
double TickFrameClock(FrameClock& clock);
