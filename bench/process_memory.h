// Resident memory of this process, for peak-memory figures measured in a
// fresh child process (the benchmark program re-runs itself).
#pragma once

#include <string>

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), -1 if missing.
long StatusKiB(const char* field);

// Restarts the high-water mark (VmHWM) at the current resident size.
void ResetPeakMemory();

// Runs this program again with the given arguments and returns what it
// printed on standard output.
std::string RunSelf(const std::string& arguments);
