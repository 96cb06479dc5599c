// qarmel-shot renders what the viewer shows: the same code on the same
// Mesa, offscreen instead of in a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cub_writer.h"
#include "e2e_fixture.h"
#include "image_compare.h"
#include "nifti_bytes.h"
#include "shapes.h"

namespace {

using std::chrono::seconds;

// A PNG file's picture, to compare with the window's.
std::optional<Screenshot> ReadShot(const std::string& path) {
  const auto png = ReadPng(path);
  if (!png) return std::nullopt;
  Screenshot image;
  image.width = png->width;
  image.height = png->height;
  for (std::size_t i = 0; i + 2 < png->rgb.size(); i += 3)
    image.pixels.push_back({png->rgb[i], png->rgb[i + 1], png->rgb[i + 2]});
  return image;
}

class ShotE2E : public E2ETest {};

TEST_F(ShotE2E, TheOffscreenPictureEqualsTheViewersWindow) {
  ASSERT_TRUE(HaveDisplay());
  ASSERT_EQ(RunShot({QARMEL_SAMPLE, "-o", dir.File("shot.png")}), 0);
  const auto shot = ReadShot(dir.File("shot.png"));
  ASSERT_TRUE(shot.has_value());
  EXPECT_EQ(shot->width, 512);

  const std::string id = StartViewer();
  ASSERT_FALSE(id.empty());
  // The first frames are the same picture over and over: wait for one
  // that matches, within the deadline.
  EXPECT_EQ(FewestDifferences(id, *shot), 0)
      << "pixels that differ between the window and qarmel-shot";
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
}

// The lines of a text that end in ".png".
std::vector<std::string> PngLines(const std::string& text) {
  std::istringstream lines(text);
  std::vector<std::string> found;
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 4 && line.compare(line.size() - 4, 4, ".png") == 0) found.push_back(line);
  }
  return found;
}

// F12 saves the frame the window draws, which is qarmel-shot's picture after
// the same keys. Held past the auto-repeat delay it saves once, and a name
// in use is passed over.
TEST_F(ShotE2E, F12SavesTheWindowsFrameAsQarmelShotRendersIt) {
  ASSERT_TRUE(HaveDisplay());
  ASSERT_EQ(RunShot({QARMEL_SAMPLE, "-o", dir.File("expected.png"), "--keys", "t"}), 0);
  const auto expected = ReadShot(dir.File("expected.png"));
  ASSERT_TRUE(expected.has_value());
  dir.Write("phantom-1.png", {'k', 'e', 'e', 'p'});

  const std::string id = StartViewer();  // in dir, where F12 saves
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "t"}));
  ASSERT_TRUE(WaitForTitle(id, "Qarmel phantom.cub   c f i l p q t z"));
  ASSERT_TRUE(Xdotool({"keydown", "F12", "sleep", "1.5", "keyup", "F12", "key", "F12"}));
  std::vector<std::string> saved;
  const auto end = std::chrono::steady_clock::now() + seconds(30);
  while ((saved = PngLines(Stdout())).size() < 2 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_EQ(saved.size(), 2u) << Stdout();
  EXPECT_TRUE(std::filesystem::equivalent(saved[0], dir.File("phantom-2.png"))) << saved[0];
  EXPECT_TRUE(std::filesystem::equivalent(saved[1], dir.File("phantom-3.png"))) << saved[1];
  EXPECT_EQ(ReadTextFile(dir.File("phantom-1.png")), "keep");
  const auto frame = ReadShot(dir.File("phantom-2.png"));
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->width, expected->width);
  EXPECT_EQ(frame->height, expected->height);
  EXPECT_EQ(CountDifferences(*frame, *expected, 0), 0)
      << "pixels that differ between F12's frame and qarmel-shot";

  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
  EXPECT_EQ(PngLines(Stdout()).size(), 2u) << "one picture per press, none per repeat";
  EXPECT_FALSE(std::filesystem::exists(dir.File("phantom-4.png")));
}

// The window's rendering context gets the same deep depth buffer as the
// offscreen one, whatever the pixel-format request says.
TEST_F(ShotE2E, TheWindowsDepthBufferHasAtLeast24Bits) {
  ASSERT_TRUE(HaveDisplay());
  ASSERT_EQ(Process({DEPTH_PROBE}, Options()).WaitForExit(seconds(30)), 0);
  const std::string output = Stdout();
  ASSERT_EQ(output.rfind("depth=", 0), 0u) << output;
  EXPECT_GE(std::stoi(output.substr(6)), 24);
}

TEST_F(ShotE2E, KeysAndCameraOptionsChangeThePicture) {
  ASSERT_EQ(RunShot({QARMEL_SAMPLE, "-o", dir.File("a.png"), "--size", "200x100"}), 0);
  ASSERT_EQ(RunShot({QARMEL_SAMPLE, "-o", dir.File("b.png"), "--size", "200x100", "--heading", "90",
                     "--keys", "1l"}),
            0);
  EXPECT_EQ(Stderr(), "WndProc(): QUADS render method\n") << "box texts on stderr";
  const auto a = ReadShot(dir.File("a.png")), b = ReadShot(dir.File("b.png"));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->width, 200);
  EXPECT_EQ(a->height, 100);
  EXPECT_GT(CountDifferences(*a, *b), 500);

  // Errors: the program's name, a message, exit code 1, no image.
  EXPECT_EQ(RunShot({dir.File("none.cub"), "-o", dir.File("c.png")}, seconds(30)), 1);
  EXPECT_EQ(Stderr(), "LoadCub(): cannot open " + dir.File("none.cub") +
                          ": No such file or directory\nqarmel-shot: cannot load " +
                          dir.File("none.cub") + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.png")));
  EXPECT_EQ(RunShot({QARMEL_SAMPLE, "--size", "0x5", "-o", dir.File("d.png")}, seconds(30)), 1);
  EXPECT_EQ(Stderr().rfind("qarmel-shot: ", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("d.png")));
  ASSERT_EQ(RunShot({QARMEL_SAMPLE, "--info"}, seconds(30)), 0);
  EXPECT_EQ(Stdout().rfind("quad count : \n\n", 0), 0u);
}

// --merged builds only the merged geometry, before the first frame: the
// picture is the one key m gives, and nearly the single faces' one.
TEST_F(ShotE2E, MergedStartShowsWhatKeyMShows) {
  const std::vector<std::vector<std::string>> runs = {
      {"strips.png"}, {"m.png", "--keys", "m"}, {"merged.png", "--merged"}};
  for (const auto& run : runs) {
    std::vector<std::string> arguments = {QARMEL_SAMPLE, "-o", dir.File(run[0])};
    arguments.insert(arguments.end(), run.begin() + 1, run.end());
    ASSERT_EQ(RunShot(arguments), 0) << run[0];
  }
  const auto strips = ReadShot(dir.File("strips.png")), keyM = ReadShot(dir.File("m.png")),
             merged = ReadShot(dir.File("merged.png"));
  ASSERT_TRUE(strips && keyM && merged);
  EXPECT_EQ(CountDifferences(*keyM, *merged, 0), 0);
  EXPECT_LE(CountDifferences(*strips, *merged, 0), strips->width * strips->height / 1000);
}

// Each way of choosing what is shown gives the picture of its twin: --cut
// that of the cut keys (z down to 48 from the high side: ; six times, ]
// 47 times; then x from 10: ; wraps to x's low side), --hide-labels that
// of the volume without the label, --labels that of the label alone. A
// 16-bit scan of the phantom (four times its values, in faint noise)
// starts at Otsu's threshold, between noise and phantom, and --threshold
// keeps the values above 255 that reach it, as cubconvert's does, and
// --threshold auto keeps what cubconvert's does.
TEST_F(ShotE2E, SelectionOptionsGiveThePicturesOfTheirTwins) {
  const CubVolume phantom = MakeHeadPhantom(96);  // values 100, 120, 150 and 200
  const auto keeping = [&](const std::string& name, auto keep) {
    CubVolume copy = phantom;
    for (auto& voxel : copy.voxels) voxel = keep(voxel) ? voxel : 0;
    EXPECT_EQ(WriteCubFile(dir.File(name), copy), "");
    return dir.File(name);
  };
  const std::string whole = keeping("whole.cub", [](int) { return true; });
  const std::string keys = ";;;;;;" + std::string(47, ']') + ";" + std::string(10, ']');
  NiftiFields fields;
  fields.dims[0] = fields.dims[1] = fields.dims[2] = 96;
  fields.datatype = 4, fields.bitpix = 16;  // DT_INT16
  std::vector<std::int16_t> values(phantom.voxels.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    values[i] = static_cast<std::int16_t>(phantom.voxels[i] ? 4 * phantom.voxels[i] + i % 4
                                                            : 1 + i * 7919 % 40);
  const std::string scan = dir.Write("scan.nii", MakeNifti(fields, values));
  LaunchOptions quiet;
  quiet.stdoutFile = dir.File("report.txt");
  const auto convert = [&](const std::string& name, const std::string& threshold) {
    EXPECT_EQ(Process({CUBCONVERT, scan, "-o", dir.File(name), "--threshold", threshold}, quiet)
                  .WaitForExit(seconds(60)),
              0);
    return dir.File(name);
  };
  const std::string converted = convert("converted.cub", "590");
  struct Twins {
    std::vector<std::string> option, twin;
  };
  const Twins twins[] = {
      {{whole, "--cut", "z:0:48", "--cut", "x:10:95"}, {whole, "--keys", keys}},
      {{whole, "--hide-labels", "120,200"},
       {keeping("no120.cub", [](int v) { return v != 120 && v != 200; })}},
      {{whole, "--labels", "150"}, {keeping("only150.cub", [](int v) { return v == 150; })}},
      {{scan}, {whole}},
      {{scan, "--threshold", "590"}, {converted}},
      {{scan, "--threshold", "auto"}, {convert("auto.cub", "auto")}},
      {{converted}, {keeping("from150.cub", [](int v) { return v == 150 || v == 200; })}}};
  for (const Twins& pair : twins) {
    SCOPED_TRACE(pair.option.back());
    std::vector<std::string> files;
    for (std::vector<std::string> run : {pair.option, pair.twin}) {
      files.push_back(dir.File(std::to_string(files.size()) + ".png"));
      for (const std::string& extra :
           {std::string("-o"), files.back(), std::string("--heading"), std::string("200")})
        run.push_back(extra);
      ASSERT_EQ(RunShot(run), 0);
    }
    const auto option = ReadShot(files[0]), twin = ReadShot(files[1]);
    ASSERT_TRUE(option && twin);
    EXPECT_EQ(CountDifferences(*option, *twin, 0), 0);
  }
}

}  // namespace
