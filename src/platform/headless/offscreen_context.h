// A real OpenGL context with no display: Mesa's EGL "surfaceless" platform,
// a compatibility-profile context (legacy calls work) and a pbuffer to draw
// into. Tests, benchmarks and offscreen tools render here.
#pragma once

#include <string>

namespace platform::headless {

class OffscreenContext {
 public:
  OffscreenContext() = default;
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  // Creates the context with a width x height pbuffer (RGBA 8/8/8/8, depth
  // 16); false with a reason in error() when EGL cannot give one.
  bool Create(int width, int height);
  // Creates it again, sharing the display lists of `other`.
  bool ShareListsOf(const OffscreenContext& other);
  bool MakeCurrent();
  // Leaves no context current on this thread.
  void Detach();
  void Release();

  int width() const { return width_; }
  int height() const { return height_; }
  const std::string& error() const { return error_; }

 private:
  void* display_ = nullptr;
  void* surface_ = nullptr;
  void* context_ = nullptr;
  bool CreateSharing(int width, int height, void* sharedContext);
  int width_ = 0;
  int height_ = 0;
  std::string error_;
};

// Leaves no offscreen context current on this thread, whichever it was.
void DetachCurrentContext();

}  // namespace platform::headless
