// Big volumes make the GL driver allocate hundreds of megabytes while it
// compiles the display lists, and here every first touch of a 4 KiB page
// costs a fault. glibc hands out malloc's memory in transparent huge pages
// when its tunable says so, but reads tunables only when a program starts.
#pragma once

namespace platform {

// Starts the running program again, same arguments, with glibc's huge-page
// tunable set; returns (doing nothing) when it is set already (by an earlier
// start or by the user, who may also turn it off with =0), when the system
// has no transparent huge pages, or when the restart fails.
void RestartWithHugePages(char** argv);

}  // namespace platform
