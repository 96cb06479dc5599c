// Thumbnails for file managers: the solid voxels framed to fill the tile,
// smooth shading, colours by value for a label volume and a light from the
// viewer's side, so that a small tile still shows the shape; a volume with
// nothing to show gives a dim outline of its box, a tile that says so.
#pragma once

#include <string>
#include <vector>

#include "voxel/scan_layout.h"

// Before the window opens, so that the geometry is built once: smooth
// shading, and colours by value when the volume at `path` holds labels.
void PrepareThumbnail(const std::string& path, const VolumeFacts& facts);

// With the window open: the light, the framing, then the picture,
// width x height RGB, top row first.
std::vector<unsigned char> RenderThumbnail(int width, int height);
