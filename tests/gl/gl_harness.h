// A real Mesa context for the gl tests (EGL surfaceless pbuffer), and two
// ways to see what OpenGL got: feedback-mode triangles and pixels.
#pragma once

#include <GL/gl.h>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

constexpr int kPbufferSize = 64;

// Makes the shared context current; fails the test when there is none.
void UseGlContext();

struct FeedbackVertex {
  float x, y, z;  // object coordinates (the harness undoes its own scale)
  float s, t;
  float r, g, b;
  bool operator<(const FeedbackVertex& o) const;
  bool operator==(const FeedbackVertex& o) const;
};
using Triangle = std::array<FeedbackVertex, 3>;

// Runs `draw` in feedback mode with culling and lighting off and the scene
// scaled by 1/16 (so anything within +-16 units is inside the clip box),
// and returns the triangles with zero-area ones dropped, each rotated so
// its smallest vertex comes first (winding kept).
std::vector<Triangle> CaptureTriangles(const std::function<void()>& draw);

// The triangles as a sorted multiset, for comparisons that ignore order.
std::multiset<Triangle> AsSet(const std::vector<Triangle>& triangles);

// Reads the pbuffer's pixel (x, y) as RGB.
std::array<int, 3> PixelAt(int x, int y);

std::string Describe(const Triangle& t);
