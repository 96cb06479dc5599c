#include "voxel/voxel_file.h"

#include <cstdio>
#include <string>

#include "voxel/cub_reader.h"
#include "voxel/scan_file.h"
#include "voxel/scan_samples.h"

namespace {

const char* ReaderName(ScanKind kind) {
  switch (kind) {
    case ScanKind::kNrrd:
      return "LoadNrrd";
    case ScanKind::kMetaImage:
      return "LoadMetaImage";
    default:
      return "LoadNifti";
  }
}

}  // namespace

VOXSPACE* LoadVoxelFile(const char* path, VolumeFacts& facts) {
  facts = VolumeFacts{};
  // NIfTI-2 goes to the NIfTI reader too, which refuses it by name rather
  // than let the CUB reader call it "not a cub file".
  const ScanKind kind = ScanFileKind(path);
  if (kind == ScanKind::kNone) return LoadCub(path);
  // The reason goes to standard error only: the caller's "cannot load"
  // box follows, and one failure should not cost the user two boxes.
  VOXSPACE* volume = nullptr;
  const std::string reason = ReadScanFile(
      path, kind, NonZeroLabel,
      [&volume](std::uint32_t x, std::uint32_t y, std::uint32_t z) -> unsigned char* {
        volume = InitVoxSpace(x, y, z, 8);
        return volume ? volume->data : nullptr;
      },
      facts);
  if (reason.empty()) return volume;
  std::fprintf(stderr, "%s(): %s\n", ReaderName(kind), reason.c_str());
  FreeVoxSpace(volume);
  return nullptr;
}
