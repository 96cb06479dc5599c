// Procedural volumes, built from simple solids in coordinates that run from
// -1 to 1 across the box (y up, z towards the viewer's start position).
#pragma once

#include <cstdint>

#include "cub_writer.h"

// A head of ellipsoids: skull shell, brain with two ventricles, eyes, nose
// and neck, with the upper right quarter cut away to show the layers.
CubVolume MakeHeadPhantom(std::uint32_t edge);

// A sphere shell, 0.7 to 0.9 of the half edge.
CubVolume MakeHollowSphere(std::uint32_t edge);
