#include "render/pixel_format.h"

#include <cstdlib>
#include <cstring>

namespace {

int ChannelValue(unsigned index, int bits, int shift) {
  if (bits <= 0) return 0;
  const unsigned mask = (1u << bits) - 1;
  return static_cast<int>(((index >> shift) & mask) * 255 / mask);
}

}  // namespace

void SetupPixelFormat(HDC deviceContext) {
  PIXELFORMATDESCRIPTOR request{};
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  request.cColorBits = 16;
  request.cAccumBits = 16;
  request.cDepthBits = 16;
  const int index = ChoosePixelFormat(deviceContext, &request);
  if (index == 0) {
    MessageBoxA(WindowFromDC(deviceContext), "ChoosePixelFormat() failed.", "Error", MB_ICONERROR);
    std::exit(1);
  }
  if (SetPixelFormat(deviceContext, index, &request) != TRUE) {
    MessageBoxA(WindowFromDC(deviceContext), "SetPixelFormat() failed.", "Error", MB_ICONERROR);
    std::exit(1);
  }
}

PALETTEENTRY PaletteEntryFor(unsigned index, const PIXELFORMATDESCRIPTOR& f) {
  PALETTEENTRY entry{};
  entry.peRed = static_cast<BYTE>(ChannelValue(index, f.cRedBits, f.cRedShift));
  entry.peGreen = static_cast<BYTE>(ChannelValue(index, f.cGreenBits, f.cGreenShift));
  entry.peBlue = static_cast<BYTE>(ChannelValue(index, f.cBlueBits, f.cBlueShift));
  entry.peFlags = 0;
  return entry;
}

HPALETTE SetupPalette(HDC deviceContext) {
  PIXELFORMATDESCRIPTOR format{};
  DescribePixelFormat(deviceContext, GetPixelFormat(deviceContext), sizeof format, &format);
  if (!(format.dwFlags & PFD_NEED_PALETTE)) return nullptr;
  if (format.cColorBits > 15) return nullptr;  // the entry count must fit its 16-bit field
  const unsigned entries = 1u << format.cColorBits;
  const std::size_t bytes = sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY);
  auto* logical = static_cast<LOGPALETTE*>(std::malloc(bytes));
  if (!logical) return nullptr;  // drawing goes on without a palette
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(entries);
  for (unsigned i = 0; i < entries; ++i) logical->palPalEntry[i] = PaletteEntryFor(i, format);
  HPALETTE palette = CreatePalette(logical);
  std::free(logical);
  if (palette) {
    SelectPalette(deviceContext, palette, FALSE);
    RealizePalette(deviceContext);
  }
  return palette;
}
