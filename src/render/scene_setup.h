// The whole initial OpenGL state of a new rendering context, in one pass:
// both cameras, fog, culling, depth test, dithering, lighting and material,
// the states that stay off, clear colours, texturing and the texture.
#pragma once

#include <GL/gl.h>

#include <cstdint>

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
// Where the polar camera's fog starts and ends for a volume that wide.
float PolarFogStart(double width);
float PolarFogEnd(double width);
