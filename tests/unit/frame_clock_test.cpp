#include "input/frame_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "app/frame_pacer.h"
#include "platform/headless/headless_control.h"
#include "render/frame_display.h"

namespace headless = platform::headless;

namespace {

class FrameClockTest : public ::testing::Test {
 protected:
  void TearDown() override { headless::ScriptPerformanceFrequency(std::nullopt); }
  void Start(std::int64_t frequency, std::int64_t firstSample) {
    headless::ScriptPerformanceFrequency(frequency);
    StartFrameClockFrequency(clock);
    headless::ScriptPerformanceCounter(firstSample);
    TakeFirstFrameClockSample(clock);
  }
  double Tick(std::int64_t sample) {
    headless::ScriptPerformanceCounter(sample);
    return TickFrameClock(clock);
  }
  FrameClock clock{};
};

TEST_F(FrameClockTest, MeasuresBetweenTicksModulo2To32) {
  Start(10000000, 1000);
  const double seconds = Tick(1000 + 166667);
  EXPECT_NEAR(seconds, 0.0166667, 1e-7);
  char text[kFpsTextSize];
  FormatFrameRate(seconds, text);
  EXPECT_STREQ(text, "60.00 fps");

  // Low 32 bits 2^32 - 16, then 16: 32 counts.
  Start(10000000, (std::int64_t{5} << 32) + 0xFFFFFFF0);
  EXPECT_DOUBLE_EQ(Tick((std::int64_t{6} << 32) + 16),
                   32 * static_cast<double>(1.0f / 10000000.0f));
  // An interval of 2^32 counts or more is taken modulo 2^32.
  Start(10000000, 0);
  EXPECT_DOUBLE_EQ(Tick((std::int64_t{1} << 32) + 10),
                   10 * static_cast<double>(1.0f / 10000000.0f));
}

TEST_F(FrameClockTest, NoCounterGivesZeroTimesAndANeutralReadout) {
  Start(std::int64_t{7} << 32, 0);  // low 32 bits 0: no usable counter
  EXPECT_EQ(clock.secondsPerCount, 0.0f);
  EXPECT_EQ(Tick(12345), 0.0);
  char text[kFpsTextSize];
  FormatFrameRate(0.0, text);
  EXPECT_STREQ(text, "-- fps");
}

}  // namespace

namespace {

// The pacer on a scripted counter of 1000 counts a second: frames are due
// a sixtieth of a second (16 counts) apart, a late frame moves the next
// deadline instead of bringing a burst, and QARMEL_UNPACED lifts it all.
TEST(FramePacer, FramesAreDueAtTheRefreshRate) {
  headless::ScriptPerformanceFrequency(1000);
  unsetenv("QARMEL_UNPACED");
  FramePacer pacer;
  headless::ScriptPerformanceCounter(0);
  StartFramePacing(pacer, nullptr);  // no display here: 60 Hz
  EXPECT_TRUE(pacer.paced);
  for (const auto& [now, drawnAt, nextWait] :
       {std::tuple{0, 2, 6}, std::tuple{16, 17, 14}, std::tuple{40, 70, 16}}) {
    headless::ScriptPerformanceCounter(now);
    EXPECT_EQ(MillisecondsToNextFrame(pacer), 0u) << "due at " << now;
    headless::ScriptPerformanceCounter(drawnAt);
    FrameDrawn(pacer);
    headless::ScriptPerformanceCounter(pacer.nextFrame - nextWait);
    EXPECT_EQ(MillisecondsToNextFrame(pacer), static_cast<DWORD>(nextWait)) << "after " << drawnAt;
  }
  setenv("QARMEL_UNPACED", "1", 1);
  StartFramePacing(pacer, nullptr);
  EXPECT_EQ(MillisecondsToNextFrame(pacer), 0u);
  unsetenv("QARMEL_UNPACED");
  headless::ScriptPerformanceFrequency(std::nullopt);
}

}  // namespace
