// One qarmel-shot picture per key command that changes what is drawn,
// compared with a baseline image kept in tests/data/keys/ at a stated
// tolerance, and each baseline compared with the picture the key must
// change, so that a dead key is caught.
//
// The baselines are made by this test, never by hand. After a deliberate
// change of the picture, regenerate them and look at every image before
// committing:
//
//   QARMEL_WRITE_BASELINES=1 ./build/default/tests/image_tests --gtest_filter='Keys/*'
//
// The volume is the head phantom at 64^3 with its first 16 slices cut off,
// so that it is open at one end like a scan cut short: culling and the
// strip lists' border faces then show.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cub_writer.h"
#include "image_compare.h"
#include "process.h"
#include "shapes.h"
#include "temp_dir.h"

namespace {

constexpr int kSize = 192;
// A picture matches its baseline when at most this share of its pixels
// differ by more than kChannelSlack in some channel; a key is alive when
// its picture differs from the one it changes in more than twice as many.
constexpr double kMostDifferentShare = 0.0005;
constexpr int kChannelSlack = 16;
const std::size_t kMostDifferent = static_cast<std::size_t>(kMostDifferentShare * kSize * kSize);

struct KeyCase {
  const char* file;     // tests/data/keys/FILE.png
  const char* keys;     // typed in order before the picture
  const char* camera;   // extra qarmel-shot options, or ""
  const char* changes;  // the case whose picture the keys must change
  const char* sameAs;   // a case whose picture it must keep, or nullptr
};

// Dithering (i) and the perspective hint (p) change no pixel on Mesa's
// llvmpipe, which dithers nothing at 8 bits per channel and interpolates
// texture coordinates with perspective always: i has no case, and p's case
// keeps the textured picture. The render-method keys keep the picture but for the
// border faces that only the strip lists hold; fast lighting gives exactly
// the lit colours, so key 3 shows only on the fly camera with lighting off,
// where the colours of the last polar frame replace white. The axes sit
// at the origin, inside the head: they show with the depth test off, close
// up, and unlit (lit, they take the surface's grey).
const KeyCase kCases[] = {
    {"default", "", "", nullptr, nullptr},
    {"fog-off", "f", "", "default", nullptr},
    {"lighting-off", "l", "", "default", nullptr},
    {"fast-lighting-off", "3", "", nullptr, "default"},
    {"depth-off", "d", "", "default", nullptr},
    {"culling-off", "c", "", "default", nullptr},
    {"quads", "1", "", "default", nullptr},
    {"quads-then-strips", "12", "", "quads", "default"},
    {"narrower-view", "v", "", "default", nullptr},
    {"wider-view", "V", "", "default", nullptr},
    {"close-unlit-depth-off", "dl", "--distance 10", "depth-off", nullptr},
    {"axes", "dlo", "--distance 10", "close-unlit-depth-off", nullptr},
    {"fly", "f0", "", "fog-off", nullptr},
    {"fly-unlit", "f0l", "", "fly", nullptr},
    {"fly-unlit-fast-lighting", "f0l3", "", "fly-unlit", nullptr},
    {"near", "", "--distance 30", "default", nullptr},
    {"near-texture", "t", "--distance 30", "near", nullptr},
    {"near-texture-filtered", "tq", "--distance 30", "near-texture", nullptr},
    {"near-texture-correction-hint", "tp", "--distance 30", "near", "near-texture"},
    {"merged", "m", "", nullptr, "default"},
    {"colours", "k", "", "default", nullptr},
    {"colours-merged", "km", "", "default", "colours"},
    {"smooth", "s", "", "default", nullptr},
    {"smooth-colours", "sk", "", "smooth", nullptr},
    {"smooth-twice", "ss", "", nullptr, "default"},
};

std::string BaselinePath(const std::string& file) {
  return std::string(QARMEL_BASELINE_DIR) + "/" + file + ".png";
}

// A picture of kSize by kSize pixels, or none.
std::optional<RgbImage> ReadPicture(const std::string& path) {
  auto png = ReadPng(path);
  if (!png || png->width != kSize || png->height != kSize) return std::nullopt;
  return std::move(png->rgb);
}

// The cut phantom as a CUB file, made once per process.
const std::string& VolumeFile() {
  static TempDir dir;
  static const std::string path = [] {
    CubVolume phantom = MakeHeadPhantom(64);
    CubVolume cut;
    cut.dimX = phantom.dimX, cut.dimY = phantom.dimY, cut.dimZ = phantom.dimZ - 16;
    const std::size_t slice = std::size_t{phantom.dimX} * phantom.dimY;
    cut.voxels.assign(phantom.voxels.begin() + 16 * slice, phantom.voxels.end());
    const std::string file = dir.File("cut-phantom.cub");
    EXPECT_EQ(WriteCubFile(file, cut), "");
    return file;
  }();
  return path;
}

std::optional<RgbImage> Render(const KeyCase& c, const TempDir& dir) {
  std::vector<std::string> argv = {
      QARMEL_SHOT,         VolumeFile(), "-o",
      dir.File("out.png"), "--size",     std::to_string(kSize) + "x" + std::to_string(kSize)};
  if (*c.keys) argv.insert(argv.end(), {"--keys", c.keys});
  if (*c.camera) {
    const std::string camera = c.camera;
    const auto blank = camera.find(' ');
    argv.insert(argv.end(), {camera.substr(0, blank), camera.substr(blank + 1)});
  }
  LaunchOptions quiet;
  quiet.stdoutFile = dir.File("stdout.txt");
  quiet.stderrFile = dir.File("stderr.txt");
  if (Process(argv, quiet).WaitForExit(std::chrono::seconds(60)) != 0) return std::nullopt;
  return ReadPicture(dir.File("out.png"));
}

class Keys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Keys, PictureMatchesItsBaselineAndTheKeyChangesIt) {
  const KeyCase& c = GetParam();
  TempDir dir;
  const auto picture = Render(c, dir);
  ASSERT_TRUE(picture) << "qarmel-shot failed: " << ReadTextFile(dir.File("stderr.txt"));
  if (std::getenv("QARMEL_WRITE_BASELINES")) {
    ASSERT_TRUE(
        stbi_write_png(BaselinePath(c.file).c_str(), kSize, kSize, 3, picture->data(), kSize * 3));
  }
  const auto baseline = ReadPicture(BaselinePath(c.file));
  ASSERT_TRUE(baseline) << "no baseline " << BaselinePath(c.file) << " (see the top of this file)";
  EXPECT_LE(CountDifferentPixels(*picture, *baseline, kChannelSlack), kMostDifferent)
      << "keys \"" << c.keys << "\"";

  if (c.changes) {
    const auto changed = ReadPicture(BaselinePath(c.changes));
    ASSERT_TRUE(changed);
    EXPECT_GT(CountDifferentPixels(*baseline, *changed, kChannelSlack), 2 * kMostDifferent)
        << "keys \"" << c.keys << "\" leave the picture of " << c.changes << " as it was";
  }
  if (c.sameAs) {
    const auto same = ReadPicture(BaselinePath(c.sameAs));
    ASSERT_TRUE(same);
    EXPECT_LE(CountDifferentPixels(*baseline, *same, kChannelSlack), kMostDifferent)
        << "keys \"" << c.keys << "\" change the picture of " << c.sameAs;
  }
}

std::string KeyCaseName(const ::testing::TestParamInfo<KeyCase>& info) {
  std::string name = info.param.file;
  for (char& ch : name)
    if (ch == '-') ch = '_';
  return name;
}

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.file; }

INSTANTIATE_TEST_SUITE_P(Keys, Keys, ::testing::ValuesIn(kCases), KeyCaseName);

}  // namespace
