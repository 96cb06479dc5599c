#include "voxel/voxel_file.h"

#include <cstdio>
#include <string>

#include "voxel/cub_reader.h"
#include "voxel/nifti_reader.h"

VOXSPACE* LoadVoxelFile(const char* path) {
  // NIfTI-2 goes to the NIfTI reader too, which refuses it by name rather
  // than let the CUB reader call it "not a cub file".
  if (NiftiFileKind(path) == NiftiKind::kNone) return LoadCub(path);
  // The reason goes to standard error only: the caller's "cannot load"
  // box follows, and one failure should not cost the user two boxes.
  std::string reason;
  VOXSPACE* volume = LoadNifti(path, reason);
  if (!volume) std::fprintf(stderr, "LoadNifti(): %s\n", reason.c_str());
  return volume;
}
