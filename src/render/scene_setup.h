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
// Where the polar camera's fog starts and ends for a volume dimX wide (the
// interior's width, unsigned as the volume's: a width below 2 wraps).
float PolarFogStart(std::uint32_t dimX);
float PolarFogEnd(std::uint32_t dimX);
