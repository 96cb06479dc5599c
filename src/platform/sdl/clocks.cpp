// SDL backend: clocks.
// Supports: GetTickCount in milliseconds, the performance counter in units
//           of 100 ns (10 MHz, as on Win32), both from the monotonic clock.
// Not supported: nothing left out.
#include "platform/common/monotonic_clock.h"
#include "platform/winapi.h"

DWORD GetTickCount() { return static_cast<DWORD>(platform::MonotonicNanoseconds() / 1000000); }

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  frequency->QuadPart = 10000000;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  count->QuadPart = platform::MonotonicNanoseconds() / 100;
  return TRUE;
}
