// The records the surface geometry is made of. Vertex is OpenGL's
// interleaved layout: positions at byte 0, texture coordinates at byte 24,
// stride 32, so the quad arrays are drawn in place.
#pragma once

#include <cstddef>
#include <cstdint>

enum FaceDirection { LEFT = 0, RIGHT = 1, DOWN = 2, UP = 3, BACK = 4, FRONT = 5 };
constexpr int kFaceDirections = 6;

constexpr int QUADS = 1;
constexpr int TRISTRIP_DISPLIST = 2;

struct Vertex {
  float x, y, z;
  float color[3];  // with colours by value only; never read otherwise
  float s, t;
};
static_assert(sizeof(Vertex) == 32, "the vertex arrays are drawn with stride 32");
static_assert(offsetof(Vertex, x) == 0 && offsetof(Vertex, s) == 24,
              "positions at byte 0, texture coordinates at byte 24");

struct Quad {
  Vertex corners[4];  // in drawing order, counter-clockwise seen from outside
};
static_assert(sizeof(Quad) == 128);

// The colour of each voxel value, as OpenGL takes it.
using LabelColors = float[256][3];

// A vertex normal as OpenGL takes it in arrays: glNormalPointer(GL_BYTE,
// 4, ...), the fourth byte unused so that each is one aligned word.
struct PackedNormal {
  std::int8_t x, y, z, unused;
};

// The normals of one quad's corners, in the same order (smooth shading).
struct QuadNormals {
  PackedNormal corners[4];
};
static_assert(sizeof(QuadNormals) == 16);

struct QuadList {
  std::uint32_t quadCount;         // from the census; kept when the array is released
  Quad* quads;                     // owned; none when released or not built
  QuadNormals* normals = nullptr;  // owned, beside quads with smooth shading only
};
