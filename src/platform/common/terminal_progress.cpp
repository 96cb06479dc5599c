#include "platform/common/terminal_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace platform {
namespace {

constexpr auto kQuiet = std::chrono::seconds(1);
constexpr auto kRedraw = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

TerminalProgress::TerminalProgress(std::string what)
    : what_(std::move(what)),
      terminal_(isatty(STDERR_FILENO) == 1),
      start_(std::chrono::steady_clock::now()) {}

TerminalProgress::~TerminalProgress() {
  if (drawn_) std::fputs("\r\033[K", stderr);  // the line the bar took, cleared
}

void TerminalProgress::Update(double share) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < kQuiet || (drawn_ && now - lastDrawn_ < kRedraw)) return;
  lastDrawn_ = now;
  drawn_ = true;
  const double done = std::clamp(share, 0.0, 1.0);
  const int filled = static_cast<int>(done * kBarWidth);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(kBarWidth, '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%", what_.c_str(), bar.c_str(), static_cast<int>(done * 100));
  std::fflush(stderr);
}

}  // namespace platform
