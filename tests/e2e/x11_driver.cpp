#include "x11_driver.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "process.h"

namespace {

std::string RootTree() {
  std::string text;
  std::FILE* pipe = popen("xwininfo -root -tree 2>/dev/null", "r");
  if (!pipe) return text;
  char block[4096];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, pipe)) > 0) text.append(block, n);
  pclose(pipe);
  return text;
}

}  // namespace

std::optional<std::string> FindWindow(const std::string& title) {
  // Lines look like:   0x600002 "LoadCub()": ()  200x100+540+308  +540+308
  std::istringstream lines(RootTree());
  const std::string quoted = " \"" + title + "\":";
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find(quoted);
    if (at == std::string::npos) continue;
    std::istringstream words(line);
    std::string id;
    words >> id;
    if (id.rfind("0x", 0) == 0) return id;
  }
  return std::nullopt;
}

std::optional<std::string> WaitForWindow(const std::string& title, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (auto id = FindWindow(title)) return id;
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool PressKey(const std::string& windowId, const std::string& key) {
  return RunToEnd({"xdotool", "windowfocus", "--sync", windowId}) == 0 &&
         RunToEnd({"xdotool", "key", "--clearmodifiers", key}) == 0;
}

bool PressKeyIn(const std::string& title, const std::string& key) {
  const auto id = WaitForWindow(title);
  return id && PressKey(*id, key);
}

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}
