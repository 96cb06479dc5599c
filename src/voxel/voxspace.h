// The in-memory cuberille space: a box of voxels, one byte each, x fastest,
// then y, then z (voxel (x, y, z) is data[x + y*dimX + z*dimX*dimY]).
#pragma once

#include <cstdint>

struct VOXSPACE {
  std::uint32_t dimX;
  std::uint32_t dimY;
  std::uint32_t dimZ;
  std::uint32_t bitsPerVoxel;  // as the file states it; only sizes dataSize
  std::int32_t compressed;     // never set by this program: every volume is raw
  std::uint64_t dataSize;      // dimX*dimY*dimZ*bitsPerVoxel / 8, rounded down, exact; a DAT1
                               // body must hold this many bytes, so above 2^32 - 1 none can
  unsigned char* data;         // at least max(dataSize, dimX*dimY*dimZ, 1) bytes, owned
};

// A zeroed volume, or none after a "Dromb - error" box.
VOXSPACE* InitVoxSpace(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                       std::uint32_t bitsPerVoxel);

// Releases the buffer and the record; accepts none; always 1.
int FreeVoxSpace(VOXSPACE* volume);

// Reverses the order of the z slices in place; 0 for none or when the
// scratch slice cannot be allocated (the volume is then unchanged). A volume
// recorded as unfilled is left as it is: reversing zeros changes nothing.
int MirrorVoxSpaceZ(VOXSPACE* volume);

// Whether a volume is recorded as never filled: all zeros because nothing
// wrote its voxels (a CUB header without data). Readers of the whole volume
// skip it, so a header declaring gigabytes costs no memory: its zeroed pages
// stay untouched. The record lives beside the volume, not in it;
// FreeVoxSpace forgets it, and whoever writes voxels into a recorded volume
// must clear it first. Recording may be refused (a full table): the volume
// is then read as any other, only slower.
void SetVoxSpaceUnfilled(const VOXSPACE* volume, bool unfilled);
bool IsVoxSpaceUnfilled(const VOXSPACE* volume);
