#include "voxel/voxspace.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <optional>

#include "platform/winapi.h"

namespace {

constexpr const char* kAllocationCaption = "Dromb - error";
constexpr UINT kAllocationFlags = MB_TOPMOST | MB_ICONERROR;

std::optional<std::uint64_t> VoxelCount(std::uint32_t dimX, std::uint32_t dimY,
                                        std::uint32_t dimZ) {
  std::uint64_t voxels = 0;
  if (__builtin_mul_overflow(std::uint64_t{dimX}, std::uint64_t{dimY}, &voxels) ||
      __builtin_mul_overflow(voxels, std::uint64_t{dimZ}, &voxels)) {
    return std::nullopt;
  }
  return voxels;
}

// The bytes a DAT1 body must hold: voxels * bitsPerVoxel / 8, rounded down.
// With voxels = 8q + r that is q*bits + r*bits/8, exact whenever the
// result fits 64 bits; none when it does not (no buffer could hold it).
std::optional<std::uint64_t> DataSize(std::uint64_t voxels, std::uint32_t bitsPerVoxel) {
  std::uint64_t bytes = 0;
  if (__builtin_mul_overflow(voxels / 8, std::uint64_t{bitsPerVoxel}, &bytes) ||
      __builtin_add_overflow(bytes, voxels % 8 * bitsPerVoxel / 8, &bytes)) {
    return std::nullopt;
  }
  return bytes;
}

// The buffer always holds one byte per voxel, even when bitsPerVoxel is
// below 8, because every reader of the volume addresses one byte per
// voxel; and all of dataSize, which a DAT1 body fills, unless dataSize is
// beyond any DAT1's 32-bit size word (no body can ever fill it then). None
// when the size does not fit.
std::optional<std::size_t> BufferBytes(std::uint64_t voxels, std::uint64_t dataSize) {
  const std::uint64_t fillable = dataSize <= UINT32_MAX ? dataSize : 0;
  std::uint64_t bytes = voxels > fillable ? voxels : fillable;
  if (bytes == 0) bytes = 1;  // a volume without voxels still has a buffer
  if (bytes > SIZE_MAX) return std::nullopt;
  return static_cast<std::size_t>(bytes);
}

// The volumes recorded as unfilled. A few slots are plenty (a process holds
// one volume at a time). Both are constant-initialised and need no
// destruction, so a volume freed by a destructor at exit still finds them.
std::mutex unfilledMutex;
const VOXSPACE* unfilledVolumes[8];

}  // namespace

void SetVoxSpaceUnfilled(const VOXSPACE* volume, bool unfilled) {
  if (!volume) return;
  const std::lock_guard<std::mutex> lock(unfilledMutex);
  for (const VOXSPACE*& slot : unfilledVolumes) {
    if (slot == volume) slot = nullptr;
  }
  if (!unfilled) return;
  for (const VOXSPACE*& slot : unfilledVolumes) {
    if (!slot) {
      slot = volume;
      return;
    }
  }
}

bool IsVoxSpaceUnfilled(const VOXSPACE* volume) {
  if (!volume) return false;
  const std::lock_guard<std::mutex> lock(unfilledMutex);
  return std::find(std::begin(unfilledVolumes), std::end(unfilledVolumes), volume) !=
         std::end(unfilledVolumes);
}

VOXSPACE* InitVoxSpace(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                       std::uint32_t bitsPerVoxel) {
  auto* volume = static_cast<VOXSPACE*>(std::calloc(1, sizeof(VOXSPACE)));
  if (!volume) {
    MessageBoxA(nullptr, "InitVoxSpace() \n could not allocate memory for struct VOXSPACE ",
                kAllocationCaption, kAllocationFlags);
    return nullptr;
  }
  const std::optional<std::uint64_t> voxels = VoxelCount(dimX, dimY, dimZ);
  const std::optional<std::uint64_t> dataSize =
      voxels ? DataSize(*voxels, bitsPerVoxel) : std::nullopt;
  const std::optional<std::size_t> bytes =
      dataSize ? BufferBytes(*voxels, *dataSize) : std::nullopt;
  // calloc hands out zeroed pages without touching them, so a big volume
  // costs nothing until its voxels are read in.
  volume->data = bytes ? static_cast<unsigned char*>(std::calloc(*bytes, 1)) : nullptr;
  if (!volume->data) {
    MessageBoxA(nullptr, "InitVoxSpace() \n could not allocate memory for voxel data ",
                kAllocationCaption, kAllocationFlags);
    FreeVoxSpace(volume);
    return nullptr;
  }
  volume->dataSize = *dataSize;
  volume->dimX = dimX;
  volume->dimY = dimY;
  volume->dimZ = dimZ;
  volume->bitsPerVoxel = bitsPerVoxel;
  return volume;
}

int FreeVoxSpace(VOXSPACE* volume) {
  if (!volume) return 1;
  SetVoxSpaceUnfilled(volume, false);  // a later volume may get this address
  std::free(volume->data);
  std::free(volume);
  return 1;
}

int MirrorVoxSpaceZ(VOXSPACE* volume) {
  if (!volume) return 0;
  if (IsVoxSpaceUnfilled(volume)) return 1;  // copying would touch every untouched page
  const std::size_t sliceBytes = std::size_t{volume->dimX} * volume->dimY;
  auto* scratch = static_cast<unsigned char*>(std::malloc(sliceBytes ? sliceBytes : 1));
  if (!scratch) return 0;
  for (std::uint32_t i = 0; i < volume->dimZ / 2; ++i) {
    unsigned char* low = volume->data + i * sliceBytes;
    unsigned char* high = volume->data + (volume->dimZ - 1 - i) * sliceBytes;
    std::memcpy(scratch, low, sliceBytes);
    std::memcpy(low, high, sliceBytes);
    std::memcpy(high, scratch, sliceBytes);
  }
  std::free(scratch);
  return 1;
}
