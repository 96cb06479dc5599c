// The NIfTI-1 reader: single-file volumes (.nii), plain or gzipped, known
// by their content (a header size of 348 in either byte order and the
// magic "n+1" or "ni1"), never by their name. It reads the first volume of
// a series into one byte per voxel, reoriented by the header's sform (else
// its qform, else the bare axes) so that the viewer shows the patient the
// right way round; each stored value, scaled by the header's slope and
// intercept, becomes its voxel byte through a rule the caller chooses.
// cubconvert and the viewer share it, so a converted file and the original
// hold the same voxels.
#pragma once

#include <string>

#include "voxel/scan_layout.h"
#include "voxel/scan_samples.h"
#include "voxel/voxspace.h"

// What a regular file holds by its first bytes (after gunzip when it
// starts with the gzip magic): a NIfTI-1 header, a NIfTI-2 one (known only
// to be refused by name), or neither. Other paths hold neither; they are
// never opened in a way that could block.
enum class NiftiKind { kNone, kNifti1, kNifti2 };
NiftiKind NiftiFileKind(const char* path);

// True when `path` is a regular file whose first 348 bytes are a NIfTI-1
// header.
bool IsNiftiFile(const char* path);

// Reads the volume into the buffer `buffer` gives; an empty text on
// success, else the reason, naming the file (one that cannot be opened, in
// the system's words; a damaged or cut short file; a header claiming more
// than the file can hold, refused before `buffer` is called; NIfTI-2; an
// unsupported data type; a volume of more than 2^32 - 1 voxels; no memory).
// `buffer` may leave the bytes unset: each voxel is written once. `facts`
// receives the drawn voxel size.
std::string ReadNifti(const std::string& path, const ScanVoxelRule& rule,
                      const ScanVoxelBuffer& buffer, VolumeFacts& facts);

// The volume for the viewer (8 bits per voxel, the caller releases it with
// FreeVoxSpace), or none with the reason in `reason`.
VOXSPACE* LoadNifti(const char* path, std::string& reason, VolumeFacts& facts);
