// The NIfTI-1 reader on arbitrary bytes (see scan_fuzz.h); gzipped inputs
// take zlib's path through the same file.
#include "scan_fuzz.h"
#include "voxel/nifti_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("nifti");
  return FuzzScanReader(file, data, size, IsNiftiFile, ReadNifti);
}
