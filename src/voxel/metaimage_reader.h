// The MetaImage reader: .mha files (data inline, "ElementDataFile =
// LOCAL") and .mhd headers whose data file lies beside them, known by their
// content (a first line of the form "Key = value" with a MetaImage key),
// never by their name. Every scalar ElementType, either byte order, zlib
// compressed data; the index-to-patient axes come from TransformMatrix (or
// Direction, or else AnatomicalOrientation) with ElementSpacing, in the
// format's LPS space. Multi-channel or 4D data give their first volume and
// say so on standard error.
#pragma once

#include <string>

#include "voxel/scan_layout.h"

// True when `path` is a regular file whose first line is a MetaImage one.
bool IsMetaImageFile(const char* path);

// Reads the volume, reoriented, into the buffer `buffer` gives; an empty
// text on success, else the reason naming the file. Nothing is allocated
// before the header's sizes are checked against what the data can hold.
std::string ReadMetaImage(const std::string& path, const ScanVoxelRule& rule,
                          const ScanVoxelBuffer& buffer, VolumeFacts& facts);
