#include "surface_reference.h"

#include <sstream>

namespace reference {
namespace {

bool Solid(const VOXSPACE& v, long x, long y, long z) {
  return v.data[x + static_cast<long>(v.dimX) * (y + static_cast<long>(v.dimY) * z)] != 0;
}

// Neighbour offsets of LEFT, RIGHT, DOWN, UP, BACK, FRONT.
const int kStep[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

bool Exposed(const VOXSPACE& v, long x, long y, long z, int d) {
  return Solid(v, x, y, z) && !Solid(v, x + kStep[d][0], y + kStep[d][1], z + kStep[d][2]);
}

float Low(std::uint32_t dim, long index) {
  return 1.0f * (static_cast<float>(index) - static_cast<float>(dim) / 2.0f);
}

}  // namespace

std::array<std::uint32_t, 6> CountFaces(const VOXSPACE& v) {
  std::array<std::uint32_t, 6> counts{};
  for (long z = 1; z + 1 < static_cast<long>(v.dimZ); ++z)
    for (long y = 1; y + 1 < static_cast<long>(v.dimY); ++y)
      for (long x = 1; x + 1 < static_cast<long>(v.dimX); ++x)
        for (int d = 0; d < 6; ++d) counts[d] += Exposed(v, x, y, z, d);
  return counts;
}

std::array<std::vector<Quad>, 6> BuildQuads(const VOXSPACE& v) {
  std::array<std::vector<Quad>, 6> quads;
  const long nx = v.dimX, ny = v.dimY, nz = v.dimZ;
  auto add = [&](int d, long x, long y, long z) {
    const float X = Low(v.dimX, x), Y = Low(v.dimY, y), Z = Low(v.dimZ, z);
    const float X1 = X + 1, Y1 = Y + 1, Z1 = Z + 1;
    switch (d) {
      case 0:
        quads[d].push_back(
            {{{X, Y, Z, 0, 0}, {X, Y, Z1, 1, 0}, {X, Y1, Z1, 1, 1}, {X, Y1, Z, 0, 1}}});
        break;
      case 1:
        quads[d].push_back(
            {{{X1, Y, Z, 0, 0}, {X1, Y1, Z, 0, 1}, {X1, Y1, Z1, 1, 1}, {X1, Y, Z1, 1, 0}}});
        break;
      case 2:
        quads[d].push_back(
            {{{X, Y, Z, 0, 0}, {X1, Y, Z, 1, 0}, {X1, Y, Z1, 1, 1}, {X, Y, Z1, 0, 1}}});
        break;
      case 3:
        quads[d].push_back(
            {{{X, Y1, Z, 0, 0}, {X, Y1, Z1, 0, 1}, {X1, Y1, Z1, 1, 1}, {X1, Y1, Z, 1, 0}}});
        break;
      case 4:
        quads[d].push_back(
            {{{X, Y, Z, 0, 0}, {X, Y1, Z, 0, 1}, {X1, Y1, Z, 1, 1}, {X1, Y, Z, 1, 0}}});
        break;
      case 5:
        quads[d].push_back(
            {{{X, Y, Z1, 0, 0}, {X1, Y, Z1, 1, 0}, {X1, Y1, Z1, 1, 1}, {X, Y1, Z1, 0, 1}}});
        break;
    }
  };
  for (long y = 1; y < ny - 1; ++y)
    for (long z = 1; z < nz - 1; ++z)
      for (long x = 1; x < nx - 1; ++x)
        for (int d : {4, 5, 2, 3})
          if (Exposed(v, x, y, z, d)) add(d, x, y, z);
  for (long y = 1; y < ny - 1; ++y)
    for (long x = 1; x < nx - 1; ++x)
      for (long z = 1; z < nz - 1; ++z)
        for (int d : {0, 1})
          if (Exposed(v, x, y, z, d)) add(d, x, y, z);
  return quads;
}

std::vector<Call> BuildStrips(const VOXSPACE& v, int d, bool textured) {
  static const float kNormal[6][3] = {{-1, 0, 0}, {1, 0, 0},  {0, -1, 0},
                                      {0, 1, 0},  {0, 0, -1}, {0, 0, 1}};
  std::vector<Call> calls = {{'N', kNormal[d][0], kNormal[d][1], kNormal[d][2]}};
  const long dims[3] = {v.dimX, v.dimY, v.dimZ};
  // outer, middle and run axes of each direction
  static const int kAxes[6][3] = {{0, 1, 2}, {0, 1, 2}, {1, 2, 0}, {1, 2, 0}, {2, 1, 0}, {2, 1, 0}};
  const int outer = kAxes[d][0], middle = kAxes[d][1], runAxis = kAxes[d][2];
  auto vertex = [&](float s, float t, float x, float y, float z) {
    if (textured) calls.push_back({'T', s, t});
    calls.push_back({'V', x, y, z});
  };
  for (long a = 1; a < dims[outer] - 1; ++a) {
    for (long b = 1; b < dims[middle] - 1; ++b) {
      long run = 0;
      for (long r = 0; r < dims[runAxis]; ++r) {
        long p[3];
        p[outer] = a;
        p[middle] = b;
        p[runAxis] = r;
        if (Exposed(v, p[0], p[1], p[2], d)) {
          ++run;
          const float X = Low(v.dimX, p[0]), Y = Low(v.dimY, p[1]), Z = Low(v.dimZ, p[2]);
          const float X1 = X + 1, Y1 = Y + 1, Z1 = Z + 1;
          const float n = static_cast<float>(run);
          // near edge (first face only), then the far edge
          struct Edge {
            float t0, x0, y0, z0, t1, x1, y1, z1;
          };
          Edge nearEdge{}, farEdge{};
          switch (d) {
            case 0:
              nearEdge = {1, X, Y1, Z, 0, X, Y, Z};
              farEdge = {1, X, Y1, Z1, 0, X, Y, Z1};
              break;
            case 1:
              nearEdge = {0, X1, Y, Z, 1, X1, Y1, Z};
              farEdge = {0, X1, Y, Z1, 1, X1, Y1, Z1};
              break;
            case 2:
              nearEdge = {1, X, Y, Z1, 0, X, Y, Z};
              farEdge = {1, X1, Y, Z1, 0, X1, Y, Z};
              break;
            case 3:
              nearEdge = {0, X, Y1, Z, 1, X, Y1, Z1};
              farEdge = {0, X1, Y1, Z, 1, X1, Y1, Z1};
              break;
            case 4:
              nearEdge = {0, X, Y, Z, 1, X, Y1, Z};
              farEdge = {0, X1, Y, Z, 1, X1, Y1, Z};
              break;
            case 5:
              nearEdge = {1, X, Y1, Z1, 0, X, Y, Z1};
              farEdge = {1, X1, Y1, Z1, 0, X1, Y, Z1};
              break;
          }
          if (run == 1) {
            calls.push_back({'B'});
            vertex(0, nearEdge.t0, nearEdge.x0, nearEdge.y0, nearEdge.z0);
            vertex(0, nearEdge.t1, nearEdge.x1, nearEdge.y1, nearEdge.z1);
          }
          vertex(n, farEdge.t0, farEdge.x0, farEdge.y0, farEdge.z0);
          vertex(n, farEdge.t1, farEdge.x1, farEdge.y1, farEdge.z1);
        } else if (run) {
          calls.push_back({'E'});
          run = 0;
        }
      }
      if (run) calls.push_back({'E'});
    }
  }
  return calls;
}

std::string Describe(const std::vector<Call>& calls) {
  std::ostringstream out;
  for (const Call& c : calls) out << c.kind << "(" << c.a << "," << c.b << "," << c.c << ") ";
  return out.str();
}

}  // namespace reference
