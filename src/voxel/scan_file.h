// The one place that tells a scanner format by a file's content and reads
// it: NIfTI-1, NRRD and MetaImage. (NIfTI-2 is known only to be refused by
// name.) Anything else is left to the CUB reader.
#pragma once

#include <string>

#include "voxel/scan_layout.h"

enum class ScanKind { kNone, kNifti1, kNifti2, kNrrd, kMetaImage };

// What a regular file holds by its first bytes; other paths hold none and
// are never opened in a way that could block.
ScanKind ScanFileKind(const char* path);

// Reads a scan of the given kind, reoriented so that the start-up mirror
// shows the patient facing the viewer, into the buffer `buffer` gives;
// `facts` receives the drawn voxel size. An empty text on success, else
// the reason naming the file. A volume whose axes are oblique is read
// along the nearest ones, and standard error says so once, with the angle.
std::string ReadScanFile(const std::string& path, ScanKind kind, const ScanVoxelRule& rule,
                         const ScanVoxelBuffer& buffer, VolumeFacts& facts);
