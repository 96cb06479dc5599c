// The process-wide state of the viewer: one window, one volume, one of
// each object. Everything is defined in globals.cpp, in construction order.
#pragma once

#include <cstddef>

#include "surface/ogl_cuberille.h"
#include "voxel/voxspace.h"

constexpr std::size_t kExeDirectorySize = 256;
constexpr std::size_t kInputPathSize = 260;  // the open dialog's limit
constexpr std::size_t kInputFileNameSize = 512;

extern char exeDirectory[kExeDirectorySize];    // with its trailing '/', or empty
extern char inputPath[kInputPathSize];          // the CUB file being viewed
extern char inputFileName[kInputFileNameSize];  // its name without the directory
extern VOXSPACE* theVolume;                     // owned by the shell from load to exit

extern OGLcuberille theSurface;  // the one surface object; no GL call until a context exists
