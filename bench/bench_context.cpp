#include "bench_context.h"

#include <cstdlib>

#include "platform/headless/offscreen_context.h"

void UseBenchContext() {
  static platform::headless::OffscreenContext context;
  static const bool created = context.Create(kBenchFrameSize, kBenchFrameSize);
  if (!created || !context.MakeCurrent()) std::abort();
}
