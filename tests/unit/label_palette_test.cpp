#include "surface/label_palette.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "temp_dir.h"

namespace {

int Distance(const std::uint8_t (&a)[3], const std::uint8_t (&b)[3]) {
  int sum = 0;
  for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]);
  return sum;
}

TEST(LabelPalette, BuiltInColoursAreWhiteForOneAndDistinctForTheRest) {
  const LabelPalette p = BuiltInPalette();
  EXPECT_EQ(Distance(p.rgb[1], {255, 255, 255}), 0);
  int closest = 3 * 255, closestNeighbours = 3 * 255;
  for (int a = 1; a < 256; ++a) {
    for (int b = a + 1; b < 256; ++b) closest = std::min(closest, Distance(p.rgb[a], p.rgb[b]));
    if (a < 255) closestNeighbours = std::min(closestNeighbours, Distance(p.rgb[a], p.rgb[a + 1]));
  }
  EXPECT_GE(closest, 12) << "no two values share a colour";
  EXPECT_GE(closestNeighbours, 150) << "neighbouring labels differ clearly";
}

TEST(LabelPalette, ColourTableLinesAreReadAndBadOnesReportedByNumber) {
  LabelPalette p = BuiltInPalette();
  std::vector<std::pair<int, std::string>> reports;
  const std::string text =
      "# value name r g b a\n"
      "\n"
      "2   Left-Cortex  10 20 30 0\n"
      "3\tRight\t40 50 60   # a comment after the colour\n"
      "2035 ctx-lh-insula 7 8 9\n"
      "2147483648 TooBig 1 2 3\n"
      "4 Short 1 2\n"
      "5 Long 1 2 3 4 5\n"
      "6 Negative -1 2 3\n"
      "7 Fraction 1.5 2 3\n"
      "x Named 1 2 3\n"
      "8 AlphaTooBig 1 2 3 256\n"
      "0 Unknown 7 8 9";  // no line break at the end
  const int read = ParsePalette(text, p, [&](int line, const std::string& t) {
    reports.push_back({line, t});
  });
  EXPECT_EQ(read, 4);
  EXPECT_EQ(Distance(p.rgb[2], {10, 20, 30}), 0);
  EXPECT_EQ(p.labels.at(2).name, "Left-Cortex");
  EXPECT_EQ(p.labels.at(2035).name, "ctx-lh-insula");  // beyond a byte: named, no byte's colour
  EXPECT_EQ(Distance(p.labels.at(2035).rgb, {7, 8, 9}), 0);
  EXPECT_EQ(Distance(p.rgb[3], {40, 50, 60}), 0);
  EXPECT_EQ(Distance(p.rgb[0], {7, 8, 9}), 0);
  EXPECT_EQ(Distance(p.rgb[4], BuiltInPalette().rgb[4]), 0) << "a bad line changes nothing";
  std::vector<int> lines;
  for (const auto& r : reports) lines.push_back(r.first);
  EXPECT_EQ(lines, (std::vector<int>{6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(reports.front().second, "2147483648 TooBig 1 2 3");
}

// A table whose first line gives value 2 a colour, padded with comments to
// exactly `bytes` bytes.
std::string TableOfSize(std::size_t bytes) {
  std::string text = "2 A 10 20 30\n";
  while (text.size() + 64 <= bytes) text += std::string(63, '#') + "\n";
  return text + std::string(bytes - text.size(), '#');
}

TEST(LabelPalette, FilesAreReadLineByLineWithinCapsElseIgnored) {
  struct Case {
    const char* name;
    std::string text;  // none for a FIFO
    bool loaded;
    std::string error;  // standard error after the path; empty for none
  };
  const Case cases[] = {
      {"CRLF lines, a bad one, the colour last without a break", "# c\r\nbad line\r\n2 A 10 20 30",
       true, ":2: not a colour line (value name r g b [a]), skipped\n"},
      {"a line of 512 bytes", "2 A 10 20 30\n#" + std::string(511, '#'), true, ""},
      {"a line of 513 bytes", "2 A 10 20 30\n#" + std::string(512, '#') + "\n", false,
       ":2: line longer than 512 bytes; colour table ignored\n"},
      {"1 MiB", TableOfSize(1 << 20), true, ""},
      {"1 MiB and a byte", TableOfSize((1 << 20) + 1), false,
       ": larger than 1 MiB; colour table ignored\n"},
      {"a FIFO", "", false, ": cannot open: not a regular file; colour table ignored\n"},
  };
  const LabelPalette builtIn = BuiltInPalette();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string path = dir.File("t.lut");
    if (c.text.empty()) {
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);  // an ordinary open would wait for a writer
    } else {
      path = dir.Write("t.lut", std::vector<std::uint8_t>(c.text.begin(), c.text.end()));
    }
    LabelPalette p = builtIn;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadPaletteFile(path, p), c.loaded);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.error.empty() ? "" : path + c.error);
    if (c.loaded) {
      EXPECT_EQ(Distance(p.rgb[2], {10, 20, 30}), 0);
    } else {
      EXPECT_EQ(Distance(p.rgb[2], builtIn.rgb[2]), 0) << "an ignored file changes no colour";
    }
  }
}

}  // namespace
