// Headless backend: the offscreen GL context.
// Supports: EGL surfaceless platform (Mesa), desktop OpenGL API, a
//           compatibility-profile context, one pbuffer of RGBA 8/8/8/8 with
//           a 24-bit depth buffer (platform/common/pixel_format.h).
// Not supported: accumulation buffers (EGL has none), multisampling.
#include "platform/headless/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include "platform/common/pixel_format.h"

namespace platform::headless {
namespace {

EGLDisplay SurfacelessDisplay() {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getPlatformDisplay) return EGL_NO_DISPLAY;
  return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

// The first config offered is 10/10/10/0: pick exact 8/8/8/8 with the
// window's depth ourselves.
EGLConfig ChooseRgba8Config(EGLDisplay display) {
  const EGLint wanted[] = {EGL_SURFACE_TYPE,
                           EGL_PBUFFER_BIT,
                           EGL_RENDERABLE_TYPE,
                           EGL_OPENGL_BIT,
                           EGL_RED_SIZE,
                           8,
                           EGL_GREEN_SIZE,
                           8,
                           EGL_BLUE_SIZE,
                           8,
                           EGL_ALPHA_SIZE,
                           8,
                           EGL_DEPTH_SIZE,
                           kDepthBits,
                           EGL_NONE};
  EGLConfig configs[64];
  EGLint count = 0;
  if (!eglChooseConfig(display, wanted, configs, 64, &count)) return nullptr;
  for (EGLint i = 0; i < count; ++i) {
    EGLint r = 0, g = 0, b = 0, a = 0, depth = 0;
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &r);
    eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &g);
    eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &b);
    eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &a);
    eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &depth);
    const int c = kColorChannelBits;
    if (r == c && g == c && b == c && a == c && depth == kDepthBits) return configs[i];
  }
  return count > 0 ? configs[0] : nullptr;
}

}  // namespace

OffscreenContext::~OffscreenContext() { Release(); }

bool OffscreenContext::Create(int width, int height) {
  return CreateSharing(width, height, EGL_NO_CONTEXT);
}

bool OffscreenContext::ShareListsOf(const OffscreenContext& other) {
  if (!other.context_) return false;
  return CreateSharing(width_, height_, other.context_);
}

bool OffscreenContext::CreateSharing(int width, int height, void* sharedContext) {
  Release();
  EGLDisplay display = SurfacelessDisplay();
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
    error_ = "no EGL surfaceless display";
    return false;
  }
  display_ = display;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error_ = "EGL cannot bind the OpenGL API";
    return false;
  }
  EGLConfig config = ChooseRgba8Config(display);
  if (!config) {
    error_ = "no EGL config for an RGBA pbuffer";
    return false;
  }
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  surface_ = eglCreatePbufferSurface(display, config, surfaceAttributes);
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context_ = eglCreateContext(display, config, sharedContext, contextAttributes);
  if (surface_ == EGL_NO_SURFACE || context_ == EGL_NO_CONTEXT) {
    error_ = "EGL cannot create the pbuffer or the context";
    return false;
  }
  width_ = width;
  height_ = height;
  return MakeCurrent();
}

bool OffscreenContext::MakeCurrent() {
  if (!display_ || !context_) return false;
  return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

void OffscreenContext::Detach() {
  if (display_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void DetachCurrentContext() {
  EGLDisplay display = eglGetCurrentDisplay();
  if (display != EGL_NO_DISPLAY)
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

void OffscreenContext::Release() {
  if (!display_) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(display_, context_);
  if (surface_) eglDestroySurface(display_, surface_);
  // The surfaceless display is one per process, shared by every context:
  // it is not terminated here.
  display_ = surface_ = context_ = nullptr;
  width_ = height_ = 0;
}

}  // namespace platform::headless
