// Fog that follows the camera: zoomed far out, or with the fly camera at
// its start, the volume shows as much with fog as without; with the eye
// inside a hollow sphere the far wall is darker than the near one.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "cub_writer.h"
#include "image_compare.h"
#include "process.h"
#include "shapes.h"
#include "temp_dir.h"

namespace {

constexpr std::uint32_t kFogEdge = 96;
// The polar camera's start distance for a volume of that edge.
constexpr float kFogStart = 2 * kFogEdge - 4;

class FogShot : public ::testing::Test {
 protected:
  // The picture of `volume` through qarmel-shot with these extra options.
  PngImage Shot(const std::string& volume, std::vector<std::string> options) {
    const std::string out = dir.File("fog.png");
    std::vector<std::string> argv = {QARMEL_SHOT, volume, "-o", out, "--size", "256"};
    argv.insert(argv.end(), options.begin(), options.end());
    LaunchOptions launch;
    launch.stderrFile = dir.File("stderr.txt");
    EXPECT_EQ(Process(argv, launch).WaitForExit(std::chrono::seconds(60)).value_or(-1), 0)
        << ReadTextFile(dir.File("stderr.txt"));
    auto picture = ReadPng(out);
    EXPECT_TRUE(picture.has_value());
    return picture ? *picture : PngImage{};
  }
  std::size_t Shown(const PngImage& picture) {
    std::size_t shown = 0;
    for (std::uint8_t covered : Covered(picture.rgb)) shown += covered;
    return shown;
  }
  std::string Write(const CubVolume& volume, const std::string& name) {
    const std::string path = dir.File(name);
    EXPECT_EQ(WriteCubFile(path, volume), "");
    return path;
  }
  TempDir dir;
};

struct FogView {
  const char* name;
  std::vector<std::string> options;  // the camera; fog is on at start
  double share;                      // of the fog-off coverage that must show with fog
};

void PrintTo(const FogView& view, std::ostream* out) { *out << view.name; }

class FogViews : public FogShot, public ::testing::WithParamInterface<FogView> {};

TEST_P(FogViews, ShowTheVolumeAsWithoutFog) {
  const std::string head = Write(MakeHeadPhantom(kFogEdge), "head.cub");
  const FogView& view = GetParam();
  std::vector<std::string> fogOff = view.options;
  const auto keys = std::find(fogOff.begin(), fogOff.end(), "--keys");
  if (keys == fogOff.end()) {
    fogOff.insert(fogOff.end(), {"--keys", "f"});
  } else {
    keys[1] += "f";
  }
  const std::size_t without = Shown(Shot(head, fogOff));
  ASSERT_GT(without, 0u) << "the volume is out of the picture";
  EXPECT_GE(static_cast<double>(Shown(Shot(head, view.options))), view.share * without);
}

const FogView kFogViews[] = {
    {"PolarAtStart", {"--distance", std::to_string(kFogStart)}, 0.95},
    {"PolarThreeTimesOut", {"--distance", std::to_string(3 * kFogStart)}, 0.95},
    {"PolarTenTimesOut", {"--distance", std::to_string(10 * kFogStart)}, 0.95},
    {"PolarThirtyTimesOut", {"--distance", std::to_string(30 * kFogStart)}, 0.95},
    {"FlyAtStart", {"--keys", "0"}, 0.90},
};

INSTANTIATE_TEST_SUITE_P(Fog, FogViews, ::testing::ValuesIn(kFogViews),
                         [](const auto& info) { return std::string(info.param.name); });

// Unlit, the walls are white but for the fog: from inside the sphere,
// near its wall, the wall straight ahead (across the sphere) is farther
// than the walls at the picture's sides.
TEST_F(FogShot, InsideAHollowSphereTheFarWallIsDarker) {
  const std::string sphere = Write(MakeHollowSphere(kFogEdge), "sphere.cub");
  const PngImage picture = Shot(sphere, {"--distance", "30", "--keys", "l"});
  ASSERT_EQ(picture.width, 256);
  const auto brightness = [&](int x, int y) {
    return picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  };
  const int far = brightness(128, 128), near = brightness(8, 128);
  EXPECT_GT(near, far + 10) << "near " << near << ", far " << far;
  EXPECT_GT(far, kBlackLevel) << "the far wall is fogged away";
}

}  // namespace
