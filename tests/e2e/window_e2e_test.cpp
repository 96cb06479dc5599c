// The real viewer window under Xvfb, driven with real key presses and mouse
// drags from xdotool; pictures read back with xwd.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "e2e_fixture.h"

namespace {

using std::chrono::seconds;

class WindowE2E : public DisplayE2ETest {
 protected:
  // Waits until the window shows a picture that differs from `before`.
  bool WaitForNewPicture(const std::string& id, const Screenshot& before) {
    const auto end = std::chrono::steady_clock::now() + seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      const auto now = CaptureWindow(id);
      if (now && CountDifferences(*now, before) > 200) return true;
    }
    return false;
  }
};

TEST_F(WindowE2E, StartsWithTitleAndPictureThenEscapeEndsWith0) {
  const std::string id = StartViewer();
  ASSERT_FALSE(id.empty());
  EXPECT_TRUE(WaitForTitle(id, kStartTitle));

  const auto shot = WaitForPicture(id);
  ASSERT_TRUE(shot.has_value());
  EXPECT_EQ(shot->width, 512);
  EXPECT_EQ(shot->height, 512);
  // Black around the surface; the surface in a few flat greys (white light).
  EXPECT_EQ(shot->At(0, 0), (std::array<int, 3>{0, 0, 0}));
  int grey = 0;
  std::set<int> levels;
  for (const auto& p : shot->pixels) {
    if (p[0] > 30 && p[0] == p[1] && p[1] == p[2]) {
      ++grey;
      levels.insert(p[0]);
    }
  }
  EXPECT_GT(grey, 5000) << "the surface covers part of the window; centre pixel "
                        << shot->At(256, 256)[0] << "," << shot->At(256, 256)[1] << ","
                        << shot->At(256, 256)[2];
  EXPECT_GE(levels.size(), 3u) << "several directions, each in its own lit grey";

  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
  EXPECT_EQ(Stderr(), "");
  const std::string out = Stdout();
  EXPECT_NE(out.find("OGLtexture::ReadBMP()  texture 1 read \n"), std::string::npos) << out;
}

// A bare X server regenerates whenever its last client leaves and drops
// connections meanwhile; each start here follows the end of the last one,
// which is exactly when that happens.
TEST_F(WindowE2E, TheWindowOpensEveryTimeInThirtyStartsInARow) {
  for (int run = 1; run <= 30; ++run) {
    const std::string id = StartViewer();
    ASSERT_FALSE(id.empty()) << "start " << run << ": " << Stderr();
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"})) << "start " << run;
    ASSERT_EQ(viewer->WaitForExit(seconds(30)), 0) << "start " << run << ": " << Stderr();
    ASSERT_EQ(Stderr(), "") << "start " << run;
  }
}

TEST_F(WindowE2E, KeysToggleTheTitleAndGShowsTheGeometryBox) {
  const std::string id = StartViewer();
  ASSERT_TRUE(WaitForTitle(id, kStartTitle));
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "c"}));
  EXPECT_TRUE(WaitForTitle(id, "Qarmel phantom.cub   f i l p q z"));
  ASSERT_TRUE(Xdotool({"key", "d", "t"}));
  EXPECT_TRUE(WaitForTitle(id, "Qarmel phantom.cub   f i l p q t"));
  ASSERT_TRUE(Xdotool({"key", "g"}));
  ASSERT_TRUE(PressKeyIn("Geometry Info", "Return"));
  ASSERT_TRUE(WaitUntilChildless(viewer->pid()));  // the viewer takes keys again
  EXPECT_NE(Stderr().find("Geometry Info: quad count : \n\n"), std::string::npos) << Stderr();
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
}

TEST_F(WindowE2E, DragAndArrowKeysTurnThePicture) {
  const std::string id = StartViewer();
  ASSERT_TRUE(WaitForTitle(id, kStartTitle));
  const auto start = WaitForPicture(id);
  ASSERT_TRUE(start.has_value());
  // Hold the button and keep moving right until a frame shows the turn (a
  // frame must be drawn while the button is still down).
  ASSERT_TRUE(Xdotool({"mousemove", "--window", id, "256", "256", "mousedown", "1"}));
  bool turned = false;
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  for (int step = 0; !turned && std::chrono::steady_clock::now() < end; ++step) {
    Xdotool({"mousemove", "--window", id, std::to_string(300 + step % 2), "256"});
    const auto now = CaptureWindow(id);
    turned = now && CountDifferences(*now, *start) > 200;
  }
  ASSERT_TRUE(Xdotool({"mouseup", "1"}));
  ASSERT_TRUE(turned) << "a drag turns the volume";
  const auto dragged = CaptureWindow(id);
  ASSERT_TRUE(dragged.has_value());
  ASSERT_TRUE(
      Xdotool({"windowfocus", "--sync", id, "keydown", "Up", "sleep", "0.3", "keyup", "Up"}));
  EXPECT_TRUE(WaitForNewPicture(id, *dragged)) << "the up arrow tilts it";
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
}

TEST_F(WindowE2E, TheCloseCommandEndsWith0) {
  const std::string id = StartViewer();
  ASSERT_TRUE(WaitForTitle(id, kStartTitle));
  EXPECT_EQ(RunToEnd({SEND_CLOSE, id}), 0);
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
  EXPECT_EQ(Stderr(), "");
}

TEST_F(WindowE2E, WithoutADisplayNoWindowIsCreated) {
  LaunchOptions options = Options();
  options.environment["DISPLAY"] = std::nullopt;
  options.environment["WAYLAND_DISPLAY"] = std::nullopt;
  Process noWindow({QARMEL_BINARY, QARMEL_SAMPLE}, options);
  EXPECT_EQ(noWindow.WaitForExit(seconds(30)), 1);
  EXPECT_EQ(Stderr(), "Error: CreateWindow() failed.\n");
}

}  // namespace
