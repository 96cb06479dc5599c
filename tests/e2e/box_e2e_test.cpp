// Message boxes of the real viewer under Xvfb: how the help box lays out
// its tab stops, and many boxes in a row while the owner window is
// resized, re-exposed and typed at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "e2e_fixture.h"

namespace {

using std::chrono::seconds;

class BoxE2E : public DisplayE2ETest {
 protected:
  // In the sanitizer build the leak report does not change the exit code:
  // the test compares reports (the libraries keep a few blocks to the end).
  LaunchOptions Options() const override {
    LaunchOptions options = DisplayE2ETest::Options();
    const char* leakOptions = std::getenv("LSAN_OPTIONS");
    options.environment["LSAN_OPTIONS"] =
        std::string(leakOptions ? leakOptions : "") + ":exitcode=0";
    return options;
  }
  std::string Start() {
    const std::string id = StartViewer();
    return !id.empty() && WaitForTitle(id, kStartTitle) ? id : "";
  }
  // Until the box's window is gone and the viewer has reaped the box's
  // process: it takes input again only then.
  bool WaitUntilClosed(const std::string& title) {
    const auto end = std::chrono::steady_clock::now() + seconds(30);
    while (FindWindow(title))
      if (std::chrono::steady_clock::now() >= end) return false;
    return WaitUntilChildless(viewer->pid());
  }
};

// The blocks the leak checker reported at exit (0 without one).
int LeakedBlocks(const std::string& report) {
  const std::string summary = "SUMMARY: AddressSanitizer: ";
  const auto at = report.find(summary);
  if (at == std::string::npos) return 0;
  const auto in = report.find(" in ", at);
  return in == std::string::npos ? -1 : std::atoi(report.c_str() + in + 4);
}

// Text lines of a box: bands of rows with dark pixels, each with the
// horizontal runs of dark columns in it.
struct TextLine {
  std::vector<std::pair<int, int>> runs;  // [first, last] columns, left to right
};

bool Dark(const std::array<int, 3>& p) { return p[0] + p[1] + p[2] < 3 * 128; }

std::vector<TextLine> TextLines(const Screenshot& shot, int left, int bottom) {
  std::vector<TextLine> lines;
  int y = 0;
  while (y < bottom) {
    auto rowHasInk = [&](int row) {
      for (int x = left; x < shot.width; ++x)
        if (Dark(shot.At(x, row))) return true;
      return false;
    };
    if (!rowHasInk(y)) {
      ++y;
      continue;
    }
    const int top = y;
    while (y < bottom && rowHasInk(y)) ++y;
    TextLine line;
    for (int x = left; x < shot.width; ++x) {
      bool ink = false;
      for (int row = top; row < y && !ink; ++row) ink = Dark(shot.At(x, row));
      if (!ink) continue;
      if (!line.runs.empty() && line.runs.back().second == x - 1) {
        line.runs.back().second = x;
      } else {
        line.runs.push_back({x, x});
      }
    }
    lines.push_back(line);
  }
  return lines;
}

// The help text's lines with a single key in brackets, a tab, then the
// description ("[0] \t toggle polar / fly camera", ...): the descriptions
// start at one tab stop, with nothing drawn between bracket and description.
TEST_F(BoxE2E, TheHelpBoxSetsDescriptionsAtOneTabStop) {
  const std::string id = Start();
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "space"}));
  const auto box = WaitForWindow("Qarmel user interface");
  ASSERT_TRUE(box);
  // 36 lines of text, 8 before the key lines and 2 after "[-]" and "[v]",
  // then the toggles from "[0]" to "[x]" with the added keys ("[m]", "[k]",
  // "[s]", "[r]", the cut, label and threshold keys) right after; the box is
  // read until all of them are drawn.
  constexpr std::size_t kTextLines = 36, kFirstKeyLine = 10, kKeyLines = 23;
  std::vector<std::size_t> keyLines(kKeyLines);
  std::iota(keyLines.begin(), keyLines.end(), kFirstKeyLine);
  std::vector<TextLine> lines;
  const auto end = std::chrono::steady_clock::now() + seconds(20);
  while (lines.size() != kTextLines && std::chrono::steady_clock::now() < end) {
    const auto shot = CaptureWindow(*box);
    if (!shot || shot->height < 200) continue;
    // The text's left edge: where the lowest lines (below the icon) start;
    // the button row at the bottom is left out.
    const int bottom = shot->height - 60;
    int left = shot->width;
    for (int y = shot->height / 2; y < bottom; ++y)
      for (int x = 0; x < left; ++x)
        if (Dark(shot->At(x, y))) left = x;
    lines = TextLines(*shot, std::max(0, left - 2), bottom);
  }
  ASSERT_EQ(lines.size(), kTextLines);
  std::vector<int> descriptionStarts;
  for (const std::size_t i : keyLines) {
    const auto& runs = lines[i].runs;
    // "[k]" is drawn with gaps of a pixel or two; the tab leaves a wide one.
    std::size_t k = 1;
    while (k < runs.size() && runs[k].first - runs[k - 1].second <= 6) ++k;
    ASSERT_LT(k, runs.size()) << "line " << i;
    EXPECT_GE(runs[k].first - runs[k - 1].second, 10)
        << "line " << i << ": something stands after the bracket";
    EXPECT_LE(runs[k - 1].second - runs[0].first, 30)
        << "line " << i << ": more than [k] before the gap";
    descriptionStarts.push_back(runs[k].first);
  }
  EXPECT_EQ(std::count(descriptionStarts.begin(), descriptionStarts.end(), descriptionStarts[0]),
            static_cast<long>(keyLines.size()))
      << "descriptions start at x " << ::testing::PrintToString(descriptionStarts);
  ASSERT_TRUE(PressKey(*box, "Return"));
  ASSERT_TRUE(WaitUntilClosed("Qarmel user interface"));
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(30)), 0);
}

// What happens to the focus once a box has closed: on a bare X server it
// falls to the root and the viewer takes it back; a window manager gives
// it back at once (the test does that here).
enum class FocusAfterBox { kTakenBack, kGivenAtOnce };

const char* NameOf(FocusAfterBox focus) {
  return focus == FocusAfterBox::kTakenBack ? "TakenBackByTheViewer" : "GivenAtOnce";
}
void PrintTo(FocusAfterBox focus, std::ostream* out) { *out << NameOf(focus); }

class BoxFocusE2E : public BoxE2E, public ::testing::WithParamInterface<FocusAfterBox> {};

unsigned long WindowNumber(const std::string& id) { return std::stoul(id, nullptr, 0); }

// A key typed right after the box's window has gone (100 ms after, or as
// soon as the focus is back) is carried out: only input during the box
// is dropped.
TEST_P(BoxFocusE2E, AKeyTypedRightAfterTheBoxIsCarriedOut) {
  const std::string id = Start();
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "g"}));
  const auto box = WaitForWindow("Geometry Info");
  ASSERT_TRUE(box);
  ASSERT_TRUE(PressKey(*box, "Return"));
  const auto end = std::chrono::steady_clock::now() + seconds(30);
  while (FindWindow("Geometry Info")) ASSERT_LT(std::chrono::steady_clock::now(), end);
  const auto gone = std::chrono::steady_clock::now();
  if (GetParam() == FocusAfterBox::kGivenAtOnce) {
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id}));
  } else {
    std::string focus;
    while ((focus = FocusedWindow()).empty() || WindowNumber(focus) != WindowNumber(id))
      ASSERT_LT(std::chrono::steady_clock::now(), end) << "the focus stays on " << focus;
    std::this_thread::sleep_until(gone + std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(Xdotool({"key", "c"}));  // to the focused window
  EXPECT_TRUE(WaitForTitle(id, "Qarmel phantom.cub   f i l p q z", seconds(10))) << WindowTitle(id);
}

INSTANTIATE_TEST_SUITE_P(Focus, BoxFocusE2E,
                         ::testing::Values(FocusAfterBox::kTakenBack, FocusAfterBox::kGivenAtOnce),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

// A hundred boxes in a row, and while each is open the owner is resized,
// hidden and shown again (it must paint itself anew at its new size) and
// sent a key (dropped); afterwards it shows the picture it showed before,
// and ends leaving no more blocks behind than a run without boxes.
TEST_F(BoxE2E, HundredBoxesInARowWhileTheOwnerIsResizedExposedAndTyped) {
  const std::string plain = Start();
  ASSERT_FALSE(plain.empty());
  ASSERT_TRUE(WaitForPicture(plain, 512));
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", plain, "key", "Escape"}));
  ASSERT_EQ(viewer->WaitForExit(seconds(60)), 0) << Stderr();
  const int leakedWithoutBoxes = LeakedBlocks(Stderr());

  const std::string id = Start();
  ASSERT_FALSE(id.empty());
  const auto before = WaitForPicture(id, 512);  // the window is black before the first frame
  ASSERT_TRUE(before);
  constexpr int kBoxes = 100;
  for (int box = 1; box <= kBoxes; ++box) {
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "g"})) << "box " << box;
    const auto boxId = WaitForWindow("Geometry Info");
    ASSERT_TRUE(boxId) << "box " << box;
    // A key that got through during the last box came before this box's g.
    EXPECT_EQ(WindowTitle(id), kStartTitle)
        << "box " << box << ": the key typed during the last box got through";
    const std::string size = box % 2 ? "400" : "600";
    ASSERT_TRUE(Xdotool({"windowsize", "--sync", id, size, size})) << "box " << box;
    ASSERT_TRUE(Xdotool({"windowunmap", "--sync", id, "windowmap", "--sync", id})) << "box " << box;
    ASSERT_TRUE(WaitForPicture(id, std::stoi(size)))
        << "box " << box << ": the owner repaints at its new size";
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "c"})) << "box " << box;
    ASSERT_TRUE(PressKey(*boxId, "Return")) << "box " << box;
    ASSERT_TRUE(WaitUntilClosed("Geometry Info")) << "box " << box;
  }
  ASSERT_TRUE(Xdotool({"windowsize", "--sync", id, "512", "512"}));
  EXPECT_EQ(FewestDifferences(id, *before), 0)
      << "pixels that differ from the picture before the boxes (culling off shows)";
  ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "Escape"}));
  EXPECT_EQ(viewer->WaitForExit(seconds(60)), 0) << Stderr();
  const std::string err = Stderr();
  std::size_t boxes = 0;
  for (std::size_t at = err.find("Geometry Info: "); at != std::string::npos;
       at = err.find("Geometry Info: ", at + 1))
    ++boxes;
  EXPECT_EQ(boxes, static_cast<std::size_t>(kBoxes));
  EXPECT_EQ(LeakedBlocks(err), leakedWithoutBoxes) << err.substr(0, 4000);
}

}  // namespace
