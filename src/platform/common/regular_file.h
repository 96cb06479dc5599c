// Opening an input file: only a regular file, and never blocking. A FIFO
// opened for reading waits for a writer, and a device or a directory holds
// no file to read, so they are refused before anything is read.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// A read-only descriptor of the regular file at `path`, or -1 with the
// reason in `reason`: the system's words (strerror) when it said no, else
// "not a regular file".
int OpenRegularFile(const char* path, std::string& reason);

// The same as a stdio stream, or nullptr with the reason.
std::FILE* OpenRegularFileStream(const char* path, std::string& reason);

}  // namespace platform
