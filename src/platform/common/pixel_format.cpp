// Pixel formats and palettes. Both backends draw into true-colour buffers
// (RGBA 8/8/8/8 with a 24-bit depth buffer), so there is exactly one
// format, it never needs a palette, and palettes are plain records.
#include "platform/common/pixel_format.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "platform/common/window_record.h"

namespace {

std::set<HPALETTE>& Palettes() {
  static std::set<HPALETTE> palettes;
  return palettes;
}

}  // namespace

int ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* request) {
  return deviceContext && request ? 1 : 0;
}

BOOL SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* /*request*/) {
  if (!deviceContext || format != 1) return FALSE;
  deviceContext->pixelFormat = format;
  return TRUE;
}

int GetPixelFormat(HDC deviceContext) { return deviceContext ? deviceContext->pixelFormat : 0; }

int DescribePixelFormat(HDC deviceContext, int format, UINT bytes,
                        PIXELFORMATDESCRIPTOR* descriptor) {
  if (!deviceContext || format != 1) return 0;
  if (descriptor && bytes >= sizeof(PIXELFORMATDESCRIPTOR)) {
    PIXELFORMATDESCRIPTOR d{};
    d.nSize = sizeof d;
    d.nVersion = 1;
    d.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    d.iPixelType = PFD_TYPE_RGBA;
    d.cColorBits = 24;
    d.cRedBits = 8, d.cRedShift = 16;
    d.cGreenBits = 8, d.cGreenShift = 8;
    d.cBlueBits = 8, d.cBlueShift = 0;
    d.cAlphaBits = 8, d.cAlphaShift = 24;
    d.cDepthBits = platform::kDepthBits;
    d.iLayerType = PFD_MAIN_PLANE;
    std::memcpy(descriptor, &d, sizeof d);
  }
  return 1;  // the number of formats
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palNumEntries == 0) return nullptr;
  auto* created = new HPALETTE__;
  created->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  Palettes().insert(created);
  return created;
}

HPALETTE SelectPalette(HDC deviceContext, HPALETTE palette, BOOL /*background*/) {
  if (!deviceContext) return nullptr;
  return std::exchange(deviceContext->palette, palette);
}

UINT RealizePalette(HDC deviceContext) {
  return deviceContext && deviceContext->palette
             ? static_cast<UINT>(deviceContext->palette->entries.size())
             : 0;
}

BOOL UnrealizeObject(HGDIOBJ object) { return object ? TRUE : FALSE; }

BOOL DeleteObject(HGDIOBJ object) {
  auto* palette = static_cast<HPALETTE>(object);
  if (!Palettes().erase(palette)) return FALSE;
  for (HWND window : platform::Windows())
    if (window->deviceContext.palette == palette) window->deviceContext.palette = nullptr;
  delete palette;
  return TRUE;
}
