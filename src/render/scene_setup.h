// The whole initial OpenGL state of a new rendering context, in one pass:
// both cameras, fog, culling, depth test, dithering, lighting and material,
// the states that stay off, clear colours, texturing and the texture.
#pragma once

constexpr int kTexturePathSize = 512;

// Needs the context current; always 1.
int SetupScene();
