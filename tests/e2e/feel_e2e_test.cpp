// The viewer in the hand: the wheel zooms and Home comes back to the very
// start picture, the idle viewer rests, a middle-button drag moves the
// picture with the cursor, and a long first build shows its progress and
// gives way to Escape.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "cub_writer.h"
#include "e2e_fixture.h"
#include "shapes.h"

namespace {

using std::chrono::seconds;

// The centre of the lit pixels.
std::pair<double, double> LitCentre(const Screenshot& shot) {
  double sx = 0, sy = 0, n = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const auto& p = shot.At(x, y);
      if (p[0] + p[1] + p[2] > 90) sx += x, sy += y, n += 1;
    }
  return {n ? sx / n : -1, n ? sy / n : -1};
}

class FeelE2E : public DisplayE2ETest {};

TEST_F(FeelE2E, WheelZoomsHomeRestoresAndTheIdleViewerRests) {
  const std::string id = StartViewer();
  ASSERT_TRUE(WaitForTitle(id, kStartTitle));
  const auto start = WaitForPicture(id);
  ASSERT_TRUE(start.has_value());

  // At rest: a generous bound over a few seconds (make bench has the figure).
  const long before = CpuTicks(viewer->pid());
  std::this_thread::sleep_for(seconds(3));
  EXPECT_LT(CpuTicks(viewer->pid()) - before, 30) << "more than a tenth of a core while idle";

  ASSERT_TRUE(Xdotool(
      {"mousemove", "--window", id, "256", "256", "click", "4", "click", "4", "click", "4"}));
  bool zoomed = false;
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  while (!zoomed && std::chrono::steady_clock::now() < end) {
    const auto now = CaptureWindow(id);
    zoomed = now && CountDifferences(*now, *start) > 2000;
  }
  EXPECT_TRUE(zoomed) << "three notches of the wheel";
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Home"}));
  EXPECT_EQ(FewestDifferences(id, *start), 0) << "Home gives the start picture back";
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
}

TEST_F(FeelE2E, AMiddleButtonDragMovesTheCentreWithTheCursor) {
  // A block at the grid's centre marks the depth the pan keeps under the cursor.
  CubVolume volume{64, 64, 64, std::vector<std::uint8_t>(64 * 64 * 64, 0)};
  for (std::uint32_t z = 28; z < 36; ++z)
    for (std::uint32_t y = 28; y < 36; ++y)
      for (std::uint32_t x = 28; x < 36; ++x) volume.At(x, y, z) = 1;
  const std::string file = dir.File("marker.cub");
  ASSERT_EQ(WriteCubFile(file, volume), "");
  viewer = std::make_unique<Process>(std::vector<std::string>{QARMEL_BINARY, file}, Options());
  const auto found = WaitForWindowStartingWith("Qarmel marker.cub");
  ASSERT_TRUE(found.has_value());
  const std::string id = *found;
  const auto start = WaitForPicture(id);
  ASSERT_TRUE(start.has_value());
  const auto [x0, y0] = LitCentre(*start);

  ASSERT_TRUE(Xdotool({"mousemove", "--window", id, "200", "200", "mousedown", "2"}));
  for (int step = 1; step <= 10; ++step)
    Xdotool({"mousemove", "--window", id, std::to_string(200 + 12 * step),
             std::to_string(200 + 6 * step)});
  ASSERT_TRUE(Xdotool({"mouseup", "2"}));
  // The drag was 120 right and 60 down.
  double x1 = x0, y1 = y0;
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  while (std::chrono::steady_clock::now() < end && std::abs(x1 - x0 - 120) > 6) {
    if (const auto now = CaptureWindow(id)) std::tie(x1, y1) = LitCentre(*now);
  }
  EXPECT_NEAR(x1 - x0, 120, 6);
  EXPECT_NEAR(y1 - y0, 60, 3);
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
}

TEST_F(FeelE2E, ALongBuildShowsItsProgressAndEscapeEndsIt) {
  const std::string file = dir.File("big.cub");
  ASSERT_EQ(WriteCubFile(file, MakeScanPhantom(384, 384, 384, 1)), "");  // 3.7 M faces
  viewer = std::make_unique<Process>(std::vector<std::string>{QARMEL_BINARY, file}, Options());
  const auto id = WaitForWindowStartingWith("Qarmel big.cub");
  ASSERT_TRUE(id.has_value());
  bool building = false;
  const auto end = std::chrono::steady_clock::now() + seconds(30);
  while (!building && std::chrono::steady_clock::now() < end)
    building = WindowTitle(*id).find(" building ") != std::string::npos;
  ASSERT_TRUE(building) << "the title shows the share built: " << WindowTitle(*id);
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
  EXPECT_EQ(Stderr(), "");
}

}  // namespace
