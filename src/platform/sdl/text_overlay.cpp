// SDL backend: the text overlay.
// Supports: TextOutA's text in white, a 5 x 7 font drawn twice its size,
//           for digits, '.', '-', blank and the letters f, i, n, p, s
//           (anything else is a box); drawn with OpenGL bitmaps into the
//           back buffer just before the swap, all GL state kept.
// Not supported: other fonts, colours or background modes.
#include "platform/sdl/text_overlay.h"

#include <GL/gl.h>

#include <map>
#include <vector>

#include "platform/common/window_record.h"

namespace platform::sdl {
namespace {

struct Glyph {
  char character;
  unsigned char rows[7];  // top row first, 5 bits each, leftmost bit 4
};

constexpr Glyph kGlyphs[] = {
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'f', {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}},
    {'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}},
    {'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
    {'s', {0x00, 0x00, 0x0F, 0x10, 0x0E, 0x01, 0x1E}},
};
constexpr unsigned char kBox[7] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};

constexpr int kScale = 2;
constexpr int kCellWidth = 6 * kScale;  // 5 columns and a gap
constexpr int kCellHeight = 7 * kScale;

struct PendingText {
  int x, y;
  std::string text;
};

std::map<HWND, std::vector<PendingText>>& Pending() {
  static std::map<HWND, std::vector<PendingText>> pending;
  return pending;
}

const unsigned char* RowsOf(char c) {
  for (const Glyph& g : kGlyphs)
    if (g.character == c) return g.rows;
  return kBox;
}

// The glyph scaled up, bottom row first as glBitmap wants, 2 bytes a row.
std::vector<GLubyte> Bitmap(char c) {
  const unsigned char* rows = RowsOf(c);
  std::vector<GLubyte> bits;
  for (int row = 6; row >= 0; --row) {
    unsigned wide = 0;
    for (int col = 0; col < 5; ++col) {
      if (rows[row] & (0x10 >> col)) wide |= 3u << (14 - 2 * col);
    }
    for (int repeat = 0; repeat < kScale; ++repeat) {
      bits.push_back(static_cast<GLubyte>(wide >> 8));
      bits.push_back(static_cast<GLubyte>(wide & 0xFF));
    }
  }
  return bits;
}

void DrawText(const PendingText& t, int width, int height) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor3f(1, 1, 1);
  // (x, y) is the text's top-left corner in client coordinates (y down).
  glRasterPos2i(t.x, height - t.y - kCellHeight);
  for (char c : t.text) {
    const std::vector<GLubyte> bits = Bitmap(c);
    glBitmap(16, kCellHeight, 0, 0, static_cast<GLfloat>(kCellWidth), 0, bits.data());
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
}

}  // namespace

void QueueText(HWND window, int x, int y, std::string text) {
  Pending()[window].push_back({x, y, std::move(text)});
}

void DrawPendingText(HWND window) {
  auto found = Pending().find(window);
  if (found == Pending().end() || found->second.empty()) return;
  GLint matrixMode = GL_MODELVIEW;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
  glDisable(GL_DEPTH_TEST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (const PendingText& t : found->second) DrawText(t, window->clientWidth, window->clientHeight);
  glPopClientAttrib();
  glPopAttrib();
  glMatrixMode(static_cast<GLenum>(matrixMode));
  found->second.clear();
}

}  // namespace platform::sdl
