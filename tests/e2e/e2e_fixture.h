// What the end-to-end tests start from: a scratch folder for the programs
// they run, the viewer on the sample with its window found, and waits on
// what the window shows (each with a deadline).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "process.h"
#include "screenshot.h"
#include "temp_dir.h"
#include "x11_driver.h"

// The sample's window title at start: its name and the switches that are on.
inline const std::string kStartTitle = "Qarmel phantom.cub   c f i l p q z";

class E2ETest : public ::testing::Test {
 protected:
  // The programs run in dir, with standard output and error in files there.
  virtual LaunchOptions Options() const;
  std::string Stdout() const { return ReadTextFile(dir.File("stdout.txt")); }
  std::string Stderr() const { return ReadTextFile(dir.File("stderr.txt")); }

  // Runs qarmel-shot with these arguments to its end; its exit code, none
  // when the deadline passed first.
  std::optional<int> RunShot(const std::vector<std::string>& arguments,
                             std::chrono::seconds deadline = std::chrono::seconds(60));

  // Starts the viewer on the sample (ending the last one, if any) and
  // returns its window's id once the window is mapped, or empty.
  std::string StartViewer();

  TempDir dir;
  std::unique_ptr<Process> viewer;  // ends before dir goes
};

// For tests whose every run needs the X display.
class DisplayE2ETest : public E2ETest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HaveDisplay()) << "end-to-end tests need an X display (make test starts Xvfb)";
  }
};

// Polls the window until it shows the volume (more than `leastLit` lit
// pixels, some of them beyond the middle where a long build's bar lies), at
// this width unless it is 0; none after 20 seconds. The window is black
// before the first frame.
std::optional<Screenshot> WaitForPicture(const std::string& id, int width = 0,
                                         long leastLit = 1000);

// Polls the window until it shows exactly `picture`, for 20 seconds at
// most; the fewest pixels that differed (0 once one matched).
int FewestDifferences(const std::string& id, const Screenshot& picture);
