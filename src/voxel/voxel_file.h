// Loading the one volume file of a run, whatever its format: the reader is
// chosen by the file's content, a scan (NIfTI-1, NRRD, MetaImage, plain or
// compressed) or else CUB; NIfTI-2 is known and refused.
#pragma once

#include "voxel/scan_layout.h"
#include "voxel/voxspace.h"

// The loaded volume (the caller releases it with FreeVoxSpace), or none.
// Anything not recognised as a scan goes to LoadCub, boxes and all, and
// keeps `facts` at their defaults (a CUB file has no voxel size). A scan is
// reoriented for the start-up mirror and `facts` receives its voxel size;
// one that cannot be read gives none, with "LoadNifti(): REASON" (or
// LoadNrrd, LoadMetaImage) on standard error.
VOXSPACE* LoadVoxelFile(const char* path, VolumeFacts& facts);
