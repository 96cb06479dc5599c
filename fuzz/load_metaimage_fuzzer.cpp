// The MetaImage reader on arbitrary bytes (see scan_fuzz.h); compressed
// data take zlib's path through the same file.
#include "scan_fuzz.h"
#include "voxel/metaimage_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("metaimage");
  return FuzzScanReader(file, data, size, IsMetaImageFile, ReadMetaImage);
}
