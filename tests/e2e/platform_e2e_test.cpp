// The viewer as a process on the desktop: its display going away under it,
// the helper programs it starts, and launchers that run it.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e_fixture.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

std::string FirstLine(const std::string& command) {
  std::string line;
  if (std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
    char text[256] = {};
    if (std::fgets(text, sizeof text, pipe)) line = text;
    pclose(pipe);
  }
  while (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

// Polls until the condition holds; false when the deadline passed first.
template <typename Condition>
bool WaitUntil(Condition condition, milliseconds deadline = seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return true;
}

// ----- The display goes away -----------------------------------------------

enum class Moment { kFileDialog, kWindowShown, kDrawing, kIdle, kBoxOpen };

struct LossCase {
  const char* name;
  Moment moment;
  int signal;
};

void PrintTo(const LossCase& c, std::ostream* out) { *out << c.name; }

class DisplayLossE2E : public E2ETest, public ::testing::WithParamInterface<LossCase> {
 protected:
  // An X server of this test's own, on a free display number, named in
  // DISPLAY for the viewer and for the test's own X tools. It does not
  // reset when its last client leaves (it would refuse connections
  // meanwhile).
  bool StartServer() {
    LaunchOptions options;
    options.stdoutFile = dir.File("display.txt");
    options.stderrFile = dir.File("server.txt");
    server = std::make_unique<Process>(
        std::vector<std::string>{"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp",
                                 "-screen", "0", "1024x768x24"},
        options);
    std::string number;
    const bool started = WaitUntil([&] {
      number = ReadTextFile(dir.File("display.txt"));
      return !number.empty() && number.back() == '\n';
    });
    if (!started) return false;
    number.pop_back();
    // Ready once it answers a client (zenity does not try again).
    return setenv("DISPLAY", (":" + number).c_str(), 1) == 0 && WaitUntil([] {
             return RunToEnd({"xwininfo", "-root"}) == 0;
           });
  }
  std::unique_ptr<Process> server;
};

// The viewer's main thread is blocked waiting for an event (poll or ppoll).
bool Waiting(pid_t pid) {
  const std::string call = ReadTextFile("/proc/" + std::to_string(pid) + "/syscall");
  return call.rfind("7 ", 0) == 0 || call.rfind("271 ", 0) == 0;
}

TEST_P(DisplayLossE2E, TheViewerEndsWithCode1WithinTwoSeconds) {
  ASSERT_TRUE(StartServer()) << ReadTextFile(dir.File("server.txt"));
  std::string id;
  if (GetParam().moment == Moment::kFileDialog) {
    viewer = std::make_unique<Process>(std::vector<std::string>{QARMEL_BINARY}, Options());
    ASSERT_TRUE(WaitForWindow("Open cuberille space")) << Stderr();
  } else {
    id = StartViewer();
    ASSERT_FALSE(id.empty()) << Stderr();
  }
  switch (GetParam().moment) {
    case Moment::kFileDialog:
    case Moment::kWindowShown:
      break;
    case Moment::kDrawing:
      ASSERT_TRUE(WaitForPicture(id));
      break;
    case Moment::kIdle: {
      // Without the focus the viewer stops drawing and waits for events.
      ASSERT_TRUE(WaitForPicture(id));
      const std::string root = FirstLine("xwininfo -root | awk '/Window id/ {print $4}'");
      ASSERT_TRUE(Xdotool({"windowfocus", "--sync", root}));
      ASSERT_TRUE(WaitUntil([&] { return Waiting(viewer->pid()); }));
      break;
    }
    case Moment::kBoxOpen:
      ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "g"}));
      ASSERT_TRUE(WaitForWindow("Geometry Info"));
      break;
  }
  ASSERT_EQ(kill(server->pid(), GetParam().signal), 0);
  EXPECT_EQ(viewer->WaitForExit(seconds(2)), 1) << Stderr();
  EXPECT_NE(Stderr().find(" is gone; ending\n"), std::string::npos) << Stderr();
}

INSTANTIATE_TEST_SUITE_P(
    Moments, DisplayLossE2E,
    ::testing::Values(LossCase{"TermInTheFileDialog", Moment::kFileDialog, SIGTERM},
                      LossCase{"KillInTheFileDialog", Moment::kFileDialog, SIGKILL},
                      LossCase{"TermWhenShown", Moment::kWindowShown, SIGTERM},
                      LossCase{"KillWhenShown", Moment::kWindowShown, SIGKILL},
                      LossCase{"TermWhileDrawing", Moment::kDrawing, SIGTERM},
                      LossCase{"KillWhileDrawing", Moment::kDrawing, SIGKILL},
                      LossCase{"TermWhenIdle", Moment::kIdle, SIGTERM},
                      LossCase{"KillWhenIdle", Moment::kIdle, SIGKILL},
                      LossCase{"TermInABox", Moment::kBoxOpen, SIGTERM},
                      LossCase{"KillInABox", Moment::kBoxOpen, SIGKILL}),
    [](const auto& info) { return std::string(info.param.name); });

// ----- Helper programs ------------------------------------------------------

// The ids of the processes whose parent is `parent`.
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  std::istringstream list(ReadTextFile("/proc/" + std::to_string(parent) + "/task/" +
                                       std::to_string(parent) + "/children"));
  for (pid_t child = 0; list >> child;) children.push_back(child);
  return children;
}

// The process's environment at its start, one "NAME=VALUE" per entry.
std::vector<std::string> EnvironmentOf(pid_t pid) {
  std::vector<std::string> entries;
  std::istringstream text(ReadTextFile("/proc/" + std::to_string(pid) + "/environ"));
  for (std::string entry; std::getline(text, entry, '\0');) entries.push_back(entry);
  return entries;
}

bool Has(const std::vector<std::string>& entries, const std::string& entry) {
  return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

enum class Helper { kBox, kFileDialog };

const char* NameOf(Helper helper) { return helper == Helper::kBox ? "Box" : "FileDialog"; }
void PrintTo(Helper helper, std::ostream* out) { *out << NameOf(helper); }

class HelperE2E : public DisplayE2ETest, public ::testing::WithParamInterface<Helper> {
 protected:
  // A bare X server: no session bus, nothing set for GTK.
  LaunchOptions Options() const override {
    LaunchOptions options = DisplayE2ETest::Options();
    options.environment["DBUS_SESSION_BUS_ADDRESS"] = std::nullopt;
    options.environment["GSETTINGS_BACKEND"] = std::nullopt;
    options.environment["NO_AT_BRIDGE"] = std::nullopt;
    return options;
  }
};

// The box or chooser gets the environment the viewer was given (the
// huge-page tunable taken out again, GTK kept quiet), and goes when the
// viewer is killed; the viewer runs by its own name.
TEST_P(HelperE2E, GetsTheUsersEnvironmentAndEndsWithTheViewer) {
  std::string title;
  if (GetParam() == Helper::kBox) {
    const std::string id = StartViewer();
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(Xdotool({"windowfocus", "--sync", id, "key", "g"}));
    title = "Geometry Info";
  } else {
    viewer = std::make_unique<Process>(std::vector<std::string>{QARMEL_BINARY}, Options());
    title = "Open cuberille space";
  }
  ASSERT_TRUE(WaitForWindow(title));
  EXPECT_EQ(ReadTextFile("/proc/" + std::to_string(viewer->pid()) + "/comm"), "qarmel\n");
  const std::vector<pid_t> children = ChildrenOf(viewer->pid());
  ASSERT_EQ(children.size(), 1u);
  const std::vector<std::string> environment = EnvironmentOf(children[0]);
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  const auto inherited = std::find_if(environment.begin(), environment.end(), [](const auto& e) {
    return e.rfind("GLIBC_TUNABLES=", 0) == 0;
  });
  EXPECT_EQ(inherited == environment.end() ? "" : *inherited,
            tunables ? std::string("GLIBC_TUNABLES=") + tunables : "");
  EXPECT_TRUE(Has(environment, "GSETTINGS_BACKEND=memory"));
  EXPECT_TRUE(Has(environment, "NO_AT_BRIDGE=1"));

  ASSERT_EQ(kill(viewer->pid(), SIGKILL), 0);  // the viewer alone, not its process group
  EXPECT_TRUE(WaitUntil([&] { return !FindWindow(title); }, seconds(10)))
      << "the " << title << " window stays after the viewer was killed";
}

INSTANTIATE_TEST_SUITE_P(Helpers, HelperE2E, ::testing::Values(Helper::kBox, Helper::kFileDialog),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

// ----- Launchers ------------------------------------------------------------

struct Launcher {
  const char* name;
  std::vector<std::string> command;  // put before the viewer's path
};

void PrintTo(const Launcher& c, std::ostream* out) { *out << c.name; }

class LauncherE2E : public E2ETest, public ::testing::WithParamInterface<Launcher> {};

// Started through a launcher, the viewer runs as itself (the huge-page
// restart would start the launcher again) and reports the bad file.
TEST_P(LauncherE2E, TheViewerRunsAndReportsTheBadFile) {
  std::vector<std::string> argv = GetParam().command;
  if (!argv.empty() && argv[0] == "valgrind" && RunToEnd({"valgrind", "--version"}) != 0)
    GTEST_SKIP() << "valgrind is not installed";
  const std::string bad = dir.Write("bad.cub", std::vector<std::uint8_t>{'J', 'U', 'N', 'K'});
  argv.insert(argv.end(), {QARMEL_BINARY, bad});
  LaunchOptions options = Options();
  options.environment["DISPLAY"] = std::nullopt;
  options.environment["WAYLAND_DISPLAY"] = std::nullopt;
  Process qarmel(argv, options);
  EXPECT_EQ(qarmel.WaitForExit(seconds(120)), 1) << Stderr();
  const std::string expected = "Tesmir error: cannot load " + bad + "\n";
  const std::string err = Stderr();
  EXPECT_TRUE(err.size() >= expected.size() &&
              err.compare(err.size() - expected.size(), expected.size(), expected) == 0)
      << err;
}

INSTANTIATE_TEST_SUITE_P(Launchers, LauncherE2E,
                         ::testing::Values(Launcher{"Direct", {}},
                                           Launcher{"DynamicLoader",
                                                    {"/lib64/ld-linux-x86-64.so.2"}},
                                           Launcher{"Valgrind", {"valgrind", "-q"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
