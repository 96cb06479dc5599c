// The CUB reader: magic "CUB1", then tagged chunks (HEA1 header, DAT1 voxel
// bytes, ENDF end; any other tag is skipped), all numbers 32-bit
// little-endian. Failures are reported in message boxes captioned
// "LoadCub()"; the result is whatever volume was read, or none.
#pragma once

#include <cstdint>
#include <cstdio>

#include "voxel/voxspace.h"

// The loaded volume (the caller releases it with FreeVoxSpace), or none.
// A path that cannot be opened as a regular file gives none without a box,
// with "LoadCub(): cannot open PATH: REASON" on standard error. A volume no
// DAT1 filled is recorded as unfilled (SetVoxSpaceUnfilled).
VOXSPACE* LoadCub(const char* path);

// Reads the six header words (dimX, dimY, dimZ, bitsPerVoxel and two unused
// words); the body size is not looked at. 0 only when `words` is missing;
// words the file does not supply read as 0 and leave the file at its end.
int ReadHEA1chunk(std::FILE* file, std::uint32_t bodySize, std::uint32_t* words);

// Reads the voxel bytes into the volume: 1 when the body size equals the
// volume's dataSize (so never when that is above 2^32 - 1) and all of it
// was read.
int ReadDAT1chunk(std::FILE* file, std::uint32_t bodySize, VOXSPACE* volume);

// Passes over bodySize bytes: 1 when all were there, 0 when the file ended first.
int SkipChunk(std::FILE* file, std::uint32_t bodySize);
