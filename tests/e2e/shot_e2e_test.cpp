// qarmel-shot renders what the viewer shows: the same code on the same
// Mesa, offscreen instead of in a window.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "process.h"
#include "screenshot.h"
#include "temp_dir.h"
#include "x11_driver.h"

namespace {

using std::chrono::seconds;

std::optional<Screenshot> ReadPng(const std::string& path) {
  int width = 0, height = 0, channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (!data) return std::nullopt;
  Screenshot image;
  image.width = width;
  image.height = height;
  for (int i = 0; i < width * height; ++i)
    image.pixels.push_back({data[3 * i], data[3 * i + 1], data[3 * i + 2]});
  stbi_image_free(data);
  return image;
}

TEST(ShotE2E, TheOffscreenPictureEqualsTheViewersWindow) {
  ASSERT_TRUE(HaveDisplay());
  TempDir dir;
  LaunchOptions quiet;
  quiet.stdoutFile = dir.File("shot-stdout.txt");
  ASSERT_EQ(Process({QARMEL_SHOT, QARMEL_SAMPLE, "-o", dir.File("shot.png")}, quiet)
                .WaitForExit(seconds(60)),
            0);
  const auto shot = ReadPng(dir.File("shot.png"));
  ASSERT_TRUE(shot.has_value());
  EXPECT_EQ(shot->width, 512);

  LaunchOptions options;
  options.stdoutFile = dir.File("stdout.txt");
  Process viewer({QARMEL_BINARY, QARMEL_SAMPLE}, options);
  const auto id = WaitForWindowStartingWith("Qarmel phantom.cub");
  ASSERT_TRUE(id.has_value());
  // The first frames are the same picture over and over: wait for one
  // that matches, within the deadline.
  int fewest = shot->width * shot->height;
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  while (fewest > 0 && std::chrono::steady_clock::now() < end) {
    if (const auto window = CaptureWindow(*id))
      fewest = std::min(fewest, CountDifferences(*window, *shot, 0));
  }
  EXPECT_EQ(fewest, 0) << "pixels that differ between the window and qarmel-shot";
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "key", "Escape"}));
  EXPECT_EQ(viewer.WaitForExit(seconds(30)), 0);
}

// The lines of a text file that end in ".png".
std::vector<std::string> PngLines(const std::string& path) {
  std::istringstream text(ReadTextFile(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) {
    if (line.size() > 4 && line.compare(line.size() - 4, 4, ".png") == 0) lines.push_back(line);
  }
  return lines;
}

// F12 saves the frame the window draws, which is qarmel-shot's picture after
// the same keys. Held past the auto-repeat delay it saves once, and a name
// in use is passed over.
TEST(ShotE2E, F12SavesTheWindowsFrameAsQarmelShotRendersIt) {
  ASSERT_TRUE(HaveDisplay());
  TempDir dir;
  LaunchOptions quiet;
  quiet.stdoutFile = dir.File("shot-stdout.txt");
  ASSERT_EQ(
      Process({QARMEL_SHOT, QARMEL_SAMPLE, "-o", dir.File("expected.png"), "--keys", "t"}, quiet)
          .WaitForExit(seconds(60)),
      0);
  const auto expected = ReadPng(dir.File("expected.png"));
  ASSERT_TRUE(expected.has_value());
  dir.Write("phantom-1.png", {'k', 'e', 'e', 'p'});

  LaunchOptions options;
  options.workingDirectory = dir.path();
  options.stdoutFile = dir.File("stdout.txt");
  Process viewer({QARMEL_BINARY, QARMEL_SAMPLE}, options);
  const auto id = WaitForWindowStartingWith("Qarmel phantom.cub");
  ASSERT_TRUE(id.has_value());
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "key", "t"}));
  ASSERT_TRUE(WaitForTitle(*id, "Qarmel phantom.cub   c f i l p q t z"));
  ASSERT_TRUE(Xdotool({"keydown", "F12", "sleep", "1.5", "keyup", "F12", "key", "F12"}));
  std::vector<std::string> saved;
  const auto end = std::chrono::steady_clock::now() + seconds(30);
  while ((saved = PngLines(dir.File("stdout.txt"))).size() < 2 &&
         std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(saved.size(), 2u) << ReadTextFile(dir.File("stdout.txt"));
  EXPECT_TRUE(std::filesystem::equivalent(saved[0], dir.File("phantom-2.png"))) << saved[0];
  EXPECT_TRUE(std::filesystem::equivalent(saved[1], dir.File("phantom-3.png"))) << saved[1];
  EXPECT_EQ(ReadTextFile(dir.File("phantom-1.png")), "keep");
  const auto frame = ReadPng(dir.File("phantom-2.png"));
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->width, expected->width);
  EXPECT_EQ(frame->height, expected->height);
  EXPECT_EQ(CountDifferences(*frame, *expected, 0), 0)
      << "pixels that differ between F12's frame and qarmel-shot";

  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", *id, "key", "Escape"}));
  EXPECT_EQ(viewer.WaitForExit(seconds(30)), 0);
  EXPECT_EQ(PngLines(dir.File("stdout.txt")).size(), 2u)
      << "one picture per press, none per repeat";
  EXPECT_FALSE(std::filesystem::exists(dir.File("phantom-4.png")));
}

// The window's rendering context gets the same deep depth buffer as the
// offscreen one, whatever the pixel-format request says.
TEST(ShotE2E, TheWindowsDepthBufferHasAtLeast24Bits) {
  ASSERT_TRUE(HaveDisplay());
  TempDir dir;
  LaunchOptions options;
  options.stdoutFile = dir.File("stdout.txt");
  ASSERT_EQ(Process({DEPTH_PROBE}, options).WaitForExit(seconds(30)), 0);
  const std::string output = ReadTextFile(dir.File("stdout.txt"));
  ASSERT_EQ(output.rfind("depth=", 0), 0u) << output;
  EXPECT_GE(std::stoi(output.substr(6)), 24);
}

TEST(ShotE2E, KeysAndCameraOptionsChangeThePicture) {
  TempDir dir;
  LaunchOptions quiet;
  quiet.stdoutFile = dir.File("stdout.txt");
  quiet.stderrFile = dir.File("stderr.txt");
  ASSERT_EQ(
      Process({QARMEL_SHOT, QARMEL_SAMPLE, "-o", dir.File("a.png"), "--size", "200x100"}, quiet)
          .WaitForExit(seconds(60)),
      0);
  ASSERT_EQ(Process({QARMEL_SHOT, QARMEL_SAMPLE, "-o", dir.File("b.png"), "--size", "200x100",
                     "--heading", "90", "--keys", "1l"},
                    quiet)
                .WaitForExit(seconds(60)),
            0);
  EXPECT_EQ(ReadTextFile(dir.File("stderr.txt")), "WndProc(): QUADS render method\n")
      << "box texts on stderr";
  const auto a = ReadPng(dir.File("a.png")), b = ReadPng(dir.File("b.png"));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->width, 200);
  EXPECT_EQ(a->height, 100);
  EXPECT_GT(CountDifferences(*a, *b), 500);

  // Errors: the program's name, a message, exit code 1, no image.
  EXPECT_EQ(Process({QARMEL_SHOT, dir.File("none.cub"), "-o", dir.File("c.png")}, quiet)
                .WaitForExit(seconds(30)),
            1);
  EXPECT_EQ(ReadTextFile(dir.File("stderr.txt")),
            "qarmel-shot: cannot load " + dir.File("none.cub") + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.png")));
  EXPECT_EQ(Process({QARMEL_SHOT, QARMEL_SAMPLE, "--size", "0x5", "-o", dir.File("d.png")}, quiet)
                .WaitForExit(seconds(30)),
            1);
  EXPECT_EQ(ReadTextFile(dir.File("stderr.txt")).rfind("qarmel-shot: ", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("d.png")));
  ASSERT_EQ(Process({QARMEL_SHOT, QARMEL_SAMPLE, "--info"}, quiet).WaitForExit(seconds(30)), 0);
  EXPECT_EQ(ReadTextFile(dir.File("stdout.txt")).rfind("quad count : \n\n", 0), 0u);
}

// --merged builds only the merged geometry, before the first frame: the
// picture is the one key m gives, and nearly the single faces' one.
TEST(ShotE2E, MergedStartShowsWhatKeyMShows) {
  TempDir dir;
  LaunchOptions quiet;
  quiet.stdoutFile = dir.File("stdout.txt");
  const std::vector<std::vector<std::string>> runs = {
      {"strips.png"}, {"m.png", "--keys", "m"}, {"merged.png", "--merged"}};
  for (const auto& run : runs) {
    std::vector<std::string> arguments = {QARMEL_SHOT, QARMEL_SAMPLE, "-o", dir.File(run[0])};
    arguments.insert(arguments.end(), run.begin() + 1, run.end());
    ASSERT_EQ(Process(arguments, quiet).WaitForExit(seconds(60)), 0) << run[0];
  }
  const auto strips = ReadPng(dir.File("strips.png")), keyM = ReadPng(dir.File("m.png")),
             merged = ReadPng(dir.File("merged.png"));
  ASSERT_TRUE(strips && keyM && merged);
  EXPECT_EQ(CountDifferences(*keyM, *merged, 0), 0);
  EXPECT_LE(CountDifferences(*strips, *merged, 0), strips->width * strips->height / 1000);
}

}  // namespace
