// Big volumes make the GL driver allocate hundreds of megabytes while it
// compiles the display lists, and here every first touch of a 4 KiB page
// costs a fault. glibc hands out malloc's memory in transparent huge pages
// when its tunable says so, but reads tunables only when a program starts.
#pragma once

namespace platform {

// Starts the running program again by the path argv[0] names (so its name
// and argv[0] stay), same arguments, with glibc's huge-page tunable set.
// Returns, doing nothing, when the tunable is set already (by the user, who
// may also turn it off with =0), when the system has no transparent huge
// pages, when argv[0] does not name the running executable (a launcher such
// as ld.so or valgrind runs it), or when the restart fails. In the
// restarted program it takes the tunable out of the environment again, so
// the programs it starts get the environment the user gave.
void RestartWithHugePages(char** argv);

}  // namespace platform
