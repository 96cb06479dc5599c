#include "x11_driver.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "process.h"

namespace {

std::string CommandOutput(const std::string& command) {
  std::string text;
  std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return text;
  char block[4096];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) text.append(block, n);
  pclose(pipe);
  return text;
}

std::string RootTree() { return CommandOutput("xwininfo -root -tree"); }

// A window shows in the tree as soon as it is created, but it takes the
// focus only once it is mapped: a box may be found a moment before that.
bool WaitUntilViewable(const std::string& windowId, std::chrono::steady_clock::duration deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (CommandOutput("xwininfo -id " + windowId).find("IsViewable") == std::string::npos) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace

std::optional<std::string> FindWindowMatching(const std::string& quotedStart) {
  // Lines look like:   0x600002 "LoadCub()": ()  200x100+540+308  +540+308
  std::istringstream lines(RootTree());
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(quotedStart);
    if (at == std::string::npos) continue;
    std::istringstream words(line);
    std::string id;
    words >> id;
    if (id.rfind("0x", 0) == 0) return id;
  }
  return std::nullopt;
}

std::optional<std::string> FindWindow(const std::string& title) {
  return FindWindowMatching(" \"" + title + "\":");
}

std::optional<std::string> WaitForWindowStartingWith(const std::string& prefix,
                                                     std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (auto id = FindWindowMatching(" \"" + prefix))
      return WaitUntilViewable(*id, end - std::chrono::steady_clock::now()) ? id : std::nullopt;
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::optional<std::string> WaitForWindow(const std::string& title,
                                         std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (auto id = FindWindow(title))
      return WaitUntilViewable(*id, end - std::chrono::steady_clock::now()) ? id : std::nullopt;
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool PressKey(const std::string& windowId, const std::string& key) {
  return WaitUntilViewable(windowId, std::chrono::seconds(30)) &&
         RunToEnd({"xdotool", "windowfocus", "--sync", windowId}) == 0 &&
         RunToEnd({"xdotool", "key", "--clearmodifiers", key}) == 0;
}

bool PressKeyIn(const std::string& title, const std::string& key) {
  const auto id = WaitForWindow(title);
  return id && PressKey(*id, key);
}

std::string WindowTitle(const std::string& windowId) {
  std::string title = CommandOutput("xdotool getwindowname " + windowId);
  while (!title.empty() && title.back() == '\n') title.pop_back();
  return title;
}

std::string FocusedWindow() {
  std::string id = CommandOutput("xdotool getwindowfocus");
  while (!id.empty() && id.back() == '\n') id.pop_back();
  return id;
}

bool WaitForTitle(const std::string& windowId, const std::string& title,
                  std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (WindowTitle(windowId) != title) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

bool Xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunToEnd(argv) == 0;
}

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

bool ParkPointer() { return Xdotool({"mousemove", "1279", "1023"}); }
