// The NIfTI-1 reader: single-file volumes (.nii), plain or gzipped, known
// by their content (a header size of 348 in either byte order and the
// magic "n+1" or "ni1"), never by their name. It reads the first volume of
// a series into one byte per voxel, x fastest, then y, then z, as the file
// stores it; each stored value, scaled by the header's slope and
// intercept, becomes its voxel byte through a rule the caller chooses.
// cubconvert and the viewer share it, so a converted file and the original
// hold the same voxels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "voxel/voxspace.h"

// One real value (scaling applied) to its voxel byte, 0 for empty.
using NiftiVoxelRule = std::function<std::uint8_t(double)>;

// The buffer for dimX*dimY*dimZ voxel bytes (zeroed or not), or none.
using NiftiVoxelBuffer =
    std::function<unsigned char*(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ)>;

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
// `buffer` may leave the bytes unset: each voxel is written once.
std::string ReadNifti(const std::string& path, const NiftiVoxelRule& rule,
                      const NiftiVoxelBuffer& buffer);

// A solid value's byte when values are kept: rounded and clamped to
// 1..255 (not a number gives 1).
std::uint8_t KeptVoxelValue(double value);

// The viewer's rule, cubconvert's --nonzero --keep-values: values other
// than 0 are solid and keep their label.
std::uint8_t NonZeroLabel(double value);

// The volume for the viewer (8 bits per voxel, the caller releases it with
// FreeVoxSpace), or none with the reason in `reason`.
VOXSPACE* LoadNifti(const char* path, std::string& reason);
