// Procedural volumes, built from simple solids in coordinates that run from
// -1 to 1 across the box (y up, z towards the viewer's start position).
#pragma once

#include <cstdint>

#include "cub_writer.h"

// A head of ellipsoids: skull shell, brain with two ventricles, eyes, nose
// and neck, with the upper right quarter cut away to show the layers.
CubVolume MakeHeadPhantom(std::uint32_t edge);
// The same head in a box of any shape (181 x 217 x 181 is an atlas's).
CubVolume MakeHeadPhantom(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ);

// A sphere shell, 0.7 to 0.9 of the half edge.
CubVolume MakeHollowSphere(std::uint32_t edge);

// Smooth value noise (two octaves on lattices of 32 and 8 voxels)
// thresholded at its middle: a tangle of blobs and tunnels, like a
// thresholded scan, with a surface of millions of faces at 256^3.
CubVolume MakeNoiseField(std::uint32_t edge, std::uint32_t seed);
CubVolume MakeNoiseField(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                         std::uint32_t seed);

// The head phantom as a thresholded scan shows it: the brain breaks up
// into fine tissue (noise on a lattice of 4 voxels), so its surface is
// made of short runs of faces, as a real scan's is.
CubVolume MakeScanPhantom(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                          std::uint32_t seed);

// The head phantom as a label volume from a segmentation: the brain split
// into `regions` labelled parcels (2, 3, ...: the nearest of as many random
// centres), the skull label 1, the other tissues their own labels.
CubVolume MakeAtlasPhantom(std::uint32_t edge, std::uint32_t regions, std::uint32_t seed);

// Each voxel solid with probability one half: the worst case for anything
// that walks the surface.
CubVolume MakeRandomHalf(std::uint32_t edge, std::uint32_t seed);
