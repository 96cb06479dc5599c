// Straightforward versions of the surface rules, written from the rules
// themselves with plain loops and no shortcuts, to check the real builders
// (which are fast and therefore cleverer) against.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "voxel/voxspace.h"

namespace reference {

// Unit voxel spacing, as the builders take it.
inline constexpr float kUnitSpacing[3] = {1, 1, 1};

// Exposed faces of the interior per direction (LEFT, RIGHT, DOWN, UP, BACK, FRONT).
std::array<std::uint32_t, 6> CountFaces(const VOXSPACE& v);

struct Corner {
  float x, y, z, s, t;
  bool operator==(const Corner&) const = default;
};
using Quad = std::array<Corner, 4>;

// The quads of each direction in the order of the two passes.
std::array<std::vector<Quad>, 6> BuildQuads(const VOXSPACE& v);

// One call of a strip list: "N" normal, "B" begin, "T" texcoord, "V" vertex, "E" end.
struct Call {
  char kind;
  float a = 0, b = 0, c = 0;
  bool operator==(const Call&) const = default;
};
std::vector<Call> BuildStrips(const VOXSPACE& v, int direction, bool textured);

std::string Describe(const std::vector<Call>& calls);

}  // namespace reference
