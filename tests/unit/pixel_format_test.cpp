#include "render/pixel_format.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/common/window_record.h"

namespace {

TEST(Palette, EntriesScaleEachChannelsBitsTo255) {
  PIXELFORMATDESCRIPTOR f{};
  f.cColorBits = 8;
  f.cRedBits = 3, f.cRedShift = 0;
  f.cGreenBits = 3, f.cGreenShift = 3;
  f.cBlueBits = 2, f.cBlueShift = 6;
  auto rgb = [&](unsigned i) {
    const PALETTEENTRY e = PaletteEntryFor(i, f);
    EXPECT_EQ(e.peFlags, 0);
    return std::array<int, 3>{e.peRed, e.peGreen, e.peBlue};
  };
  EXPECT_EQ(rgb(0x00), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(rgb(0xFF), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(rgb(0x05), (std::array<int, 3>{182, 0, 0}));  // 5 * 255 / 7, truncated
  EXPECT_EQ(rgb(0x38), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(rgb(0x40), (std::array<int, 3>{0, 0, 85}));
  f.cBlueBits = 0;  // a channel without bits is 0
  EXPECT_EQ(rgb(0xFF)[2], 0);
}

TEST(PixelFormat, AFormatThatCannotBeChosenEndsTheProgram) {
  EXPECT_EXIT(SetupPixelFormat(nullptr), ::testing::ExitedWithCode(1),
              "^Error: ChoosePixelFormat\\(\\) failed.\n$");
}

TEST(PixelFormat, TrueColourNeedsNoPalette) {
  HDC__ dc;
  SetupPixelFormat(&dc);
  EXPECT_EQ(GetPixelFormat(&dc), 1);
  PIXELFORMATDESCRIPTOR d{};
  EXPECT_EQ(DescribePixelFormat(&dc, 1, sizeof d, &d), 1);
  EXPECT_TRUE(d.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_TRUE(d.dwFlags & PFD_SUPPORT_OPENGL);
  EXPECT_FALSE(d.dwFlags & PFD_NEED_PALETTE);
  EXPECT_EQ(d.cDepthBits, 24) << "granted deeper than the 16 bits asked for";
}

}  // namespace
