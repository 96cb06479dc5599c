// Headless backend: clocks.
// Supports: GetTickCount and the performance counter from the monotonic
//           clock, or scripted by tests (a fixed frequency, a queue of
//           counter samples, a fixed tick count).
// Not supported: nothing left out.
#include <deque>
#include <optional>

#include "platform/common/monotonic_clock.h"
#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

namespace platform::headless {
namespace {

struct ScriptedClocks {
  std::optional<std::int64_t> frequency;
  std::deque<std::int64_t> counterSamples;
  std::optional<DWORD> tickCount;
};

ScriptedClocks& Script() {
  static ScriptedClocks script;
  return script;
}

}  // namespace

void ScriptPerformanceFrequency(std::optional<std::int64_t> countsPerSecond) {
  Script().frequency = countsPerSecond;
}
void ScriptPerformanceCounter(std::int64_t sample) { Script().counterSamples.push_back(sample); }
void ScriptTickCount(std::optional<DWORD> milliseconds) { Script().tickCount = milliseconds; }

}  // namespace platform::headless

DWORD GetTickCount() {
  const auto& script = platform::headless::Script();
  if (script.tickCount) return *script.tickCount;
  return static_cast<DWORD>(platform::MonotonicNanoseconds() / 1000000);
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  const auto& script = platform::headless::Script();
  frequency->QuadPart = script.frequency ? *script.frequency : 10000000;
  return frequency->QuadPart != 0;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  auto& samples = platform::headless::Script().counterSamples;
  if (samples.empty()) {
    count->QuadPart = platform::MonotonicNanoseconds() / 100;
  } else {
    count->QuadPart = samples.front();
    samples.pop_front();
  }
  return TRUE;
}
