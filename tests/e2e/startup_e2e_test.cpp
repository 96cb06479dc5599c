// The real qarmel binary and the real file chooser under Xvfb, driven with
// real key presses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace {

using std::chrono::seconds;

// The few bytes these runs need, spelled out. Built in one piece: appending
// to a vector here trips GCC 12's -Wstringop-overflow false positive at -O3.
std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class StartupE2E : public DisplayE2ETest {
 protected:
  // The file chooser keeps its settings in memory, away from the user's.
  LaunchOptions Options() const override {
    LaunchOptions options = DisplayE2ETest::Options();
    options.environment["GSETTINGS_BACKEND"] = "memory";
    return options;
  }
};

TEST_F(StartupE2E, LoadFailureShowsTheBoxesInOrderThenExits1) {
  const std::string bad = dir.Write("bad file.cub", Bytes("JUNK"));
  Process qarmel({QARMEL_BINARY, bad}, Options());
  ASSERT_TRUE(PressKeyIn("LoadCub()", "Return"));
  ASSERT_TRUE(PressKeyIn("Tesmir error", "Return"));
  EXPECT_EQ(qarmel.WaitForExit(seconds(30)), 1);
  EXPECT_EQ(Stderr(), "LoadCub(): not a cub file\nTesmir error: cannot load " + bad + "\n");
}

TEST_F(StartupE2E, CancelledDialogEndsWithCode0) {
  Process qarmel({QARMEL_BINARY}, Options());
  ASSERT_TRUE(PressKeyIn("Open cuberille space", "Escape"));
  ASSERT_TRUE(PressKeyIn("WinMain()", "Return"));
  EXPECT_EQ(qarmel.WaitForExit(seconds(30)), 0);
  // The chooser may add its own warnings; the box comes last.
  EXPECT_TRUE(EndsWith(Stderr(), "\nWinMain(): GetInputFile() failed\n") ||
              Stderr() == "WinMain(): GetInputFile() failed\n")
      << Stderr();
}

TEST_F(StartupE2E, DialogConfirmsTheProposedFile) {
  const std::string file = dir.Write("head.cub", Bytes("CUB1ENDF"));
  Process probe({DIALOG_PROBE, file}, Options());
  ASSERT_TRUE(PressKeyIn("Open cuberille space", "Return"));
  EXPECT_EQ(probe.WaitForExit(seconds(30)), 0);
  EXPECT_EQ(Stdout(), "result=1 path=" + file + " name=head.cub\n");
}

TEST_F(StartupE2E, WithoutADisplayBoxesGoToStandardErrorOnly) {  // and the program still ends
  LaunchOptions options = Options();
  options.environment["DISPLAY"] = std::nullopt;
  options.environment["WAYLAND_DISPLAY"] = std::nullopt;
  const std::string bad = dir.Write("bad.cub", Bytes("CUB1"));
  Process qarmel({QARMEL_BINARY, bad}, options);
  EXPECT_EQ(qarmel.WaitForExit(seconds(30)), 1);
  EXPECT_EQ(Stderr(),
            "LoadCub(): unexpected end of file found\nLoadCub(): error in file\n"
            "Tesmir error: cannot load " +
                bad + "\n");

  // No display, no dialog: the run ends as a cancel would.
  Process noDialog({QARMEL_BINARY}, options);
  EXPECT_EQ(noDialog.WaitForExit(seconds(30)), 0);
  EXPECT_EQ(Stderr(), "file dialog: no display to show it on\nWinMain(): GetInputFile() failed\n");
}

}  // namespace
