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
    const auto lit = std::count_if(shot->pixels.begin(), shot->pixels.end(),
                                   [](const auto& p) { return p[0] + p[1] + p[2] > 90; });
    if (lit > leastLit) return shot;
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
