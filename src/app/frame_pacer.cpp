#include "app/frame_pacer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kUnknownRefreshHz = 60;

std::int64_t Now() {
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

bool UnpacedByRequest() {
  const char* value = std::getenv("QARMEL_UNPACED");
  return value && *value && std::strcmp(value, "0") != 0;
}

}  // namespace

void StartFramePacing(FramePacer& pacer, HDC deviceContext) {
  pacer.paced = !UnpacedByRequest();
  wglSwapIntervalEXT(pacer.paced ? 1 : 0);
  LARGE_INTEGER frequency;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
    pacer.paced = false;  // no clock to pace by
    return;
  }
  const int refresh = GetDeviceCaps(deviceContext, VREFRESH);
  const int hertz = refresh > 1 ? refresh : kUnknownRefreshHz;
  pacer.period = frequency.QuadPart / hertz;
  pacer.nextFrame = Now();
}

DWORD MillisecondsToNextFrame(const FramePacer& pacer) {
  if (!pacer.paced) return 0;
  const std::int64_t wait = pacer.nextFrame - Now();
  if (wait <= 0) return 0;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  // Rounded up: a frame a fraction of a millisecond late beats a busy wait.
  return static_cast<DWORD>((wait * 1000 + frequency.QuadPart - 1) / frequency.QuadPart);
}

void FrameDrawn(FramePacer& pacer) {
  if (!pacer.paced) return;
  pacer.nextFrame = std::max(pacer.nextFrame + pacer.period, Now());
}
