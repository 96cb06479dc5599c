// A long session of the real viewer under Xvfb: random key commands (both
// render methods, texturing, lighting, fast lighting, camera switch, field
// of view, ...), zooms, drags and held arrow keys on a volume of some
// 300 000 faces, with the boxes of keys 1, 2, 3 and g closed as they come.
// Resident memory is sampled every 10 seconds: at the end it must stay
// within 5% of its maximum over the first minute.
//
// make test runs a 60-second session; the long one is run by hand:
//   QARMEL_SOAK_SECONDS=600 xvfb-run -a -s "-screen 0 1280x1024x24"
//       ctest --preset default -L soak --verbose      (one line)
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cub_writer.h"
#include "e2e_fixture.h"
#include "process.h"
#include "shapes.h"
#include "temp_dir.h"
#include "x11_driver.h"

namespace {

using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

long ResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

// Waits (at most 20 s) until the viewer has used no CPU for half a second:
// a rebuild in the background holds the old geometry and the new one.
void WaitUntilAtRest(pid_t pid) {
  const auto end = Clock::now() + seconds(20);
  long before = CpuTicks(pid);
  while (Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long now = CpuTicks(pid);
    if (now == before) return;
    before = now;
  }
}

int SoakSeconds() {
  const char* text = std::getenv("QARMEL_SOAK_SECONDS");
  return text && std::atoi(text) > 0 ? std::atoi(text) : 60;
}

// Closes the box with this caption once it shows, and waits until the
// viewer has reaped its process (it takes input again only then).
bool CloseBox(const std::string& caption, const Process& viewer) {
  const auto box = WaitForWindow(caption);
  if (!box || !PressKey(*box, "Return")) return false;
  return WaitUntilChildless(viewer.pid());
}

struct Command {
  const char* keys;  // xdotool key names, typed in order
  const char* box;   // the caption of the box the last key opens, or nullptr
};

const Command kCommands[] = {
    {"1", "WndProc()"}, {"2", "WndProc()"}, {"3", "WndProc()"}, {"g", "Geometry Info"},
    {"t", nullptr},     {"l", nullptr},     {"0", nullptr},     {"v", nullptr},
    {"V", nullptr},     {"c", nullptr},     {"d", nullptr},     {"f", nullptr},
    {"q", nullptr},     {"o", nullptr},     {"x", nullptr},     {"minus", nullptr},
    {"equal", nullptr},
};

TEST(SoakE2E, RandomCommandsForALongSessionKeepMemoryFlat) {
  ASSERT_TRUE(HaveDisplay());
  TempDir dir;
  const std::string volume = dir.File("noise.cub");
  ASSERT_EQ(WriteCubFile(volume, MakeNoiseField(160, 3)), "");
  LaunchOptions options;
  options.stdoutFile = dir.File("stdout.txt");
  options.stderrFile = dir.File("stderr.txt");
  ParkPointer();
  Process viewer({QARMEL_BINARY, volume}, options);
  const auto id = WaitForWindowStartingWith("Qarmel noise.cub", seconds(60));
  ASSERT_TRUE(id);
  // Keys typed while the first surface builds are dropped: the noise fills
  // far more of the window than the build's bar.
  ASSERT_TRUE(WaitForPicture(*id, 0, 50000));

  std::mt19937 random(20261207);
  const auto start = Clock::now();
  const auto end = start + seconds(SoakSeconds());
  auto nextSample = start;
  std::vector<std::pair<int, long>> samples;  // seconds since start, kilobytes
  while (Clock::now() < end) {
    ASSERT_TRUE(viewer.Running()) << ReadTextFile(dir.File("stderr.txt"));
    if (Clock::now() >= nextSample) {
      const auto at = std::chrono::duration_cast<seconds>(Clock::now() - start).count();
      samples.push_back({static_cast<int>(at), ResidentKilobytes(viewer.pid())});
      nextSample += seconds(10);
    }
    const std::string held =
        std::vector<std::string>{"a", "z", "Left", "Right", "Up", "Down"}[random() % 6];
    switch (random() % 4) {
      case 0: {
        const Command& c = kCommands[random() % std::size(kCommands)];
        ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "key", c.keys})) << c.keys;
        if (c.box) {
          ASSERT_TRUE(CloseBox(c.box, viewer)) << c.keys;
        }
        break;
      }
      case 1:  // a drag, Shift held now and then (a pan)
        ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "mousemove", "--window", *id, "256",
                             "256", "mousedown", "1", "mousemove", "--window", *id,
                             std::to_string(200 + random() % 112),
                             std::to_string(200 + random() % 112), "mouseup", "1"}));
        break;
      default:  // a held key: zoom or turn
        ASSERT_TRUE(Xdotool(
            {"windowfocus", "--sync", *id, "keydown", held, "sleep", "0.2", "keyup", held}));
    }
  }
  WaitUntilAtRest(viewer.pid());
  samples.push_back({SoakSeconds(), ResidentKilobytes(viewer.pid())});
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "key", "Escape"}));
  EXPECT_EQ(viewer.WaitForExit(seconds(60)), 0) << ReadTextFile(dir.File("stderr.txt"));

  // The last sample is the one judged: the baseline is the first minute
  // before it.
  long firstMinuteMost = 0;
  std::string trace;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto& [at, kilobytes] = samples[i];
    if (at < 60 && i + 1 < samples.size()) firstMinuteMost = std::max(firstMinuteMost, kilobytes);
    trace += std::to_string(at) + " s: " + std::to_string(kilobytes) + " KiB\n";
  }
  std::printf("resident memory of the viewer:\n%s", trace.c_str());
  ASSERT_GT(firstMinuteMost, 0);
  EXPECT_LE(samples.back().second, firstMinuteMost * 105 / 100) << trace;
}

}  // namespace
