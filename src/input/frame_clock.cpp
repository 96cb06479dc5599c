#include "input/frame_clock.h"

#include "platform/winapi.h"

void StartFrameClockFrequency(FrameClock& frameClock) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  frameClock.frequency = frequency.QuadPart;
  const std::uint32_t low = static_cast<std::uint32_t>(frameClock.frequency);
  frameClock.secondsPerCount = low ? 1.0f / static_cast<float>(low) : 0.0f;
}

void TakeFirstFrameClockSample(FrameClock& frameClock) {
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  frameClock.currentCount = count.QuadPart;
}

double TickFrameClock(FrameClock& frameClock) {
  frameClock.previousCount = static_cast<std::uint32_t>(frameClock.currentCount);
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  frameClock.currentCount = count.QuadPart;
  // Unsigned 32-bit difference: a wrap of the low bits still gives the right count.
  const std::uint32_t counts =
      static_cast<std::uint32_t>(frameClock.currentCount) - frameClock.previousCount;
  return static_cast<double>(counts) * static_cast<double>(frameClock.secondsPerCount);
}
