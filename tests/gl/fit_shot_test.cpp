// qarmel-shot --fit and --thumbnail: a small block far off the grid's
// centre, from any side, fills at least 80% of the picture's shorter side
// and stays inside it; an empty volume's thumbnail is a dim outline.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cub_writer.h"
#include "image_compare.h"
#include "process.h"
#include "temp_dir.h"

namespace {

struct FitView {
  const char* name;
  const char* heading;
  const char* elevation;
  int width, height;
  const char* framing;  // --fit or --thumbnail
};

void PrintTo(const FitView& view, std::ostream* out) { *out << view.name; }

// qarmel-shot's picture of `volume` with these options; none when it failed
// (its standard error then says why).
std::optional<PngImage> Shoot(const TempDir& dir, const CubVolume& volume,
                              std::vector<std::string> options) {
  const std::string cub = dir.File("in.cub"), png = dir.File("out.png");
  EXPECT_EQ(WriteCubFile(cub, volume), "");
  std::vector<std::string> argv = {QARMEL_SHOT, cub, "-o", png};
  argv.insert(argv.end(), options.begin(), options.end());
  LaunchOptions launch;
  launch.stderrFile = dir.File("stderr.txt");
  const int code = Process(argv, launch).WaitForExit(std::chrono::seconds(60)).value_or(-1);
  EXPECT_EQ(code, 0) << ReadTextFile(dir.File("stderr.txt"));
  return code == 0 ? ReadPng(png) : std::nullopt;
}

class FitShot : public ::testing::TestWithParam<FitView> {};

TEST_P(FitShot, TheSolidBoxFillsThePicture) {
  TempDir dir;
  CubVolume volume{96, 96, 96, std::vector<std::uint8_t>(96 * 96 * 96, 0)};
  for (std::uint32_t z = 5; z < 21; ++z)
    for (std::uint32_t y = 10; y < 40; ++y)
      for (std::uint32_t x = 60; x < 80; ++x) volume.At(x, y, z) = 1;
  const FitView& v = GetParam();
  const std::string size = std::to_string(v.width) + "x" + std::to_string(v.height);
  const auto picture = Shoot(
      dir, volume, {"--size", size, "--heading", v.heading, "--elevation", v.elevation, v.framing});
  ASSERT_TRUE(picture);
  const std::vector<std::uint8_t> covered = Covered(picture->rgb);
  int left = v.width, right = -1, top = v.height, bottom = -1;
  for (int y = 0; y < v.height; ++y)
    for (int x = 0; x < v.width; ++x)
      if (covered[static_cast<std::size_t>(y) * v.width + x])
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
        bottom = std::max(bottom, y);
  ASSERT_GE(right, 0) << "nothing shows";
  EXPECT_GT(left, 0);
  EXPECT_LT(right, v.width - 1);
  EXPECT_GT(top, 0);
  EXPECT_LT(bottom, v.height - 1);
  EXPECT_GE(std::max(right - left + 1, bottom - top + 1), 0.8 * std::min(v.width, v.height))
      << "from " << left << "," << top << " to " << right << "," << bottom;
}

const FitView kFitViews[] = {
    {"Front", "0", "0", 256, 256, "--fit"},
    {"StartLike", "336", "340", 256, 256, "--fit"},
    {"FromBelowBehind", "200", "60", 256, 256, "--fit"},
    {"SideInAWidePicture", "90", "0", 320, 200, "--fit"},
    {"Thumbnail", "336", "340", 128, 128, "--thumbnail"},
};

INSTANTIATE_TEST_SUITE_P(Views, FitShot, ::testing::ValuesIn(kFitViews),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ThumbnailShot, AnEmptyVolumeShowsADimOutlineOfItsBox) {
  TempDir dir;
  const CubVolume empty{60, 40, 30, std::vector<std::uint8_t>(60 * 40 * 30, 0)};
  const auto picture = Shoot(dir, empty, {"--size", "128", "--thumbnail"});
  ASSERT_TRUE(picture);
  const std::vector<std::uint8_t> covered = Covered(picture->rgb);
  const auto lit = std::count(covered.begin(), covered.end(), 1);
  EXPECT_GT(lit, 200) << "no outline";
  EXPECT_LT(lit, 128 * 128 / 10) << "more than an outline";
  EXPECT_LT(*std::max_element(picture->rgb.begin(), picture->rgb.end()), 128) << "not dim";
}

}  // namespace
