#include "e2e_fixture.h"

#include <algorithm>

using std::chrono::seconds;

LaunchOptions E2ETest::Options() const {
  LaunchOptions options;
  options.workingDirectory = dir.path();
  options.stdoutFile = dir.File("stdout.txt");
  options.stderrFile = dir.File("stderr.txt");
  return options;
}

std::optional<int> E2ETest::RunShot(const std::vector<std::string>& arguments, seconds deadline) {
  std::vector<std::string> argv = {QARMEL_SHOT};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Process(argv, Options()).WaitForExit(deadline);
}

std::string E2ETest::StartViewer() {
  viewer.reset();
  ParkPointer();  // the title shows the voxel under it: keep it off the picture
  viewer =
      std::make_unique<Process>(std::vector<std::string>{QARMEL_BINARY, QARMEL_SAMPLE}, Options());
  return WaitForWindowStartingWith("Qarmel phantom.cub").value_or("");
}

std::optional<Screenshot> WaitForPicture(const std::string& id, int width, long leastLit) {
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  while (std::chrono::steady_clock::now() < end) {
    auto shot = CaptureWindow(id);
    if (!shot || (width && shot->width != width)) continue;
    // A long build's bar fills the middle half of the window's width and
    // 3% of its height: a picture lit only there may be it.
    const auto inBar = [&](int x, int y) {
      return x >= shot->width / 4 - 2 && x <= shot->width * 3 / 4 + 2 &&
             y >= shot->height * 485 / 1000 - 2 && y <= shot->height * 515 / 1000 + 2;
    };
    long lit = 0, litBeyondBar = 0;
    for (int y = 0; y < shot->height; ++y)
      for (int x = 0; x < shot->width; ++x) {
        const auto& p = shot->At(x, y);
        if (p[0] + p[1] + p[2] <= 90) continue;
        ++lit;
        litBeyondBar += !inBar(x, y);
      }
    if (lit > leastLit && litBeyondBar > 20) return shot;
  }
  return std::nullopt;
}

int FewestDifferences(const std::string& id, const Screenshot& picture) {
  int fewest = picture.width * picture.height;
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  while (fewest > 0 && std::chrono::steady_clock::now() < end) {
    if (const auto window = CaptureWindow(id))
      fewest = std::min(fewest, CountDifferences(*window, picture, 0));
  }
  return fewest;
}
