// The one pixel format both backends give every rendering context, so that
// the window and an offscreen render of the same frame match pixel for
// pixel. The depth buffer is deeper than the 16 bits the program asks for
// (a request may be granted more): with the near plane at 0.1, one step of
// a 16-bit buffer is about 20 voxels deep at the start distance of a
// 181-voxel-wide volume; 24 bits make it about a tenth of a voxel.
#pragma once

namespace platform {

constexpr int kColorChannelBits = 8;
constexpr int kDepthBits = 24;

}  // namespace platform
