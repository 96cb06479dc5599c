// The NRRD reader: .nrrd files (header and data together) and .nhdr
// headers whose one "data file" lies beside them, known by their content
// (the "NRRD000" magic and a version digit), never by their name. Raw and
// gzip encodings, every scalar type, either byte order, with line and byte
// skips; the index-to-patient axes come from "space" with "space
// directions" (RAS, LAS, LPS and their time forms; other spaces count as
// RAS), else from "spacings", else the bare axes. One axis that is not
// spatial may come first (several values per voxel: the first is shown)
// or last (a series: the first volume is shown); standard error says so.
#pragma once

#include <string>

#include "voxel/scan_layout.h"

// True when `path` is a regular file that starts with the NRRD magic.
bool IsNrrdFile(const char* path);

// Reads the volume, reoriented, into the buffer `buffer` gives; an empty
// text on success, else the reason naming the file. Nothing is allocated
// before the header's sizes are checked against what the data can hold.
std::string ReadNrrd(const std::string& path, const ScanVoxelRule& rule,
                     const ScanVoxelBuffer& buffer, VolumeFacts& facts);
