// Headless backend: the drawing surface.
// Supports: SwapBuffers (finishes the frame in the pbuffer, so it can be
//           read back) and TextOutA (kept in a journal for tests).
// Not supported: showing anything.
#include <GL/gl.h>

#include <vector>

#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

namespace platform::headless {
namespace {

std::vector<TextOutEntry>& Journal() {
  static std::vector<TextOutEntry> journal;
  return journal;
}

int& Swaps() {
  static int swaps = 0;
  return swaps;
}

int offscreenDeviceContext;  // its address is the handle

}  // namespace

const std::vector<TextOutEntry>& TextOutJournal() { return Journal(); }
void ClearTextOutJournal() { Journal().clear(); }
int SwapCount() { return Swaps(); }
HDC OffscreenDeviceContext() { return reinterpret_cast<HDC>(&offscreenDeviceContext); }

}  // namespace platform::headless

BOOL SwapBuffers(HDC /*deviceContext*/) {
  glFinish();
  ++platform::headless::Swaps();
  return TRUE;
}

BOOL TextOutA(HDC deviceContext, int x, int y, LPCSTR text, int length) {
  platform::headless::Journal().push_back(
      {deviceContext, x, y,
       std::string(text ? text : "", text && length > 0 ? static_cast<std::size_t>(length) : 0)});
  return TRUE;
}
