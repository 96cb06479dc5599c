#include "shot_thumbnail.h"

#include <GL/gl.h>

#include "app/app_state.h"
#include "render/frame_display.h"
#include "shot_fit.h"
#include "surface/label_palette.h"
#include "voxel/label_volume.h"

namespace {

// Light 0 from over the viewer's shoulder, fixed to the eye: the faces
// turned towards the viewer are the bright ones.
void LightFromTheViewer() {
  const GLfloat position[4] = {0.3f, 0.5f, 1, 0};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glPopMatrix();
}

// The twelve edges of the volume's box in dim grey, in the view the frame
// left loaded.
void DrawBoxOutline() {
  float half[3];
  const std::uint32_t dim[3] = {theVolume->dimX, theVolume->dimY, theVolume->dimZ};
  for (int a = 0; a < 3; ++a) half[a] = theSurface.voxelSize[a] * static_cast<float>(dim[a]) / 2;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
  glColor3f(0.35f, 0.35f, 0.35f);
  glBegin(GL_LINES);
  for (int axis = 0; axis < 3; ++axis) {
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    for (int edge = 0; edge < 4; ++edge) {
      float from[3], to[3];
      from[u] = to[u] = edge & 1 ? half[u] : -half[u];
      from[v] = to[v] = edge & 2 ? half[v] : -half[v];
      from[axis] = -half[axis], to[axis] = half[axis];
      glVertex3fv(from);
      glVertex3fv(to);
    }
  }
  glEnd();
  glPopAttrib();
}

}  // namespace

void PrepareThumbnail(const std::string& path, const VolumeFacts& facts) {
  theSurface.smooth = true;
  theSurface.coloured =
      theVolume && IsLabelVolume(*theVolume, facts, !PaletteFileFor(path).empty());
}

std::vector<unsigned char> RenderThumbnail(int width, int height) {
  glShadeModel(GL_SMOOTH);
  LightFromTheViewer();
  const bool framed = FitShotCamera(width, height);
  DrawFrame();
  if (!framed && theVolume) DrawBoxOutline();
  glFlush();
  return ReadBackBuffer(width, height);
}
