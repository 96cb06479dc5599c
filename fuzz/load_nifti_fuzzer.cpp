// Feeds arbitrary bytes to the NIfTI-1 reader through an in-memory file,
// as the viewer loads it (recognition, then the volume): every path must
// end cleanly (no read or write outside a buffer, no leak), with or
// without a volume. Gzipped inputs take zlib's path through the same file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "memory_file.h"
#include "platform/headless/headless_control.h"
#include "voxel/nifti_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file("nifti");
  static const bool quiet = (platform::headless::SetMessageBoxEcho(false), true);
  (void)quiet;
  const char* path = file.Hold(data, size);

  // Damaged headers are the interesting inputs: read whether or not the
  // bytes pass for NIfTI.
  const NiftiKind kind = NiftiFileKind(path);
  std::string reason;
  VolumeFacts facts;
  VOXSPACE* volume = LoadNifti(path, reason, facts);
  if (volume) {
    // What loads must be known for NIfTI-1, or the viewer would never load it.
    if (kind != NiftiKind::kNifti1) std::abort();
    // Every voxel the viewer may address must be inside the buffer.
    const std::uint64_t voxels = std::uint64_t{volume->dimX} * volume->dimY * volume->dimZ;
    if (voxels == 0 || volume->dataSize != voxels) std::abort();
    volatile unsigned char last = volume->data[voxels - 1];
    (void)last;
  } else if (reason.empty()) {
    std::abort();  // a failure always says why
  }
  FreeVoxSpace(volume);
  platform::headless::ClearMessageBoxJournal();
  return 0;
}
