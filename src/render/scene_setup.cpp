#include "render/scene_setup.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/app_state.h"
#include "surface/gl_capability.h"

void SetTextureFilter(GLint filter) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

double SceneWidth() {
  return theVolume ? theVolume->dimX * static_cast<double>(theSurface.voxelSize[0]) : 0;
}

float StartDistance(double width) {
  // Whole units, counted as an unsigned width would count them: a volume
  // narrower than 2 lands far away rather than behind the eye.
  return static_cast<float>(static_cast<std::uint32_t>(static_cast<std::int64_t>(2 * width - 4)));
}

void PlaceFog() {
  if (!theVolume) return;
  // The volume's centre is the origin: in front of the polar camera at its
  // distance, and as far from the fly camera as its position is.
  const float* p = flyCam.position;
  const float centre = appSettings.polarMode ? polarCam.distance
                                             : std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  const float offset = 0.375f * StartDistance(SceneWidth());
  glFogf(GL_FOG_START, std::max(0.0f, centre - offset));
  glFogf(GL_FOG_END, centre + offset);
}

namespace {

// The far plane of both cameras while a volume is loaded: as far as a float
// reaches, which gluPerspective turns into a projection with no far plane
// at all. The polar camera's distance has no bounds and the visibility
// query's triangles lie on the far side of the volume's box, so any finite
// far plane would cut the volume at some distance the user can zoom to.
// Depth precision hangs on the near plane alone (the depth of an eye
// distance z is about 1 - zNear / z), so nothing is lost by it.
constexpr float kUnboundedFar = std::numeric_limits<float>::max();

void SetUpCameras() {
  polarCam.aspect = 1;
  PlacePolarCameraAtStart(polarCam);
  ApplyProjection(polarCam);
  ApplyPolarView(polarCam);
  flyCam.aspect = 1;
  PlaceFlyCameraAtStart(flyCam);
  ApplyProjection(flyCam);
  ApplyFlyView(flyCam);  // last: its matrices stay in force, GL_MODELVIEW current
}

void SetUpFog() {
  SetCapability(GL_FOG, appSettings.fog);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  const GLfloat black[4] = {0, 0, 0, 1};
  glFogfv(GL_FOG_COLOR, black);
  glFogf(GL_FOG_START, 2);
  glFogf(GL_FOG_END, 6);
  PlaceFog();  // after the cameras: with a volume, its window follows them
  glHint(GL_FOG_HINT, GL_FASTEST);
}

void SetUpLightAndMaterial() {
  const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
  SetCapability(GL_LIGHTING, appSettings.lighting);

  // A directional light, given while the fly view is loaded.
  const GLfloat position[4] = {1, 4, 2, 0};
  const GLfloat diffuse[4] = {1, 1, 1, 1};
  const GLfloat black[4] = {0, 0, 0, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, position);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, black);
  glEnable(GL_LIGHT0);

  const GLfloat white[4] = {1, 1, 1, 1};
  glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, white);
  glMaterialfv(GL_FRONT, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT, GL_EMISSION, black);
  const GLfloat shininess = 0;
  glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}

void SetUpTexture() {
  SetCapability(GL_TEXTURE_2D, appSettings.texturing);
  glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_MODULATE));
  std::strncat(texturePath, exeDirectory, kTexturePathSize - 1 - std::strlen(texturePath));
  std::strncat(texturePath, "texture.bmp", kTexturePathSize - 1 - std::strlen(texturePath));
  theTexture.ReadBMP(texturePath);  // on failure the parameters go to the default texture
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  const GLint filter = appSettings.textureFiltering ? GL_LINEAR : GL_NEAREST;
  SetTextureFilter(filter);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT,
         appSettings.perspectiveCorrection ? GL_NICEST : GL_FASTEST);
}

}  // namespace

void PlacePolarCameraAtStart(OGLcamera& camera) {
  if (theVolume) {
    camera.fov = 55, camera.zNear = 0.1f, camera.zFar = kUnboundedFar;
    camera.heading = 336;
    const float a = -246 * DEG_TO_RAD;
    camera.direction[0] = std::cos(a), camera.direction[1] = 0, camera.direction[2] = -std::sin(a);
    camera.elevation = 340;
    camera.distance = StartDistance(SceneWidth());
  } else {
    camera.fov = 45, camera.zNear = 1, camera.zFar = 100;
    camera.heading = 340;
    const float a = -250 * DEG_TO_RAD;
    camera.direction[0] = std::cos(a), camera.direction[1] = 0, camera.direction[2] = -std::sin(a);
    SetElevation(camera, -6);
    camera.distance = 2;
  }
  camera.position[0] = camera.position[1] = camera.position[2] = 0;
}

void PlaceFlyCameraAtStart(OGLcamera& camera) {
  camera.position[0] = 0, camera.position[1] = 0, camera.roll() = 0;
  if (theVolume) {
    camera.fov = 55, camera.zNear = 0.1f, camera.zFar = kUnboundedFar;
    camera.position[2] = StartDistance(SceneWidth()) * 0.5f;
    camera.heading = 0, camera.elevation = 0;
  } else {
    camera.fov = 45, camera.zNear = 1, camera.zFar = 100;
    camera.position[2] = 2;
    camera.heading = 340, camera.elevation = -6;
  }
}

int SetupScene() {
  SetUpCameras();
  SetUpFog();
  SetCapability(GL_CULL_FACE, appSettings.culling);
  glFrontFace(GL_CCW);  // the visibility query relies on this winding and culled face
  glCullFace(GL_BACK);
  SetCapability(GL_DEPTH_TEST, appSettings.depthBuffer);
  SetCapability(GL_DITHER, appSettings.dithering);
  SetUpLightAndMaterial();
  constexpr GLenum kLogicOp = 0x0BF1;  // the index-mode logic operation
  const GLenum alwaysOff[] = {GL_NORMALIZE,      GL_ALPHA_TEST,     GL_BLEND,
                              GL_COLOR_MATERIAL, GL_POLYGON_SMOOTH, kLogicOp};
  for (GLenum off : alwaysOff) glDisable(off);
  glShadeModel(GL_FLAT);
  glPolygonMode(GL_FRONT, GL_FILL);
  glClearColor(0, 0, 0, 0);
  glClearAccum(0, 0, 0, 0);
  SetUpTexture();
  return 1;
}
