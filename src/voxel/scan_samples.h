// Stored values to voxels, for every scanner format: each value of the
// first volume (scaled by the header's slope and intercept, then through
// the caller's rule) is written once, straight into its drawn place, so no
// second full-size buffer is ever taken.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "voxel/byte_source.h"
#include "voxel/scan_layout.h"

// Whether a volume of this layout may be read from `available` bytes of a
// file: at most 2^32 - 1 voxels (what a CUB file can hold, so whatever the
// viewer shows cubconvert can write), at most 65536 values per voxel, and
// all its values within what the file can hold. Checked before any memory
// is taken; an empty text when it may, else the reason naming the file.
std::string CheckScanSize(const ScanLayout& layout, std::uint64_t available, const DataFacts& facts,
                          const std::string& path);

// Reads the first volume from `source` (positioned at its first value)
// into the buffer `buffer` gives for the drawn extents; `facts` receives
// the drawn voxel size. An empty text on success, else the reason.
std::string ReadScanSamples(ByteSource& source, const ScanLayout& layout, const ScanVoxelRule& rule,
                            const ScanVoxelBuffer& buffer, VolumeFacts& facts,
                            const std::string& path);

// While set, told every value read (slope and intercept applied; values
// that are not finite as 0), voxel by voxel: what cubconvert reports of
// the values. None by default; one reader at a time.
void SetScanValueListener(std::function<void(double)> listener);
// The raw reader's share of it: tells the listener a value, if any.
void TellScanValue(double value);

// A solid value's byte when values are kept: rounded and clamped to
// 1..255 (not a number gives 1).
std::uint8_t KeptVoxelValue(double value);

// The viewer's rule, cubconvert's --nonzero --keep-values: values other
// than 0 are solid and keep their label.
std::uint8_t NonZeroLabel(double value);
