// Whether a volume holds labels (an atlas, a segmentation) rather than
// intensities (a scan): labels are shown in colours by value, intensities
// are not.
#pragma once

#include "voxel/scan_layout.h"
#include "voxel/voxspace.h"

// A label volume has a colour table beside it, or a header saying its
// values are labels, or whole values of which at least nine in ten pairs
// of face-adjacent solid voxels are equal (true of atlases and
// segmentations, whose regions are uniform; false of scans, whose values
// vary from voxel to voxel). Where samples wider than a byte were clipped
// to 255, pairs that are both 255 are left out: they may have differed.
bool IsLabelVolume(const VOXSPACE& volume, const VolumeFacts& facts, bool hasColourTable);
