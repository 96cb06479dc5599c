#include "voxel/voxel_file.h"

#include <cstdio>
#include <string>

#include "voxel/cub_reader.h"
#include "voxel/nifti_reader.h"

VOXSPACE* LoadVoxelFile(const char* path) {
  if (!IsNiftiFile(path)) return LoadCub(path);
  // The reason goes to standard error only: the caller's "cannot load"
  // box follows, and one failure should not cost the user two boxes.
  std::string reason;
  VOXSPACE* volume = LoadNifti(path, reason);
  if (!volume) std::fprintf(stderr, "LoadNifti(): %s\n", reason.c_str());
  return volume;
}
