// Colours by value through qarmel-shot: a palette file beside the volume
// gives the colours, the whole name's .lut before the stem's, and a bad
// line is reported with its number.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "cub_writer.h"
#include "e2e_fixture.h"
#include "image_compare.h"

namespace {

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// The mean colour of the pixels that are not black.
std::array<double, 3> MeanColour(const std::string& png) {
  const RgbImage rgb = ReadPng(png).value_or(PngImage{}).rgb;
  std::array<double, 3> sum{};
  int lit = 0;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    const unsigned char* p = &rgb[i];
    if (p[0] + p[1] + p[2] < 30) continue;
    ++lit;
    for (int c = 0; c < 3; ++c) sum[c] += p[c];
  }
  for (double& s : sum) s /= lit ? lit : 1;
  return sum;
}

class PaletteE2E : public E2ETest {};

TEST_F(PaletteE2E, APaletteFileBesideTheVolumeColoursItsValues) {
  CubVolume block;
  block.dimX = block.dimY = block.dimZ = 12;
  block.voxels.assign(12 * 12 * 12, 0);
  for (std::uint32_t z = 3; z < 9; ++z)
    for (std::uint32_t y = 3; y < 9; ++y)
      for (std::uint32_t x = 3; x < 9; ++x) block.At(x, y, z) = 5;
  const std::string volume = dir.File("block.cub");
  ASSERT_EQ(WriteCubFile(volume, block), "");
  auto render = [&](const std::string& png) {
    return RunShot({volume, "-o", dir.File(png), "--keys", "fk"});
  };

  WriteText(dir.File("block.lut"), "# the block\n5 block 255 0 0\n5 block red\n");
  ASSERT_EQ(render("red.png"), 0);
  const auto red = MeanColour(dir.File("red.png"));
  EXPECT_GT(red[0], 40);
  EXPECT_LT(red[1] + red[2], 2) << "value 5 takes the stem palette's red";
  EXPECT_NE(Stderr().find("block.lut:3:"), std::string::npos) << "the bad third line is reported";

  WriteText(dir.File("block.cub.lut"), "5 block 0 0 255\n");
  ASSERT_EQ(render("blue.png"), 0);
  const auto blue = MeanColour(dir.File("blue.png"));
  EXPECT_GT(blue[2], 40);
  EXPECT_LT(blue[0] + blue[1], 2) << "the whole name's palette comes first";
  EXPECT_EQ(Stderr().find("block.lut:3:"), std::string::npos);
}

}  // namespace
