// Loading the one volume file of a run, whatever its format: the reader is
// chosen by the file's content, NIfTI-1 (plain or gzipped) or else CUB;
// NIfTI-2 is known and refused.
#pragma once

#include "voxel/voxspace.h"

// The loaded volume (the caller releases it with FreeVoxSpace), or none.
// Anything not recognised as NIfTI goes to LoadCub, boxes and all; a
// NIfTI-1 file that cannot be read, or a NIfTI-2 file, gives none, with
// "LoadNifti(): REASON" on standard error.
VOXSPACE* LoadVoxelFile(const char* path);
