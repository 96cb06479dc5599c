#include "render/frame_display.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "render/scene_setup.h"

namespace {

// The camera's transforms as the surface was drawn with them.
void KeepDrawnView() {
  glGetDoublev(GL_MODELVIEW_MATRIX, drawnView.modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, drawnView.projection);
  glGetIntegerv(GL_VIEWPORT, drawnView.viewport);
  drawnView.valid = true;
}

}  // namespace

void DrawFrame() { DrawFrame(theSurface); }

void DrawFrame(OGLcuberille& surface) {
  glClear(appSettings.depthBuffer ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT
                                  : GL_COLOR_BUFFER_BIT);
  PlaceFog();  // the cameras may have moved since the last frame
  if (appSettings.polarMode) {
    ApplyPolarView(polarCam);
    surface.Draw(true);
  } else {
    ApplyFlyView(flyCam);
    surface.Draw(false);
  }
  KeepDrawnView();
  glColor3f(1, 1, 1);
  if (appSettings.showAxes) DrawAxes();
  glFlush();
}

void Display() {
  if (buildProgress.pending) {
    DrawBuildProgress(theSurface.directionsBuilt / static_cast<double>(kFaceDirections), true);
    SwapBuffers(deviceContext);
    return;
  }
  DrawFrame(SurfaceForFrame(standIn));
  // A long rebuild's share done, over the old picture.
  const double share = RebuildShareToShow(rebuild);
  if (share >= 0) DrawBuildProgress(share, false);
  SwapBuffers(deviceContext);
  const double seconds = TickFrameClock(frameClock);
  if (appSettings.showFps) {
    FormatFrameRate(seconds, fpsText);
    TextOutA(deviceContext, 0, 0, fpsText, static_cast<int>(std::strlen(fpsText)));
  }
}

void DrawBuildProgress(double share, bool alone) {
  if (alone) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // A bar across the middle half of the window, its frame dim, the share
  // done filled.
  const float left = -0.5f, right = 0.5f, bottom = -0.03f, top = 0.03f;
  const float filled = left + static_cast<float>(std::clamp(share, 0.0, 1.0)) * (right - left);
  glColor3f(0.4f, 0.4f, 0.4f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(left, bottom), glVertex2f(right, bottom), glVertex2f(right, top),
      glVertex2f(left, top);
  glEnd();
  glColor3f(0.85f, 0.85f, 0.85f);
  glRectf(left, bottom, filled, top);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  glFlush();
}

std::vector<unsigned char> ReadBackBuffer(int width, int height) {
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  // OpenGL's first row is the bottom one; an image's is the top one.
  std::vector<unsigned char> flipped(rgb.size());
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y)
    std::memcpy(&flipped[y * row], &rgb[(height - 1 - y) * row], row);
  return flipped;
}

void FormatFrameRate(double seconds, char (&text)[kFpsTextSize]) {
  if (seconds > 0) {
    std::snprintf(text, sizeof text, "%.2f fps", 1.0 / seconds);
  } else {
    std::snprintf(text, sizeof text, "-- fps");
  }
}

void Resize(int width, int height) {
  glViewport(0, 0, width, height);
  // A minimised window reports a height of 0: keep the aspect it had.
  if (height > 0) {
    const float aspect =
        static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
    polarCam.aspect = aspect;
    flyCam.aspect = aspect;
  }
  ApplyProjection(polarCam);
  ApplyProjection(flyCam);
  Display();
}

void DrawAxes() {
  glPointSize(3.0f);
  glBegin(GL_POINTS);
  glColor3f(0.7f, 0.7f, 1.0f);
  const float points[6][3] = {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
  for (const auto& p : points) glVertex3fv(p);
  glEnd();

  glColor3f(1, 1, 0);
  glBegin(GL_LINES);
  const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const auto& end : axes) {
    glVertex3f(0, 0, 0);
    glVertex3fv(end);
  }
  glEnd();

  // The letters X, Y and Z beyond the positive axis ends, From before To.
  glColor3f(1, 1, 1);
  glBegin(GL_LINES);
  const float letters[14][3] = {
      {1.0f, 0.1f, 0},  {1.2f, -0.1f, 0}, {1.0f, -0.1f, 0}, {1.2f, 0.1f, 0},   // X
      {0.1f, 1.2f, 0},  {-0.1f, 1.0f, 0}, {-0.1f, 1.2f, 0}, {0, 1.1f, 0},      // Y
      {0, 0.1f, 1.2f},  {0, 0.1f, 1.0f},  {0, 0.1f, 1.0f},  {0, -0.1f, 1.2f},  // Z
      {0, -0.1f, 1.2f}, {0, -0.1f, 1.0f}};
  for (const auto& v : letters) glVertex3fv(v);
  glEnd();
}
