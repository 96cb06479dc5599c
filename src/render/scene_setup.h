// The whole initial OpenGL state of a new rendering context, in one pass:
// both cameras, fog, culling, depth test, dithering, lighting and material,
// the states that stay off, clear colours, texturing and the texture.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "camera/ogl_camera.h"

constexpr int kTexturePathSize = 512;

// Needs the context current; always 1.
int SetupScene();

// The pieces of the state that key commands change again later (the
// capabilities with SetCapability).
void SetTextureFilter(GLint filter);  // GL_LINEAR or GL_NEAREST, both ways
// The loaded volume's drawn width along x in units of its smallest voxel
// edge (dimX for a CUB file or an isotropic scan), 0 without a volume: the
// scale of the scene, its camera distance and fog.
double SceneWidth();
// The polar camera's distance at start-up for a volume that wide.
float StartDistance(double width);
// The start view of each camera for the loaded volume (or for none): its
// field of view, planes, heading, elevation, and distance and pan or eye
// position; the aspect is left as the window made it. The matrices are
// the caller's to load.
void PlacePolarCameraAtStart(OGLcamera& camera);
void PlaceFlyCameraAtStart(OGLcamera& camera);
// Places the fog's window for the camera in use: it keeps the offsets from
// the volume's centre it has at start-up (0.375 of the start distance in
// front of the centre and behind it), clamped at the eye, so the volume
// meets the same fog at every distance: zooming out never fades it away,
// and the fly camera, which starts half way in, sees it. Without a volume
// the fog stays as it is.
void PlaceFog();
