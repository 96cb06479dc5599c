// The NRRD reader on arbitrary bytes (see scan_fuzz.h).
#include "scan_fuzz.h"
#include "voxel/nrrd_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("nrrd");
  return FuzzScanReader(file, data, size, IsNrrdFile, ReadNrrd);
}
