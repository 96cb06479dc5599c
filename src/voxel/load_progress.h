// How far a load has come: the readers report the voxel data read, and
// whoever loads may listen (the programs' progress bars on a terminal).
#pragma once

#include <cstdint>
#include <functional>

// The listener, given the share read (0 to 1), until it is set again;
// none by default.
void SetLoadProgressListener(std::function<void(double)> listener);
void ReportLoadProgress(std::uint64_t done, std::uint64_t total);
