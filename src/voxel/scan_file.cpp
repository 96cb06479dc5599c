#include "voxel/scan_file.h"

#include <cmath>
#include <cstdio>

#include "voxel/metaimage_reader.h"
#include "voxel/nifti_reader.h"
#include "voxel/nrrd_reader.h"

namespace {

// Headers written in single precision leave right angles a few
// millionths of a degree off: below this, axes count as the patient's.
constexpr double kObliqueDegrees = 0.01;

}  // namespace

ScanKind ScanFileKind(const char* path) {
  switch (NiftiFileKind(path)) {
    case NiftiKind::kNifti1:
      return ScanKind::kNifti1;
    case NiftiKind::kNifti2:
      return ScanKind::kNifti2;
    case NiftiKind::kNone:
      break;
  }
  if (IsNrrdFile(path)) return ScanKind::kNrrd;
  if (IsMetaImageFile(path)) return ScanKind::kMetaImage;
  return ScanKind::kNone;
}

std::string ReadScanFile(const std::string& path, ScanKind kind, const ScanVoxelRule& rule,
                         const ScanVoxelBuffer& buffer, VolumeFacts& facts) {
  std::string reason;
  switch (kind) {
    case ScanKind::kNifti1:
    case ScanKind::kNifti2:
      reason = ReadNifti(path, rule, buffer, facts);
      break;
    case ScanKind::kNrrd:
      reason = ReadNrrd(path, rule, buffer, facts);
      break;
    case ScanKind::kMetaImage:
      reason = ReadMetaImage(path, rule, buffer, facts);
      break;
    case ScanKind::kNone:
      return "not a NIfTI-1, NRRD or MetaImage file: " + path;
  }
  if (reason.empty() && facts.obliqueDegrees > kObliqueDegrees) {
    std::fprintf(stderr,
                 "%s: the volume's axes are oblique, %.2f degrees from the patient's; it is "
                 "shown along the nearest ones\n",
                 path.c_str(), facts.obliqueDegrees);
  }
  return reason;
}
