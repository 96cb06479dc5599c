// The clocks of the real platform, from the system's monotonic clock.
#pragma once

#include <cstdint>

namespace platform {

// Nanoseconds of the monotonic clock.
std::int64_t MonotonicNanoseconds();

}  // namespace platform
